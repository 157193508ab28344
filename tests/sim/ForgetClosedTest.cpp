// A long run lets the simulated desktop drop its records of closed windows,
// ended processes, closed browsers and past pages nobody holds. Nothing the
// program can ask may answer differently for it, and whatever the program
// still holds must keep answering as before.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"

namespace qx::sim {
namespace {

constexpr Hwnd kNeverMade = 0x7ffff0;

// Every answer the program can get about one window handle, as text.
std::vector<std::wstring> Answers(SimWindowManager& w, Hwnd window) {
  return {w.WindowText(window, 260),
          w.ClassName(window, 260),
          std::to_wstring(w.Parent(window)),
          std::to_wstring(w.ExStyle(window)),
          std::to_wstring(w.WindowProcessId(window)),
          w.WindowModuleFileName(window, 260)};
}

TEST(ForgetClosed, DestroyedWindowsAnswerAsUnknownOnesBeforeAndAfterBeingForgotten) {
  SimDesktop desktop;
  SimWindowManager& w = desktop.windows();
  const ProcessId editor = w.StartProcess(L"c:\\apps\\editor.exe");
  const Hwnd kept = w.CreateWindow(editor, L"Kept", L"EditorFrame");
  const Hwnd owner = w.CreateWindow(editor, L"Owner", L"EditorFrame");
  const Hwnd owned = w.CreateWindow(editor, L"Owned", L"Dialog", 0, 0x80, owner);
  const Hwnd child = w.CreateWindow(editor, L"Child", L"Edit", kept);
  w.DestroyWindow(owner);  // takes the owned window with it
  ASSERT_FALSE(w.IsOpen(owned));

  const auto unknown = Answers(w, kNeverMade);
  const auto keptBefore = Answers(w, kept);
  const auto childBefore = Answers(w, child);
  for (const Hwnd gone : {owner, owned}) {
    EXPECT_EQ(Answers(w, gone), unknown);
    EXPECT_NE(w.Find(gone), nullptr);  // recorded for expectations
  }
  w.PostCloseMessage(owner);
  EXPECT_TRUE(w.PostedCloses().empty());

  w.ForgetClosed();
  for (const Hwnd gone : {owner, owned}) {
    EXPECT_EQ(Answers(w, gone), unknown);
    EXPECT_EQ(w.Find(gone), nullptr);
    w.PostCloseMessage(gone);
  }
  EXPECT_TRUE(w.PostedCloses().empty());
  EXPECT_EQ(Answers(w, kept), keptBefore);
  EXPECT_EQ(Answers(w, child), childBefore);
  EXPECT_EQ(w.ProcessFirstModuleFileName(editor, 260), L"c:\\apps\\editor.exe");
  // Handles are never given out again: a new window is no old one reborn.
  const Hwnd next = w.CreateWindow(editor, L"Next", L"EditorFrame");
  EXPECT_NE(next, owner);
  EXPECT_NE(next, owned);
}

TEST(ForgetClosed, OnlyWindowlessProcessesOfTheGivenProgramEnd) {
  SimDesktop desktop;
  SimWindowManager& w = desktop.windows();
  const std::wstring browserExe(kDefaultBrowserExe);
  const ProcessId withWindow = w.StartProcess(browserExe);
  w.CreateWindow(withWindow, L"Open", L"IEFrame");
  const ProcessId closed = w.StartProcess(browserExe);
  w.DestroyWindow(w.CreateWindow(closed, L"Closed", L"IEFrame"));
  const ProcessId hidden = w.StartProcess(browserExe);
  w.CreateWindow(hidden, L"Hidden", L"IEFrame");
  const ProcessId other = w.StartProcess(L"c:\\apps\\other.exe");

  w.EndWindowlessProcesses(kDefaultBrowserExe);
  EXPECT_TRUE(w.FindProcess(withWindow)->running);
  EXPECT_TRUE(w.FindProcess(hidden)->running);
  EXPECT_FALSE(w.FindProcess(closed)->running);
  EXPECT_TRUE(w.FindProcess(other)->running);
  EXPECT_TRUE(w.FindProcess(desktop.ProgramProcess())->running);
}

TEST(ForgetClosed, ClosedBrowsersAreForgottenAndAHeldOneStillAnswersAsClosed) {
  SimDesktop desktop;
  SimBrowsers& b = desktop.browsers();
  const auto open = b.OpenBrowser(L"http://open.example/");
  auto closed = b.OpenBrowser(L"http://closed.example/");
  const Hwnd dialog = b.ScriptDialog(*open, L"Gone");
  const Hwnd liveDialog = b.ScriptDialog(*open, L"Stays");
  desktop.windows().DestroyWindow(dialog);
  const Hwnd closedWindow = closed->Window();
  const std::weak_ptr<SimDocument> closedPage = closed->CurrentDocument();
  b.Quit(*closed);

  desktop.ForgetClosed();
  EXPECT_EQ(b.Opened(), std::vector<std::shared_ptr<SimBrowser>>{open});
  EXPECT_EQ(b.MadeCount(), 2u);
  EXPECT_EQ(b.Dialogs(), std::vector<Hwnd>{liveDialog});
  EXPECT_EQ(b.ByWindow(closedWindow), nullptr);
  EXPECT_EQ(desktop.windows().Find(closedWindow), nullptr);
  // Whoever still holds the closed browser finds it disconnected, as before.
  const std::vector<std::function<void()>> calls = {
      [&] { closed->HWND(); }, [&] { closed->LocationURL(); }, [&] { closed->GetDocument(); },
      [&] { closed->Quit(); }};
  for (const auto& call : calls)
    EXPECT_THROW(call(), PlatformError);
  EXPECT_FALSE(closed->IsOpen());
  closed.reset();
  EXPECT_TRUE(closedPage.expired());
  // The open one goes on as before.
  b.Go(*open, L"http://open.example/next");
  EXPECT_EQ(open->LocationURL(), L"http://open.example/next");
}

}  // namespace
}  // namespace qx::sim
