// The simulated browser raises its events in the order the real one does;
// the program's browser watch depends on that order, so these tests pin it
// down as a watching program sees it.
#include <gtest/gtest.h>

#include "BrowserRecorder.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"

namespace qx::sim {
namespace {

using testing::Lines;
using testing::Observer;
using testing::PageRecorder;

class SimBrowserTest : public ::testing::Test {
 protected:
  SimBrowsers& browsers() { return desktop.browsers(); }
  // A browser showing url, with the events of its opening forgotten.
  std::shared_ptr<SimBrowser> Open(const wchar_t* url) {
    auto browser = browsers().OpenBrowser(url);
    observer.Take();
    return browser;
  }

  SimDesktop desktop;
  Observer observer{desktop};
};

TEST_F(SimBrowserTest, ANewBrowserIsAnnouncedThenNavigatesAsTyped) {
  const auto browser = browsers().OpenBrowser(L"http://a.example/");
  EXPECT_EQ(observer.Take(),
            (Lines{"WindowRegistered 0", "w0 BeforeNavigate2 w0 http://a.example/",
                   "w0 NavigateComplete2 w0 http://a.example/", "w0 DownloadComplete"}));
  const SimWindow* window = desktop.windows().Find(browser->Window());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->className, L"IEFrame");
  EXPECT_EQ(window->text, L"http://a.example/ - Microsoft Internet Explorer");
  EXPECT_EQ(desktop.windows().FindProcess(window->process)->programFile,
            L"c:\\program files\\internet explorer\\iexplore.exe");
  EXPECT_EQ(desktop.windows().Foreground(), browser->Window());
}

TEST_F(SimBrowserTest, ANavigationUnloadsTheOldPageAfterBeforeNavigateAndBeforeComplete) {
  const auto browser = Open(L"http://a.example/");
  const auto oldPage = browser->GetDocument();
  PageRecorder page(observer.log, oldPage, "page");
  std::vector<std::wstring> seen;
  observer.Recorder("w0").beforeNavigate = [&](Navigation&, bool&) {
    seen.push_back(browser->LocationURL());
  };
  observer.Recorder("w0").navigateComplete = [&] { seen.push_back(browser->LocationURL()); };

  browsers().Go(*browser, L"http://b.example/");

  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 w0 http://b.example/", "page beforeunload", "page unload",
                   "w0 NavigateComplete2 w0 http://b.example/", "w0 DownloadComplete"}));
  // The address changes with the new page, not before.
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"http://a.example/", L"http://b.example/"}));
  const auto newPage = browser->GetDocument();
  EXPECT_NE(newPage, oldPage);
  EXPECT_EQ(newPage->LocationHref(), L"http://b.example/");
  EXPECT_EQ(newPage->ActiveElement()->TagName(), L"BODY");
  EXPECT_EQ(newPage->FramesLength(), 0);
  EXPECT_EQ(browser->LastNavigated(), L"http://b.example/");
}

TEST_F(SimBrowserTest, AnAddressIsReportedToBeforeNavigateAsTheBrowserReportsIt) {
  struct Case {
    const wchar_t* typed;
    const char* reported;
  };
  const Case cases[] = {
      {L"file://C:\\dir\\x.html", "C:\\dir\\x.html"},
      {L"FILE://d:\\pages\\y.htm", "d:\\pages\\y.htm"},
      {L"file://server/share/z.html", "file://server/share/z.html"},
      {L"http://a.example/p?q=1", "http://a.example/p?q=1"},
  };
  const auto browser = Open(L"http://start.example/");
  for (const Case& c : cases) {
    browsers().Go(*browser, c.typed);
    const Lines log = observer.Take();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), std::string("w0 BeforeNavigate2 w0 ") + c.reported) << ToUtf8(c.typed);
    EXPECT_EQ(browser->LocationURL(), c.typed);
  }
}

TEST_F(SimBrowserTest, WindowOpenIntoTheHiddenControlDeliversTheFirstNavigationThere) {
  for (const bool controlCancels : {true, false}) {
    SCOPED_TRACE(controlCancels ? "cancelled there" : "let through there");
    SimDesktop d;
    Observer o(d);
    const auto opener = d.browsers().OpenBrowser(L"http://a.example/");
    const auto control = d.platform().browsers.CreateHiddenBrowserControl();
    o.Watch(control, "sink").beforeNavigate = [controlCancels](Navigation&, bool& cancel) {
      cancel = controlCancels;
    };
    o.Recorder("w0").newWindow = [&control](std::shared_ptr<Browser>& ppDisp, bool&) {
      ppDisp = control;
    };
    o.Take();
    EXPECT_EQ(d.browsers().ScriptOpen(*opener, L"http://pop.example/"), nullptr);
    Lines expected{"w0 NewWindow2", "sink BeforeNavigate2 sink http://pop.example/"};
    if (!controlCancels) {
      expected.push_back("sink NavigateComplete2 sink http://pop.example/");
      expected.push_back("sink DownloadComplete");
    }
    EXPECT_EQ(o.Take(), expected);
    EXPECT_EQ(d.browsers().OpenWindows().size(), 1u);  // no window anywhere
    EXPECT_EQ(control->LocationURL(), controlCancels ? L"" : L"http://pop.example/");
  }
}

TEST_F(SimBrowserTest, StopOrANewNavigationInsideBeforeNavigateReplacesTheOne) {
  const auto browser = Open(L"http://a.example/");
  bool once = true;
  observer.Recorder("w0").beforeNavigate = [&](Navigation&, bool& cancel) {
    if (!once) return;
    once = false;
    // As the program's loop rewrite does: cancel and navigate elsewhere.
    cancel = true;
    Navigation other;
    other.url = L"http://rewritten.example/";
    browser->Navigate2(other);
  };
  browsers().Go(*browser, L"http://b.example/");
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 w0 http://b.example/",
                   "w0 BeforeNavigate2 w0 http://rewritten.example/",
                   "w0 NavigateComplete2 w0 http://rewritten.example/", "w0 DownloadComplete"}));
  observer.Recorder("w0").beforeNavigate = [&](Navigation&, bool&) { browser->Stop(); };
  browsers().Go(*browser, L"http://c.example/");
  EXPECT_EQ(observer.Take(), (Lines{"w0 BeforeNavigate2 w0 http://c.example/"}));
  EXPECT_EQ(browser->LocationURL(), L"http://rewritten.example/");
}

TEST_F(SimBrowserTest, ChromeWritesRaiseTheirEvents) {
  struct Case {
    ChromePart part;
    const char* event;  // none: the program gets no event
  };
  const Case cases[] = {
      {ChromePart::ToolBar, "OnToolBar"},         {ChromePart::MenuBar, "OnMenuBar"},
      {ChromePart::StatusBar, "OnStatusBar"},     {ChromePart::FullScreen, "OnFullScreen"},
      {ChromePart::TheaterMode, "OnTheaterMode"}, {ChromePart::Resizable, nullptr},
  };
  const auto browser = Open(L"http://a.example/");
  for (const Case& c : cases) {
    for (const bool on : {false, true}) {
      browsers().SetChrome(*browser, c.part, on);
      EXPECT_EQ(browser->ChromeOn(c.part), on);
      const Lines expected =
          c.event ? Lines{std::string("w0 ") + c.event + (on ? " on" : " off")} : Lines{};
      EXPECT_EQ(observer.Take(), expected);
    }
  }
  // The program's own writes raise them too, changed or not.
  browser->SetMenuBar(true);
  browser->SetToolBar(0);
  browser->SetStatusBar(false);
  browser->SetFullScreen(true);
  browser->SetTheaterMode(false);
  browser->SetResizable(false);
  browser->SetAddressBar(false);
  EXPECT_EQ(observer.Take(), (Lines{"w0 OnMenuBar on", "w0 OnToolBar off", "w0 OnStatusBar off",
                                    "w0 OnFullScreen on", "w0 OnTheaterMode off"}));
}

TEST_F(SimBrowserTest, EveryWayOfClosingAWindowEndsTheSameWay) {
  struct Case {
    const char* how;
    std::function<void(SimDesktop&, SimBrowser&)> close;
    Lines expected;
  };
  const Case cases[] = {
      {"Quit", [](SimDesktop&, SimBrowser& b) { b.Quit(); }, {"w0 OnQuit", "WindowRevoked 0"}},
      {"close message",
       [](SimDesktop& d, SimBrowser& b) {
         d.windows().PostCloseMessage(b.Window());
         d.windows().DeliverPostedCloses();
       },
       {"w0 OnQuit", "WindowRevoked 0"}},
      // A browser whose process dies says nothing more.
      {"process end",
       [](SimDesktop& d, SimBrowser& b) { d.windows().EndProcess(b.Process()); },
       {"WindowRevoked 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    SimDesktop d;
    Observer o(d);
    const auto browser = d.browsers().OpenBrowser(L"http://a.example/");
    o.Take();
    c.close(d, *browser);
    EXPECT_EQ(o.Take(), c.expected);
    EXPECT_FALSE(browser->IsOpen());
    EXPECT_FALSE(d.windows().IsOpen(browser->Window()));
    EXPECT_THROW(browser->Visible(), PlatformError);
  }
}

TEST_F(SimBrowserTest, SinksMayDisconnectThemselvesAndOthersInsideAnEvent) {
  const auto browser = Open(L"http://a.example/");
  Lines log;
  testing::Names names;
  names.Set(browser.get(), "b");
  testing::BrowserRecorder first(log, names, "first");
  testing::BrowserRecorder second(log, names, "second");
  testing::BrowserRecorder third(log, names, "third");
  std::unique_ptr<Connection> c1 = browser->Connect(first);
  std::unique_ptr<Connection> c2 = browser->Connect(second);
  std::unique_ptr<Connection> c3 = browser->Connect(third);
  first.beforeNavigate = [&](Navigation&, bool&) {
    c1.reset();  // itself
    c2.reset();  // a sink whose turn has not come
  };
  browsers().Go(*browser, L"http://b.example/");
  EXPECT_EQ(log, (Lines{"first BeforeNavigate2 b http://b.example/",
                        "third BeforeNavigate2 b http://b.example/",
                        "third NavigateComplete2 b http://b.example/", "third DownloadComplete"}));
  c3.reset();
  log.clear();
  browsers().Go(*browser, L"http://c.example/");
  EXPECT_TRUE(log.empty());
}

TEST_F(SimBrowserTest, FramesLoadOnTheWindowsSinksWithTheFrameAsSubject) {
  const auto top = Open(L"http://a.example/dir/index.html");
  const auto frame = browsers().AddFrame(*top, L"left.html", L"left");
  observer.names.Set(frame.get(), "f1");
  // The names are given after the events, so they show as "?" here.
  EXPECT_EQ(observer.Take(), (Lines{"w0 BeforeNavigate2 ? http://a.example/dir/left.html",
                                    "w0 NavigateComplete2 ? http://a.example/dir/left.html",
                                    "w0 DownloadComplete"}));
  const auto inner = browsers().AddFrame(*frame, L"http://b.example/inner.html", L"inner");
  observer.names.Set(inner.get(), "f2");
  browsers().Go(*inner, L"http://b.example/next.html");
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 ? http://b.example/inner.html",
                   "w0 NavigateComplete2 ? http://b.example/inner.html", "w0 DownloadComplete",
                   "w0 BeforeNavigate2 f2 http://b.example/next.html",
                   "w0 NavigateComplete2 f2 http://b.example/next.html", "w0 DownloadComplete"}));
}

TEST_F(SimBrowserTest, InjectedFailuresHitTheNamedCallOnly) {
  struct Case {
    const char* call;
    std::function<void(SimBrowser&)> make;
  };
  const Case cases[] = {
      {"Browser.HWND", [](SimBrowser& b) { b.HWND(); }},
      {"Browser.LocationURL", [](SimBrowser& b) { b.LocationURL(); }},
      {"Browser.GetDocument", [](SimBrowser& b) { b.GetDocument(); }},
      {"Browser.PutProperty", [](SimBrowser& b) { b.PutProperty(L"x", true); }},
      {"Browser.Connect",
       [](SimBrowser& b) {
         testing::Lines log;
         testing::Names names;
         testing::BrowserRecorder r(log, names, "r");
         b.Connect(r);
       }},
      {"Document.ActiveElement", [](SimBrowser& b) { b.CurrentDocument()->ActiveElement(); }},
      {"Document.EmbeddedBrowsers", [](SimBrowser& b) { b.CurrentDocument()->EmbeddedBrowsers(); }},
      {"Element.Href", [](SimBrowser& b) { b.CurrentDocument()->Elements().back()->Href(); }},
      {"HtmlWindow.Connect",
       [](SimBrowser& b) {
         struct Nothing : WindowEvents {
         } sink;
         b.CurrentDocument()->ParentWindow()->Connect(sink);
       }},
      {"ShellWindows.Item", [this](SimBrowser&) { desktop.platform().shellWindows.Item(0); }},
      {"BrowserFactory.NewBrowserWindow",
       [this](SimBrowser&) { desktop.platform().browsers.NewBrowserWindow(); }},
  };
  const auto browser = Open(L"http://a.example/");
  browsers().AddElement(*browser, L"a", {{L"href", L"http://b.example/"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    desktop.failures().FailNext(c.call);
    try {
      c.make(*browser);
      ADD_FAILURE() << "no failure";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.Source(), FromUtf8(c.call));
    }
    EXPECT_NO_THROW(c.make(*browser));  // only the next call failed
  }
}

}  // namespace
}  // namespace qx::sim
