// The resident program inside the test's own process, with the fake hook
// control: the hooks the options call for at start, and their removal when
// the program closes.

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ole2.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "win32/program/ResidentProgram.h"
#include "win32/program/tests/FakeControl.h"
#include "win32/program/tests/ScratchFolder.h"

namespace qx::win {
namespace {

class ResidentProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    scratch_ = std::make_unique<test::ScratchFolder>(L"qxresident");
    folder_ = scratch_->Path();
  }
  void TearDown() override {
    scratch_.reset();
    OleUninitialize();
  }
  std::unique_ptr<test::ScratchFolder> scratch_;
  std::wstring folder_;
};

// Closes the program's main form once it is there, as another program would.
std::thread CloseWhenLoaded() {
  return std::thread([] {
    for (int i = 0; i < 600; ++i) {
      HWND main = FindWindowW(L"QuellixMain", L"Quellix");
      if (main != nullptr && FindWindowW(L"QuellixTrayPicture", nullptr) != nullptr) {
        // The start routine ends before its first message: this one is
        // handled by the loop.
        PostMessageW(main, WM_CLOSE, 0, 0);
        return;
      }
      Sleep(50);
    }
  });
}

TEST_F(ResidentProgramTest, HooksComeUpAtStartAndGoAtTheEnd) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quellix\\Options", 0, nullptr, 0, KEY_SET_VALUE,
                  nullptr, &key, nullptr);
  const wchar_t yes[] = L"True";
  RegSetValueExW(key, L"CompatibleWDBK", 0, REG_SZ, reinterpret_cast<const BYTE*>(yes), sizeof yes);
  RegCloseKey(key);

  test::FakeControl fake;
  {
    ResidentProgram program(GetModuleHandleW(nullptr), test::Handing(fake), folder_);
    std::thread closer = CloseWhenLoaded();
    EXPECT_EQ(program.Run(L"auto"), 0);
    closer.join();
  }
  // No window rules: the message hook goes; dialogs are treated as pop-ups
  // with the compatibility flag; the mouse hook always; all of it undone at
  // the end.
  std::vector<DISPID> ids;
  for (const auto& call : fake.calls)
    ids.push_back(call.id);
  const std::vector<DISPID> expected = {kDispInitialize, kDispRemoveMsgHook, kDispInstallCBTHook,
                                        kDispInstallMouseHook, kDispUninitialize};
  EXPECT_EQ(ids, expected);
  ASSERT_EQ(fake.calls.size(), expected.size());
  EXPECT_EQ(fake.calls[2].flag, VARIANT_TRUE);
  EXPECT_EQ(fake.sink, nullptr) << "unadvised at the end";
  EXPECT_EQ(fake.refs, 1u) << "the control was released";
  EXPECT_NE(GetFileAttributesW((folder_ + L"\\blocksite.script2").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FindWindowW(L"QuellixMain", nullptr), nullptr) << "the form's windows are gone";
}

// A visible top-level window of this process, waited for.
HWND WaitForWindow(const wchar_t* cls, const wchar_t* caption) {
  HWND window = nullptr;
  setup::test::WaitFor(
      [&] {
        window = FindWindowW(cls, caption);
        return window != nullptr && IsWindowVisible(window);
      },
      10000);
  return window;
}

// The entry of a tracked menu that is highlighted now.
std::wstring Highlighted(HMENU menu) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) == 0) continue;
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    return text;
  }
  return L"";
}

// The user right-clicks the tray icon, chooses "Options..." and leaves the
// settings dialog with Escape: the dialog is a real window of the running
// program, and its keys come through the program's own loop.
TEST_F(ResidentProgramTest, TheTrayMenuOpensTheSettingsDialogWhoseKeysWork) {
  test::FakeControl fake;
  std::wstring problem;
  bool shown = false;
  bool tabsShown = false;
  bool leftWithEscape = false;
  {
    ResidentProgram program(GetModuleHandleW(nullptr), test::Handing(fake), folder_);
    std::thread user([&] {
      HWND tray = nullptr;
      for (int i = 0; i < 600 && tray == nullptr; ++i) {
        tray = FindWindowW(L"QuellixTrayPicture", nullptr);
        if (tray == nullptr) Sleep(50);
      }
      HWND main = FindWindowW(L"QuellixMain", L"Quellix");
      const auto leave = [&](const wchar_t* why) {
        if (why != nullptr) problem = why;
        if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
      };
      if (tray == nullptr || main == nullptr) return leave(L"the program did not start");
      PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONDOWN);
      PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONUP);
      HWND menuWindow = WaitForWindow(L"#32768", nullptr);
      if (menuWindow == nullptr) return leave(L"no tray menu");
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
      for (int step = 0; step < 16 && Highlighted(menu) != L"Options..."; ++step) {
        PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(100);
      }
      if (Highlighted(menu) != L"Options...") return leave(L"\"Options...\" not reached");
      PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
      HWND options = WaitForWindow(L"#32770", L"Quellix Settings");
      shown = options != nullptr;
      if (options == nullptr) return leave(L"no settings dialog");
      HWND tabs = FindWindowExW(options, nullptr, L"SysTabControl32", nullptr);
      tabsShown = tabs != nullptr && SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0) == 9;
      PostMessageW(options, WM_KEYDOWN, VK_ESCAPE, 0);
      for (int i = 0; i < 100 && IsWindow(options); ++i)
        Sleep(50);
      leftWithEscape = !IsWindow(options);
      leave(nullptr);
    });
    EXPECT_EQ(program.Run(L"auto"), 0);
    user.join();
  }
  EXPECT_EQ(problem, L"");
  EXPECT_TRUE(shown);
  EXPECT_TRUE(tabsShown);
  EXPECT_TRUE(leftWithEscape) << "Escape cancels the dialog through the program's loop";
}

}  // namespace
}  // namespace qx::win
