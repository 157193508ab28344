// What the monitor does with the addresses a window navigates to: windows
// whose first or second page is an always-kill page close, endless script
// loops on blocked sites are bounded, and the program's own context-menu
// entries add website rules.
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "base/Text.h"
#include "browser/BrowserMonitor.h"
#include "monitor/MenuScripts.h"
#include "rules/Websites.h"

namespace qx::sim::testing {
namespace {

constexpr std::wstring_view kKillPage = L"http://ads.example/pop/offer.html";

class PageRules : public ProgramWorld {
 protected:
  void StartWithKillRule() {
    Start();
    AddRule(L"ads.example/pop", 3);
  }
};

// --- Always-kill pages --------------------------------------------------------

TEST_F(PageRules, AWindowWhoseFirstOrSecondPageIsAnAlwaysKillPageCloses) {
  struct Case {
    int before;  // pages the window showed before the always-kill page
    bool closes;
  };
  for (const Case c : {Case{0, true}, Case{1, true}, Case{2, false}, Case{3, false}}) {
    SCOPED_TRACE(::testing::Message() << c.before << " pages before");
    SimDesktop desk;
    SimDialogHost host;
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    prog.process()->websites().Add(L"ads.example/pop", 3, false);
    const auto window = desk.browsers().OpenBrowser();
    prog.Settle();
    for (int i = 0; i < c.before; ++i)
      desk.browsers().Go(*window, L"http://news.example/" + NumberText(i));
    prog.Settle();

    desk.browsers().Go(*window, kKillPage);
    prog.Settle();

    EXPECT_EQ(window->IsOpen(), !c.closes);
    const auto& log = prog.process()->popupLog().GetLogItems();
    if (c.closes) {
      ASSERT_EQ(log.size(), 1u);
      EXPECT_EQ(log[0].Source, L"");
      EXPECT_EQ(log[0].Target, kKillPage);
      EXPECT_EQ(prog.process()->popupLog().TotalPopupCount(), 1);
      EXPECT_TRUE(desk.browsers().OpenWindows().empty());
    } else {
      EXPECT_TRUE(log.empty());
      EXPECT_EQ(window->Location(), kKillPage);
    }
  }
}

TEST_F(PageRules, AWindowThatOpensOnAnAlwaysKillPageClosesEvenFromAnAllowedSite) {
  StartWithKillRule();
  AddRule(L"news.example", 1);
  const auto page = Open(L"http://news.example/");

  const auto popup = World().ScriptOpen(*page, kKillPage);
  program.Settle();

  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(popup->IsOpen());
  EXPECT_EQ(popup->Location(), L"");  // the page never showed
  EXPECT_TRUE(page->IsOpen());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, kKillPage);
}

TEST_F(PageRules, TheCountOfFirstPagesBelongsToTheWindowNotToItsMonitor) {
  StartWithKillRule();
  const auto window = Open(L"http://news.example/1");
  World().Go(*window, L"http://news.example/2");
  program.Settle();
  // The program restarts: the window keeps its count.
  program.Run([&] { program.form()->MenuCommand(L"close"); });
  program.Settle();
  ASSERT_FALSE(program.Running());
  SimProgram again(desktop, dialogs);
  ASSERT_EQ(again.Start(L"auto"), StartOutcome::Running);
  again.process()->websites().Add(L"ads.example/pop", 3, false);

  World().Go(*window, kKillPage);
  again.Settle();

  EXPECT_TRUE(window->IsOpen());
  EXPECT_TRUE(again.process()->popupLog().GetLogItems().empty());
}

TEST_F(PageRules, TheOffKeyKeepsAnAlwaysKillPageOpen) {
  StartWithKillRule();
  desktop.keyboard().Press(kVkControl);
  const auto window = Open(kKillPage);
  desktop.keyboard().Release(kVkControl);

  EXPECT_TRUE(window->IsOpen());
  EXPECT_EQ(window->Location(), kKillPage);
  EXPECT_TRUE(Log().empty());
}

// --- Endless script loops -------------------------------------------------------

TEST_F(PageRules, AnEndlessScriptLoopOnABlockedSiteRunsBounded) {
  Start();
  const auto page = Open(L"http://ads.example/");

  World().ScriptGo(*page, L"javascript:while(1)open('http://ads.example/p.html')");
  program.Settle();

  EXPECT_EQ(page->LastNavigated(),
            L"javascript:for(qxtimeout = 0;(qxtimeout<1000) && !(1);qxtimeout++)"
            L"open('http://ads.example/p.html')");
  EXPECT_EQ(MonitorOf(*page)->LastUrl, page->LastNavigated());
  EXPECT_EQ(page->Location(), L"http://ads.example/");
  // The bounded script still opens its window, and that one is a pop-up.
  EXPECT_TRUE(OthersThan({page.get()}).empty());
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(PageRules, AScriptLoopIsLeftAsItIsWhereItNeedNotBeBounded) {
  struct Case {
    const char* name;
    const wchar_t* option;  // JSLoopFix
    const wchar_t* page;
    bool allowed;
    bool offKey;
    const wchar_t* script;
  };
  const Case cases[] = {
      {"the fix off", L"False", L"http://ads.example/", false, false, L"javascript:while(1)f()"},
      {"an allowed site", L"True", L"http://ads.example/", true, false, L"javascript:while(1)f()"},
      {"the off key held", L"True", L"http://ads.example/", false, true, L"javascript:while(1)f()"},
      {"no parentheses", L"True", L"http://ads.example/", false, false,
       L"javascript:alert('wait a while')"},
      {"no loop", L"True", L"http://ads.example/", false, false, L"javascript:f()"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"JSLoopFix", c.option);
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    if (c.allowed) prog.process()->websites().Add(L"ads.example", 1, false);
    const auto page = desk.browsers().OpenBrowser(c.page);
    prog.Settle();
    if (c.offKey) desk.keyboard().Press(kVkControl);

    desk.browsers().ScriptGo(*page, c.script);
    prog.Settle();

    EXPECT_EQ(page->LastNavigated(), c.script);
    EXPECT_EQ(page->Location(), c.page);
  }
}

// --- The program's context-menu entries --------------------------------------------

class ContextMenuEntries : public PageRules {
 protected:
  // The text the program wrote into one of its menu scripts.
  std::wstring Script(std::wstring_view name) {
    const std::string bytes = desktop.files().ReadAll(desktop.files().ProgramFile(name));
    return desktop.platform().ansi.Decode(bytes);
  }
};

TEST_F(ContextMenuEntries, TheSiteEntryAllowsTheSitesPopups) {
  Start();
  const auto page = Open(L"http://www.news.example/world/story.html");
  ASSERT_EQ(World().ScriptOpen(*page, L"http://ads.example/a.html"), nullptr);

  ASSERT_TRUE(World().UseMenuEntry(*page, Script(kTrustScript)));
  program.Settle();

  // The marker page never shows; the page stays.
  EXPECT_EQ(page->Location(), L"http://www.news.example/world/story.html");
  EXPECT_TRUE(Proc().websites().Allow(L"http://news.example/other.html"));
  const auto popup = World().ScriptOpen(*page, L"http://ads.example/b.html");
  program.Settle();
  EXPECT_NE(popup, nullptr);
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(ContextMenuEntries, WhenPopupsAreAllowedByDefaultTheSiteEntryDisallowsThem) {
  Switch(L"BlockByDefault", false);
  Start();
  const auto page = Open(L"http://news.example/");
  ASSERT_NE(World().ScriptOpen(*page, L"http://ads.example/a.html"), nullptr);

  ASSERT_TRUE(World().UseMenuEntry(*page, Script(kTrustScript)));
  program.Settle();

  EXPECT_FALSE(Proc().websites().Allow(L"http://news.example/"));
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/b.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(ContextMenuEntries, TheAlwaysKillEntryUsedInAPopupKillsThatPageFromThenOn) {
  Start();
  AddRule(L"news.example", 1);
  const auto page = Open(L"http://news.example/");
  const auto popup = World().ScriptOpen(*page, L"http://ads.example/win/offer.html?id=7");
  program.Settle();
  ASSERT_NE(popup, nullptr);

  ASSERT_TRUE(World().UseMenuEntry(*popup, Script(kBlockScript)));
  program.Settle();

  EXPECT_TRUE(popup->IsOpen());
  EXPECT_TRUE(Proc().websites().Kill(L"http://ads.example/win/offer.html"));
  EXPECT_FALSE(Proc().websites().Kill(L"http://ads.example/"));
  const auto again = World().ScriptOpen(*page, L"http://ads.example/win/offer.html?id=8");
  program.Settle();
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(again->IsOpen());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/win/offer.html?id=8");
}

TEST_F(ContextMenuEntries, TheEntryWorksFromInsideAFrame) {
  Start();
  const auto page = Open(L"http://news.example/");
  const auto frame = World().AddFrame(*page, L"http://ads.example/banner.html");
  program.Settle();

  ASSERT_TRUE(World().UseMenuEntry(*frame, Script(kTrustScript)));
  program.Settle();

  // The rule is for the window's page, not for the frame's.
  EXPECT_TRUE(Proc().websites().Allow(L"http://news.example/"));
  EXPECT_FALSE(Proc().websites().Allow(L"http://ads.example/"));
}

TEST_F(ContextMenuEntries, AMarkerPageOfAnotherTokenIsAnOrdinaryPage) {
  Start();
  const auto page = Open(L"http://news.example/");
  const std::wstring prefix = Proc().settings().URLPrefix();
  ASSERT_EQ(prefix.size(), 10u);
  const std::wstring other = prefix == L"0000000000" ? L"1111111111" : L"0000000000";
  const std::wstring marker =
      L"file://" + desktop.files().ProgramFolder() + L"\\t" + other + L".html";

  World().Go(*page, marker);
  program.Settle();

  EXPECT_EQ(page->Location(), marker);
  EXPECT_FALSE(Proc().websites().Allow(L"http://news.example/"));
}

}  // namespace
}  // namespace qx::sim::testing
