// The new-window decision on a blocked site, with the whole program running
// on the simulated desktop: unsolicited windows, windows a click asked for,
// windows a "javascript:" link opens.
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "base/Text.h"

namespace qx::sim::testing {
namespace {

constexpr std::wstring_view kAdPage = L"http://ads.example/page.html";

class NewWindowDecision : public ProgramWorld {};

// --- A window the page opens by itself ---------------------------------------

TEST_F(NewWindowDecision, AnUnsolicitedWindowIsCancelledAndLoggedAsTheLogSettingsSay) {
  struct Case {
    bool keepLog;
    bool accurate;
    bool logged;
    const wchar_t* target;
  };
  const Case cases[] = {
      {true, true, true, L"http://ads.example/popup.html"},  // caught: its real address
      {true, false, true, L"unknown"},
      {false, true, false, L""},
      {false, false, false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "KeepLog " << c.keepLog << " accurate " << c.accurate);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"KeepLog", c.keepLog ? L"True" : L"False");
    desk.store().Poke(L"Options", L"KeepAccurateLog", c.accurate ? L"True" : L"False");
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(kAdPage);
    prog.Settle();

    const auto popup = desk.browsers().ScriptOpen(*page, L"popup.html");
    prog.Settle();

    EXPECT_EQ(popup, nullptr);
    EXPECT_EQ(desk.browsers().OpenWindows().size(), 1u);
    EXPECT_EQ(page->LocationURL(), kAdPage);
    const auto& log = prog.process()->popupLog().GetLogItems();
    if (c.logged) {
      ASSERT_EQ(log.size(), 1u);
      EXPECT_EQ(log[0].Source, kAdPage);
      EXPECT_EQ(log[0].Target, c.target);
      EXPECT_EQ(log[0].PopupType, kBrowserPopup);
    } else {
      EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(prog.process()->popupLog().TotalPopupCount(), 1);
    EXPECT_EQ(prog.form()->PendingCatch(), CatchMode::None);
  }
}

TEST_F(NewWindowDecision, EveryUnsolicitedWindowCountsAndTheCatcherIsFreeAfterEach) {
  Start();
  const auto page = Open(kAdPage);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(World().ScriptOpen(*page, L"p" + NumberText(i) + L".html"), nullptr);
    program.Settle();
  }
  ASSERT_EQ(Log().size(), 3u);
  EXPECT_EQ(Log()[2].Target, L"http://ads.example/p2.html");
  EXPECT_EQ(Kills(), 3);
  // The hidden catcher never shows a page of its own.
  EXPECT_EQ(program.form()->PageSink()->LocationURL(), L"");
}

// --- A click on a link that opens a new window ----------------------------------

TEST_F(NewWindowDecision, AMouseClickOnATargetLinkOpensItsPageInANewWindow) {
  Start();
  const auto page = Open(kAdPage);
  const auto link =
      Add(*page, L"a", {{L"href", L"http://ads.example/story.html"}, {L"target", L"_blank"}});

  World().Click(*link);
  program.Settle();

  const auto opened = OthersThan({page.get()});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]->Location(), L"http://ads.example/story.html");
  EXPECT_TRUE(opened[0]->IsVisible());
  EXPECT_EQ(page->Location(), kAdPage);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(Kills(), 0);
  // The new window is watched like any other.
  EXPECT_NE(MonitorOf(*opened[0]), nullptr);
}

TEST_F(NewWindowDecision, WithRedirectNewWindowsTheClickedLinkOpensInTheSameWindow) {
  Switch(L"RedirectNewWindows", true);
  Start();
  const auto page = Open(kAdPage);
  const auto link =
      Add(*page, L"a", {{L"href", L"http://ads.example/story.html"}, {L"target", L"_blank"}});

  World().Click(*link);
  program.Settle();

  EXPECT_TRUE(OthersThan({page.get()}).empty());
  EXPECT_EQ(page->Location(), L"http://ads.example/story.html");
  EXPECT_TRUE(Log().empty());
}

TEST_F(NewWindowDecision, ASecondWindowOpenedByTheSameClickIsKilled) {
  Start();
  const auto page = Open(kAdPage);
  // The link's own script opens the story, then an advertisement, and keeps
  // the browser from following the link.
  const auto link =
      Add(*page, L"a",
          {{L"href", L"http://ads.example/story.html"},
           {L"onclick",
            L"open http://ads.example/story.html; open http://ads.example/ad.html; cancel"}});

  World().Click(*link);
  program.Settle();

  const auto opened = OthersThan({page.get()});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]->Location(), L"http://ads.example/story.html");
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Source, kAdPage);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/ad.html");
}

TEST_F(NewWindowDecision, AClickThatEndsOffTheLinkIsNoUserAction) {
  Start();
  const auto page = Open(kAdPage);
  const auto link =
      Add(*page, L"a", {{L"href", L"http://ads.example/story.html"}, {L"target", L"_blank"}});
  const auto text = Add(*page, L"p");

  World().MouseDown(*link);
  World().MouseOut(*link);
  World().MouseUp(*text);
  program.Settle();
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/ad.html"), nullptr);
  program.Settle();

  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/ad.html");
}

TEST_F(NewWindowDecision, AClickOnAPlainLinkIsUsedUpByTheNextWindow) {
  Start();
  const auto page = Open(kAdPage);
  // A link that stays on the page (its script cancels the navigation).
  const auto link =
      Add(*page, L"a", {{L"href", L"http://ads.example/more.html"}, {L"onclick", L"cancel"}});
  World().Click(*link);
  program.Settle();

  // The first window after the click goes the verify way: its address is
  // not the link's, so it is a pop-up; the next one finds nothing at all.
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/a.html"), nullptr);
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/b.html"), nullptr);
  program.Settle();
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/a.html");
  EXPECT_EQ(Log()[1].Target, L"http://ads.example/b.html");
}

TEST_F(NewWindowDecision, AClickedLinkCountsOnlyWhileItKeepsTheFocus) {
  Start();
  const auto page = Open(kAdPage);
  const auto link =
      Add(*page, L"a", {{L"href", L"http://ads.example/story.html"}, {L"onclick", L"cancel"}});
  const auto text = Add(*page, L"p");
  World().Click(*link);
  // The user clicks the page beside the link: the focus leaves it.
  World().Click(*text);
  program.Settle();

  // The page then opens the link's own address by script.
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/story.html"), nullptr);
  program.Settle();

  EXPECT_TRUE(OthersThan({page.get()}).empty());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/story.html");
}

// --- A "javascript:" link ---------------------------------------------------------

TEST_F(NewWindowDecision, AScriptLinkThatOpensAWindowPassesWhenTheScriptIsTheLinksOwn) {
  struct Case {
    bool redirect;
  };
  for (const Case c : {Case{false}, Case{true}}) {
    SCOPED_TRACE(::testing::Message() << "RedirectNewWindows " << c.redirect);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"RedirectNewWindows", c.redirect ? L"True" : L"False");
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(kAdPage);
    prog.Settle();
    const auto link = desk.browsers().AddElement(
        *page, L"a", {{L"href", L"javascript:open('http://ads.example/gallery.html')"}});

    desk.browsers().Click(*link);
    prog.Settle();

    const auto windows = desk.browsers().OpenWindows();
    if (c.redirect) {
      ASSERT_EQ(windows.size(), 1u);
      EXPECT_EQ(page->Location(), L"http://ads.example/gallery.html");
    } else {
      ASSERT_EQ(windows.size(), 2u);
      EXPECT_EQ(windows[1]->Location(), L"http://ads.example/gallery.html");
      EXPECT_EQ(page->Location(), kAdPage);
    }
    EXPECT_TRUE(prog.process()->popupLog().GetLogItems().empty());
  }
}

TEST_F(NewWindowDecision, AScriptThatIsNotTheClickedLinksOwnOpensNoWindow) {
  Start();
  const auto page = Open(kAdPage);
  // A harmless script link; afterwards the page runs a script address of its
  // own that opens an advertisement while the link still has the focus.
  const auto link = Add(*page, L"a", {{L"href", L"javascript:void(0)"}});
  World().Click(*link);
  program.Settle();
  ASSERT_EQ(OthersThan({page.get()}).size(), 0u);

  World().ScriptGo(*page, L"javascript:open('http://ads.example/ad.html')");
  program.Settle();

  EXPECT_TRUE(OthersThan({page.get()}).empty());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Source, kAdPage);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/ad.html");
}

TEST_F(NewWindowDecision, AScriptLinkWhosePressLostTheFocusOpensNoWindow) {
  Start();
  const auto page = Open(kAdPage);
  const auto link = Add(*page, L"a", {{L"href", L"javascript:open('http://ads.example/x.html')"}});
  // The press and release on the link, then the focus leaves it before the
  // script runs.
  World().MouseDown(*link);
  World().MouseUp(*link);
  World().Blur(*link);
  World().ScriptGo(*page, L"javascript:open('http://ads.example/x.html')");
  program.Settle();

  EXPECT_TRUE(OthersThan({page.get()}).empty());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/x.html");
}

}  // namespace
}  // namespace qx::sim::testing
