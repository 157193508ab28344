// A web page dialog reported the way the hook library reports it: sent from
// the dialog's thread, which waits. The real hook control answers the send
// before it raises its events, so the program's decision may call the
// browser, a fake that refuses calls inside an unanswered send as COM does;
// the program then finds the dialog's browser and closes the dialog.
// First: it takes back the system's A/W macros that share the names of the
// hook library port's methods, before anything declares that port.
#include "win32/omnihook/Win32HookLibrary.h"
// clang-format off
#include <gmock/gmock.h>
// clang-format on

#include <atomic>
#include <thread>

#include "FakePage.h"
#include "TestWorld.h"
#include "hookctl/OmnihookControl.h"
#include "win32/browser/ComShellWindows.h"

namespace qx::win::testing {
namespace {

class NoFactory final : public BrowserFactory {
 public:
  std::shared_ptr<Browser> NewBrowserWindow() override {
    throw PlatformError(kErrAutomation, L"no new windows here", L"test");
  }
};

HWND MakeTopWindow(const wchar_t* className, const wchar_t* caption, HWND owner) {
  WNDCLASSW type{};
  type.lpfnWndProc = DefWindowProcW;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = className;
  RegisterClassW(&type);
  return CreateWindowExW(0, className, caption, WS_POPUP, 0, 0, 10, 10, owner, nullptr,
                         type.hInstance, nullptr);
}

// The dialog's thread: its window, then the two reports of the CBT hook
// (created, with its owner; activated), each sent and waited for.
void DialogThread(HWND control, HWND owner, HWND* dialog, std::atomic<bool>* done) {
  *dialog = MakeTopWindow(L"Internet Explorer_TridentDlgFrame", L"Sale -- Web Page Dialog", owner);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(control, kHookNotifyDialog, reinterpret_cast<WPARAM>(*dialog),
                      reinterpret_cast<LPARAM>(owner), SMTO_NORMAL, 10000, &answer);
  SendMessageTimeoutW(control, kHookNotifyDialog, reinterpret_cast<WPARAM>(*dialog), 0, SMTO_NORMAL,
                      10000, &answer);
  DestroyWindow(*dialog);
  *done = true;
}

TEST(InputSyncTest, ADialogReportedByASendIsJudgedByItsBrowsersMonitor) {
  const HWND frame = MakeTopWindow(L"QxTestIEFrame", L"Shop", nullptr);
  ASSERT_NE(frame, nullptr);
  ComPtr<FakeShellWindows> shell = Make<FakeShellWindows>();
  ComShellWindows list{shell};
  NoFactory factory;
  ProgramWorld world{list, factory};
  FakePage page{reinterpret_cast<SHANDLE_PTR>(frame), L"http://shop.example/"};
  ASSERT_TRUE(world.Start());
  shell->Open(page.browser->AsDispatch());
  page.Load();

  // The control on a window of this thread; other browsers' dialogs count,
  // since this process is not the browser's.
  const HWND controlWindow = MakeTopWindow(L"QxTestControl", L"", nullptr);
  HookState state;
  state.NoBrowserCheck = 1;
  Win32HookLibrary library(GetModuleHandleW(nullptr));
  Windows1252Codec ansi;
  OmnihookControl control(state, library, ansi, reinterpret_cast<Hwnd>(controlWindow),
                          &world.form());
  control.Initialize();

  HWND dialog = nullptr;
  std::atomic<bool> done{false};
  std::thread sender(DialogThread, controlWindow, frame, &dialog, &done);
  // The sends arrive while this thread waits for messages.
  while (!done) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
  }
  sender.join();
  control.Uninitialize();

  EXPECT_THAT(world.desktop.closed, ::testing::Contains(reinterpret_cast<Hwnd>(dialog)))
      << "the dialog was judged without its browser: the call was refused inside the send";
  const auto& log = world.process().popupLog().GetLogItems();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Source, L"http://shop.example/");
  EXPECT_EQ(log[0].Target, L"\"Sale\" (Web page dialog)");
  DestroyWindow(controlWindow);
  DestroyWindow(frame);
}

}  // namespace
}  // namespace qx::win::testing
