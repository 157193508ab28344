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
  EXPECT_EQ(browser->FullName(), L"c:\\program files\\internet explorer\\iexplore.exe");
  EXPECT_EQ(browser->HWND(), browser->Window());
  EXPECT_TRUE(browser->TopLevelContainer());
  EXPECT_TRUE(browser->Visible());
  EXPECT_EQ(desktop.windows().Foreground(), browser->Window());
}

TEST_F(SimBrowserTest, TheCaptionShowsTheTitleOrElseTheAddress) {
  const auto browser = browsers().OpenBrowser(L"", L"c:\\other\\shell.exe");
  EXPECT_EQ(desktop.windows().Find(browser->Window())->text, L"Microsoft Internet Explorer");
  EXPECT_EQ(browser->FullName(), L"c:\\other\\shell.exe");
  browsers().Go(*browser, L"http://a.example/x.html");
  EXPECT_EQ(desktop.windows().Find(browser->Window())->text,
            L"http://a.example/x.html - Microsoft Internet Explorer");
  browsers().SetTitle(*browser, L"Welcome");
  EXPECT_EQ(desktop.windows().Find(browser->Window())->text,
            L"Welcome - Microsoft Internet Explorer");
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

TEST_F(SimBrowserTest, ACancelledNavigationLeavesThePageAsItWas) {
  const auto browser = Open(L"http://a.example/");
  const auto page = browser->GetDocument();
  observer.Recorder("w0").beforeNavigate = [](Navigation&, bool& cancel) { cancel = true; };
  browsers().Go(*browser, L"http://b.example/");
  EXPECT_EQ(observer.Take(), (Lines{"w0 BeforeNavigate2 w0 http://b.example/"}));
  EXPECT_EQ(browser->GetDocument(), page);
  EXPECT_EQ(browser->LocationURL(), L"http://a.example/");
  EXPECT_EQ(browser->LastNavigated(), L"http://a.example/");
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

TEST_F(SimBrowserTest, WindowOpenWithoutInterferenceOpensAnnouncesThenNavigates) {
  const auto opener = Open(L"http://a.example/");
  const auto window = browsers().ScriptOpen(*opener, L"pop.html");
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 NewWindow2", "WindowRegistered 1",
                   "w1 BeforeNavigate2 w1 http://a.example/pop.html",
                   "w1 NavigateComplete2 w1 http://a.example/pop.html", "w1 DownloadComplete"}));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->IsVisible());
  EXPECT_EQ(window->Process(), opener->Process());
  EXPECT_EQ(browsers().OpenWindows().size(), 2u);
  EXPECT_EQ(browsers().Opened().back(), window);
}

TEST_F(SimBrowserTest, WindowOpenCancelledOpensNothing) {
  const auto opener = Open(L"http://a.example/");
  observer.Recorder("w0").newWindow = [](std::shared_ptr<Browser>&, bool& cancel) {
    cancel = true;
  };
  EXPECT_EQ(browsers().ScriptOpen(*opener, L"http://pop.example/"), nullptr);
  EXPECT_EQ(observer.Take(), (Lines{"w0 NewWindow2"}));
  EXPECT_EQ(browsers().OpenWindows().size(), 1u);
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

TEST_F(SimBrowserTest, TheHiddenControlHasNoWindowAndIsNotListed) {
  const auto control = desktop.platform().browsers.CreateHiddenBrowserControl();
  EXPECT_THROW(control->HWND(), PlatformError);
  EXPECT_EQ(control->FullName(), std::wstring(kProgramFile));
  EXPECT_FALSE(control->Visible());
  EXPECT_EQ(control->GetDocument(), nullptr);
  EXPECT_EQ(desktop.platform().shellWindows.Count(), 0);
  control->Quit();  // a control cannot close a window
  EXPECT_NO_THROW(control->LocationURL());
  EXPECT_TRUE(observer.log.empty());
}

TEST_F(SimBrowserTest, TheShellListKeepsOpeningOrderAndCookies) {
  auto& shell = desktop.platform().shellWindows;
  const auto a = browsers().OpenBrowser(L"http://a.example/");
  const auto b = browsers().OpenBrowser(L"http://b.example/");
  const auto c = browsers().OpenBrowser(L"http://c.example/");
  ASSERT_EQ(shell.Count(), 3);
  EXPECT_EQ(shell.Item(0), a);
  EXPECT_EQ(shell.Item(2), c);
  EXPECT_EQ(shell.Item(3), nullptr);
  observer.Take();
  browsers().Quit(*b);
  EXPECT_EQ(observer.Take().back(), "WindowRevoked 1");
  ASSERT_EQ(shell.Count(), 2);
  EXPECT_EQ(shell.Item(1), c);
  // A listed window that is no browser answers none.
  const std::int32_t other = browsers().shellWindows().RegisterOther();
  EXPECT_EQ(other, 3);
  EXPECT_EQ(shell.Item(2), nullptr);
  browsers().shellWindows().RevokeOther(other);
  EXPECT_EQ(observer.Take(), (Lines{"WindowRegistered 3", "WindowRevoked 3"}));
  const auto d = browsers().OpenBrowser();
  ASSERT_NE(shell.Item(2), nullptr);
  EXPECT_EQ(shell.Item(2)->HWND(), d->Window());
  EXPECT_EQ(observer.Take(), (Lines{"WindowRegistered 4"}));
}

TEST_F(SimBrowserTest, ANewBrowserWindowOfTheProgramIsHiddenAnnouncedAndNavigable) {
  const auto browser = desktop.platform().browsers.NewBrowserWindow();
  EXPECT_EQ(observer.Take(), (Lines{"WindowRegistered 0"}));
  EXPECT_FALSE(browser->Visible());
  EXPECT_EQ(browser->GetDocument(), nullptr);
  EXPECT_EQ(browser->LocationURL(), L"");
  EXPECT_NE(desktop.windows().Foreground(), browser->HWND());
  Navigation navigation;
  navigation.url = L"http://caught.example/";
  browser->Navigate2(navigation);
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 w0 http://caught.example/",
                   "w0 NavigateComplete2 w0 http://caught.example/", "w0 DownloadComplete"}));
  browser->SetVisible(true);
  EXPECT_TRUE(browser->Visible());
  EXPECT_EQ(desktop.windows().Foreground(), browser->HWND());
  EXPECT_EQ(browsers().Opened().back().get(), browser.get());
}

TEST_F(SimBrowserTest, Navigate2FindsItsTarget) {
  const auto top = Open(L"http://a.example/");
  const auto frame = browsers().AddFrame(*top, L"http://a.example/f.html", L"main");
  observer.names.Set(frame.get(), "f");
  observer.Take();
  Navigation toTop;
  toTop.url = L"http://b.example/";
  toTop.targetFrameName = L"_top";
  frame->Navigate2(toTop);
  EXPECT_EQ(observer.Take().front(), "w0 BeforeNavigate2 w0 http://b.example/ target=_top");

  const auto frame2 = browsers().AddFrame(*top, L"http://b.example/g.html", L"main");
  observer.names.Set(frame2.get(), "g");
  observer.Take();
  Navigation toFrame;
  toFrame.url = L"http://b.example/h.html";
  toFrame.targetFrameName = L"main";
  top->Navigate2(toFrame);
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 g http://b.example/h.html target=main",
                   "w0 NavigateComplete2 g http://b.example/h.html", "w0 DownloadComplete"}));

  // An unknown name opens a window of that name; the name then finds it.
  Navigation named;
  named.url = L"http://c.example/";
  named.targetFrameName = L"results";
  top->Navigate2(named);
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 NewWindow2", "WindowRegistered 1",
                   "w1 BeforeNavigate2 w1 http://c.example/ target=results",
                   "w1 NavigateComplete2 w1 http://c.example/", "w1 DownloadComplete"}));
  named.url = L"http://d.example/";
  top->Navigate2(named);
  EXPECT_EQ(observer.Take().front(), "w1 BeforeNavigate2 w1 http://d.example/ target=results");
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
  EXPECT_EQ(browser->ToolBar(), 0);
  EXPECT_FALSE(browser->StatusBar());
  EXPECT_TRUE(browser->FullScreen());
  EXPECT_FALSE(browser->Resizable());
  EXPECT_FALSE(browser->AddressBar());
  browser->SetToolBar(2);
  EXPECT_EQ(browser->ToolBar(), 2);
  EXPECT_EQ(observer.Take(), (Lines{"w0 OnToolBar on"}));
}

TEST_F(SimBrowserTest, PlaceAndFrameCallsReachTheWindow) {
  const auto browser = Open(L"http://a.example/");
  browsers().Place(*browser, 10, 20, 300, 200);
  const auto frame = browsers().AddFrame(*browser, L"f.html");
  EXPECT_EQ(frame->Left(), 10);
  EXPECT_EQ(frame->Top(), 20);
  frame->SetWidth(640);
  EXPECT_EQ(browser->Width(), 640);
  EXPECT_EQ(browser->Height(), 200);
  frame->SetStatusBar(false);
  EXPECT_FALSE(browser->StatusBar());
}

TEST_F(SimBrowserTest, TheUserClosingTheWindowUnloadsQuitsAndRevokes) {
  const auto browser = Open(L"http://a.example/");
  const auto document = browser->GetDocument();
  PageRecorder page(observer.log, document, "page");
  const Hwnd window = browser->Window();
  browsers().Quit(*browser);
  EXPECT_EQ(observer.Take(),
            (Lines{"page beforeunload", "page unload", "w0 OnQuit", "WindowRevoked 0"}));
  EXPECT_FALSE(desktop.windows().IsOpen(window));
  EXPECT_FALSE(browser->IsOpen());
  EXPECT_THROW(browser->HWND(), PlatformError);
  EXPECT_THROW(browser->LocationURL(), PlatformError);
  EXPECT_THROW(document->ActiveElement(), PlatformError);
  EXPECT_EQ(desktop.platform().shellWindows.Count(), 0);
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

TEST_F(SimBrowserTest, QuitInsideBeforeNavigateEndsTheNavigation) {
  const auto browser = Open(L"http://a.example/");
  observer.Recorder("w0").beforeNavigate = [&](Navigation&, bool& cancel) {
    cancel = true;
    browser->Quit();
  };
  browsers().Go(*browser, L"http://kill.example/");
  EXPECT_EQ(observer.Take(),
            (Lines{"w0 BeforeNavigate2 w0 http://kill.example/", "w0 OnQuit", "WindowRevoked 0"}));
}

TEST_F(SimBrowserTest, ThePropertyBagSurvivesNavigationsOfTheWindow) {
  const auto browser = Open(L"http://a.example/");
  EXPECT_EQ(browser->GetProperty(L"QXtag1"), std::nullopt);
  browser->PutProperty(L"QXtag1", true);
  browsers().Go(*browser, L"http://b.example/");
  EXPECT_EQ(browser->GetProperty(L"QXtag1"), std::optional<bool>(true));
  browser->PutProperty(L"QXtag1", false);
  EXPECT_EQ(browser->GetProperty(L"QXtag1"), std::optional<bool>(false));
  EXPECT_EQ(browser->GetProperty(L"QXtag2"), std::nullopt);
  // Another window has a bag of its own.
  EXPECT_EQ(browsers().OpenBrowser()->GetProperty(L"QXtag1"), std::nullopt);
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

  const auto page = top->GetDocument();
  browsers().AddElement(*top, L"object");
  EXPECT_EQ(page->FramesLength(), 1);
  const auto embedded = page->EmbeddedBrowsers();
  ASSERT_EQ(embedded.size(), 2u);
  EXPECT_EQ(embedded[0], frame);
  EXPECT_EQ(embedded[1], nullptr);  // the object is no browser
  EXPECT_FALSE(frame->TopLevelContainer());
  EXPECT_THROW(frame->HWND(), PlatformError);
  EXPECT_EQ(frame->LocationURL(), L"http://a.example/dir/left.html");
  EXPECT_EQ(frame->FullName(), top->FullName());
  EXPECT_NE(frame->GetDocument(), page);
  EXPECT_EQ(frame->GetDocument()->EmbeddedBrowsers(),
            (std::vector<std::shared_ptr<Browser>>{inner}));
  EXPECT_EQ(top->LocationURL(), L"http://a.example/dir/index.html");
  // A connection to a frame hears nothing: its events go to the window.
  Lines frameLog;
  testing::BrowserRecorder frameSink(frameLog, observer.names, "frame");
  const auto connection = frame->Connect(frameSink);
  browsers().Go(*frame, L"http://a.example/other.html");
  EXPECT_TRUE(frameLog.empty());
  EXPECT_EQ(observer.Take().size(), 3u);

  // The frames go with the page that holds them.
  browsers().Go(*top, L"http://c.example/");
  EXPECT_FALSE(frame->IsOpen());
  EXPECT_THROW(frame->LocationURL(), PlatformError);
  EXPECT_EQ(top->GetDocument()->FramesLength(), 0);
}

TEST_F(SimBrowserTest, AWebPageDialogIsCreatedOwnedThenActivated) {
  struct Listener final : WindowListener {
    void WindowCreated(const SimWindow& w) override {
      seen.push_back("created " + ToUtf8(w.className) + " \"" + ToUtf8(w.text) +
                     "\" owner=" + std::to_string(w.owner));
    }
    void CaptionChanged(const SimWindow& w) override {
      seen.push_back("caption " + ToUtf8(w.text));
    }
    void WindowActivated(const SimWindow& w) override {
      seen.push_back("activated " + ToUtf8(w.className));
    }
    void WindowDestroyed(const SimWindow& w) override {
      seen.push_back("destroyed " + ToUtf8(w.className));
    }
    Lines seen;
  } listener;
  const auto connection = desktop.windows().Listen(listener);
  const auto browser = browsers().OpenBrowser(L"http://a.example/");
  const std::string owner = std::to_string(browser->Window());
  EXPECT_EQ(listener.seen,
            (Lines{"created IEFrame \"Microsoft Internet Explorer\" owner=0", "activated IEFrame",
                   "caption http://a.example/ - Microsoft Internet Explorer"}));
  listener.seen.clear();
  const Hwnd dialog = browsers().ScriptDialog(*browser, L"Hello");
  EXPECT_EQ(listener.seen,
            (Lines{"created Internet Explorer_TridentDlgFrame \"Hello -- Web Page Dialog\" owner=" +
                       owner,
                   "activated Internet Explorer_TridentDlgFrame"}));
  EXPECT_EQ(desktop.windows().Find(dialog)->process, browser->Process());
  EXPECT_EQ(desktop.windows().Parent(dialog), browser->Window());
  listener.seen.clear();
  browsers().Quit(*browser);
  EXPECT_EQ(listener.seen,
            (Lines{"destroyed IEFrame", "destroyed Internet Explorer_TridentDlgFrame"}));
  EXPECT_FALSE(desktop.windows().IsOpen(dialog));
}

TEST_F(SimBrowserTest, InjectedFailuresHitTheNamedCallOnly) {
  struct Case {
    const char* call;
    std::function<void(SimBrowser&)> make;
  };
  const Case cases[] = {
      {"Browser.HWND", [](SimBrowser& b) { b.HWND(); }},
      {"Browser.LocationURL", [](SimBrowser& b) { b.LocationURL(); }},
      {"Browser.FullName", [](SimBrowser& b) { b.FullName(); }},
      {"Browser.Visible", [](SimBrowser& b) { b.Visible(); }},
      {"Browser.GetDocument", [](SimBrowser& b) { b.GetDocument(); }},
      {"Browser.PutProperty", [](SimBrowser& b) { b.PutProperty(L"x", true); }},
      {"Browser.SetStatusBar", [](SimBrowser& b) { b.SetStatusBar(true); }},
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
      {"Element.TagName", [](SimBrowser& b) { b.CurrentDocument()->Elements().back()->TagName(); }},
      {"HtmlWindow.Connect",
       [](SimBrowser& b) {
         struct Nothing : WindowEvents {
         } sink;
         b.CurrentDocument()->ParentWindow()->Connect(sink);
       }},
      {"ShellWindows.Item", [this](SimBrowser&) { desktop.platform().shellWindows.Item(0); }},
      {"ShellWindows.Count", [this](SimBrowser&) { desktop.platform().shellWindows.Count(); }},
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

TEST_F(SimBrowserTest, ABrowserWhoseEveryCallFailsStillRaisesItsEvents) {
  const auto browser = Open(L"http://a.example/");
  const auto other = browsers().OpenBrowser(L"http://b.example/");
  browser->SetFailing(true);
  EXPECT_THROW(browser->HWND(), PlatformError);
  EXPECT_THROW(browser->LocationURL(), PlatformError);
  EXPECT_THROW(browser->Quit(), PlatformError);
  EXPECT_NO_THROW(other->HWND());
  observer.Take();
  browsers().Go(*browser, L"http://c.example/");
  EXPECT_EQ(observer.Take().size(), 3u);

  desktop.failures().FailAlways("Browser");
  EXPECT_THROW(other->HWND(), PlatformError);
  EXPECT_THROW(other->TopLevelContainer(), PlatformError);
  EXPECT_NO_THROW(desktop.platform().shellWindows.Count());  // another port
  desktop.failures().Clear();
  EXPECT_NO_THROW(other->HWND());
}

TEST_F(SimBrowserTest, ObjectsOutlivingTheDesktopAnswerAsDisconnected) {
  std::shared_ptr<Browser> kept;
  std::shared_ptr<Document> page;
  {
    SimDesktop d;
    const auto browser = d.browsers().OpenBrowser(L"http://a.example/");
    kept = browser;
    page = browser->GetDocument();
  }
  EXPECT_THROW(kept->HWND(), PlatformError);
  EXPECT_THROW(page->LocationHref(), PlatformError);
}

}  // namespace
}  // namespace qx::sim
