// The hook procedures called directly, as Windows calls them. A call about a
// window of another process is what a hook of the other bitness looks like
// when Windows runs it in the thread that set it: the library of that
// process's bitness reports it from inside; here it must be passed on only.

#include <gtest/gtest.h>

#include <string>

#include "Catchwire.h"

extern "C" LRESULT WINAPI TestNextHook(HHOOK, int, WPARAM, LPARAM) {
  return 0;
}

namespace {

std::wstring Folder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

HWND Make(const wchar_t* className, const wchar_t* caption) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// The report the notify window got, or 0.
UINT Posted(HWND notify) {
  MSG msg;
  UINT got = 0;
  while (PeekMessageW(&msg, notify, WM_APP, WM_APP + 10, PM_REMOVE))
    got = msg.message;
  return got;
}

class CatchwireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    notify = Make(L"QxNotify", L"notify");
    own = Make(L"Internet Explorer_TridentDlgFrame", L"Own -- Web Page Dialog");
    std::wstring command = L"\"" + Folder() + L"\\hook_helper.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &helper));
    for (int i = 0; i < 500 && foreign == nullptr; ++i) {
      foreign = FindWindowW(L"Internet Explorer_TridentDlgFrame", L"Quiz -- Web Page Dialog");
      if (foreign == nullptr) Sleep(10);
    }
    ASSERT_NE(foreign, nullptr);
    CallbackInit(notify, nullptr, nullptr, nullptr, 1, 0);  // no browser check
  }
  void TearDown() override {
    CallbackInit(nullptr, nullptr, nullptr, nullptr, 0, 0);
    if (helper.hProcess != nullptr) {
      TerminateProcess(helper.hProcess, 0);
      CloseHandle(helper.hThread);
      CloseHandle(helper.hProcess);
    }
    DestroyWindow(own);
    DestroyWindow(notify);
  }
  HWND notify = nullptr;
  HWND own = nullptr;
  HWND foreign = nullptr;
  PROCESS_INFORMATION helper{};
};

TEST_F(CatchwireTest, OnlyWindowsOfTheProcessItRunsInAreReported) {
  struct Case {
    const char* what;
    bool ownWindow;
    UINT expected;
  };
  for (const Case& c :
       {Case{"own", true, kCatchwireNotifyText}, Case{"another process's", false, 0}}) {
    const HWND window = c.ownWindow ? own : foreign;
    CWPRETSTRUCT call{};
    call.hwnd = window;
    call.message = WM_SETTEXT;
    HookMsg(HC_ACTION, 0, reinterpret_cast<LPARAM>(&call));
    EXPECT_EQ(Posted(notify), c.expected) << "caption of " << c.what << " window";

    MOUSEHOOKSTRUCT mouse{};
    mouse.pt = {7, c.ownWindow ? 300 : 555};
    mouse.hwnd = window;
    HookMouse(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse));
    EXPECT_EQ(Posted(notify), c.ownWindow ? kCatchwireNotifyButtonDown : 0u)
        << "click on " << c.what << " window";

    // The dialog's activation; the notify window is in this thread, so the
    // report is posted.
    HookCBT(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(window), 0);
    EXPECT_EQ(Posted(notify), c.ownWindow ? kCatchwireNotifyDialog : 0u)
        << "activation of " << c.what << " dialog";
  }
  // The click that was passed on left no y behind for a later report.
  EXPECT_EQ(GetLastY(), 300);
  EXPECT_EQ(GetLastY(), 300) << "the last y is the reported click's";
}

}  // namespace
