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

TEST(ForgetClosed, EndedProcessesGoUnlessAWindowStillNamesThem) {
  SimDesktop desktop;
  SimWindowManager& w = desktop.windows();
  const ProcessId ended = w.StartProcess(L"c:\\apps\\ended.exe");
  w.CreateWindow(ended, L"Ended's window", L"Frame");
  const ProcessId named = w.StartProcess(L"c:\\apps\\named.exe");
  w.EndProcess(ended);
  w.EndProcess(named);
  // A window made for the process after it ended still names it.
  const Hwnd late = w.CreateWindow(named, L"Late", L"Frame");
  const ProcessId running = w.StartProcess(L"c:\\apps\\running.exe");

  for (const ProcessId p : {ended, named})
    EXPECT_EQ(w.ProcessFirstModuleFileName(p, 260), L"");
  w.ForgetClosed();
  for (const ProcessId p : {ended, named})
    EXPECT_EQ(w.ProcessFirstModuleFileName(p, 260), L"");
  EXPECT_EQ(w.FindProcess(ended), nullptr);
  ASSERT_NE(w.FindProcess(named), nullptr);
  EXPECT_EQ(w.WindowModuleFileName(late, 260), std::wstring(L"c:\\apps\\named.exe") + L'\0');
  ASSERT_NE(w.FindProcess(running), nullptr);
  EXPECT_TRUE(w.FindProcess(running)->running);
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

TEST(ForgetClosed, PastPagesGoOnlyWhenNothingHoldsThemOrAPartOfThem) {
  SimDesktop desktop;
  SimBrowsers& b = desktop.browsers();
  const auto browser = b.OpenBrowser(L"http://a.example/dir/first.html");

  // One past page for each way of being held, and one held by nothing.
  const auto link = b.AddElement(*browser, L"a", {{L"href", L"next.html"}});
  const std::weak_ptr<SimDocument> byElement = browser->CurrentDocument();
  b.Go(*browser, L"http://b.example/");
  const auto window = browser->CurrentDocument()->ParentWindow();
  ASSERT_NE(window, nullptr);
  const std::weak_ptr<SimDocument> byWindow = browser->CurrentDocument();
  b.Go(*browser, L"http://c.example/");
  std::shared_ptr<SimDocument> document = browser->CurrentDocument();
  b.Go(*browser, L"http://d.example/");
  const auto frame = b.AddFrame(*browser, L"http://frame.example/");
  const std::weak_ptr<SimDocument> byFrame = browser->CurrentDocument();
  b.Go(*browser, L"http://e.example/");
  const auto inner = b.AddElement(*b.AddFrame(*browser, L"http://f.example/"), L"div");
  const std::weak_ptr<SimDocument> byFramePart = browser->CurrentDocument();
  b.Go(*browser, L"http://g.example/");
  b.AddElement(*browser, L"div");
  b.AddFrame(*browser, L"http://h.example/");
  const std::weak_ptr<SimDocument> unheld = browser->CurrentDocument();
  b.Go(*browser, L"http://now.example/");

  desktop.ForgetClosed();
  for (const auto& held : {byElement, byWindow, byFrame, byFramePart}) {
    EXPECT_FALSE(held.expired());
  }
  EXPECT_TRUE(unheld.expired());
  EXPECT_EQ(link->Href(), L"http://a.example/dir/next.html");
  EXPECT_EQ(document->LocationHref(), L"http://c.example/");
  // A frame's pages were disconnected when the page holding the frame went.
  EXPECT_THROW(inner->TagName(), PlatformError);

  // Let go of, they go at the next tidy-up; the browser's close still
  // disconnects the ones held.
  const std::weak_ptr<SimDocument> byDocument = document;
  document.reset();
  desktop.ForgetClosed();
  EXPECT_TRUE(byDocument.expired());
  b.Quit(*browser);
  EXPECT_THROW(link->Href(), PlatformError);
}

}  // namespace
}  // namespace qx::sim
