// Which presses on a page count as the user's asking for a new window: keys
// in forms, the context menu's command, image maps, buttons, and presses
// inside frames, each on a blocked site with the whole program running.
#include <gtest/gtest.h>

#include "ProgramWorld.h"

namespace qx::sim::testing {
namespace {

constexpr std::wstring_view kPage = L"http://shop.example/catalog/index.html";

class UserAction : public ProgramWorld {
 protected:
  // The addresses of the windows that opened besides the page.
  std::vector<std::wstring> OpenedBeside(const SimBrowser& page) {
    std::vector<std::wstring> out;
    for (const auto& w : OthersThan({&page}))
      out.push_back(w->Location());
    return out;
  }
};

using Addresses = std::vector<std::wstring>;

// --- Keys ---------------------------------------------------------------------

TEST_F(UserAction, EnterInATextFieldSubmittingToANewWindowPasses) {
  Start();
  const auto page = Open(kPage);
  const auto form = Add(*page, L"form", {{L"action", L"search.cgi"}, {L"target", L"_blank"}});
  const auto field = Add(*page, L"input", {{L"type", L"text"}, {L"name", L"q"}}, form);

  World().Key(*field, PageKey::Enter);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/search.cgi?q="}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, EnterInATextFieldWithRedirectNewWindowsSubmitsInTheSameWindow) {
  Switch(L"RedirectNewWindows", true);
  Start();
  const auto page = Open(kPage);
  const auto form = Add(
      *page, L"form", {{L"action", L"search.cgi"}, {L"target", L"results"}, {L"method", L"post"}});
  const auto field = Add(*page, L"input", {{L"type", L"password"}, {L"name", L"pin"}}, form);

  World().Key(*field, PageKey::Enter);
  program.Settle();

  EXPECT_TRUE(OpenedBeside(*page).empty());
  EXPECT_EQ(page->Location(), L"http://shop.example/catalog/search.cgi");
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, AMouseClickInATextFieldAsksForNoWindow) {
  Start();
  const auto page = Open(kPage);
  const auto field = Add(*page, L"input", {{L"type", L"text"}});

  World().Click(*field);
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/x.html"), nullptr);
  program.Settle();

  EXPECT_TRUE(OpenedBeside(*page).empty());
  ASSERT_EQ(Log().size(), 1u);
}

TEST_F(UserAction, EnterOnALinkOpensItsWindowAndSpaceDoesNothing) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"item7.html"}, {L"target", L"_blank"}});

  World().Key(*link, PageKey::Space);
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/x.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 1u);

  World().Key(*link, PageKey::Enter);
  program.Settle();
  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/item7.html"}));
  EXPECT_EQ(Log().size(), 1u);
}

// --- Buttons and inputs ----------------------------------------------------------

TEST_F(UserAction, AButtonOpensAWindowOnlyWhileItsPressIsUnderWay) {
  Start();
  const auto page = Open(kPage);
  // The button's own script opens the window: during its click.
  const auto button = Add(*page, L"button", {{L"onclick", L"open help.html"}});
  World().Click(*button);
  program.Settle();
  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/help.html"}));

  // Once the click is over, a button counts for nothing: not even the
  // verify way that a link would take.
  EXPECT_EQ(World().ScriptOpen(*page, L"help.html"), nullptr);
  program.Settle();
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://shop.example/catalog/help.html");
}

TEST_F(UserAction, ASubmitButtonOfAFormWithANewWindowTargetPassesTheVerifyWay) {
  Start();
  const auto page = Open(kPage);
  const auto form = Add(*page, L"form", {{L"action", L"/cgi/order.php"}, {L"target", L"_blank"}});
  Add(*page, L"input", {{L"type", L"text"}, {L"name", L"n"}, {L"value", L"2"}}, form);
  const auto submit = Add(*page, L"input", {{L"type", L"submit"}, {L"value", L"Order"}}, form);

  World().Click(*submit);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/cgi/order.php?n=2"}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, AWindowAFormsSubmitScriptOpensIsNotTheFormsAnswer) {
  Start();
  const auto page = Open(kPage);
  const auto form = Add(*page, L"form",
                        {{L"action", L"/cgi/order.php"},
                         {L"target", L"_blank"},
                         {L"onsubmit", L"open http://ads.example/thanks.html"}});
  const auto submit = Add(*page, L"input", {{L"type", L"submit"}}, form);

  World().Click(*submit);
  program.Settle();

  EXPECT_TRUE(OpenedBeside(*page).empty());
  ASSERT_FALSE(Log().empty());
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/thanks.html");
}

TEST_F(UserAction, APressThatLeavesAButtonBeforeReleaseAsksForNoWindow) {
  Start();
  const auto page = Open(kPage);
  const auto button = Add(*page, L"button", {{L"value", L"Go"}});
  World().MouseDown(*button);
  World().MouseOut(*button);
  Hwnd dialog = World().ScriptDialog(*page, L"Offer");
  program.Settle();
  EXPECT_FALSE(desktop.windows().IsOpen(dialog));
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/x.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 2u);
}

// --- The context menu ----------------------------------------------------------------

TEST_F(UserAction, OpenInNewWindowFromTheContextMenuPassesTheVerifyWay) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"item3.html"}});

  World().NewWindowFromMenu(*link);
  program.Settle();

  const auto opened = OthersThan({page.get()});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0]->Location(), L"http://shop.example/catalog/item3.html");
  EXPECT_TRUE(opened[0]->IsVisible());
  EXPECT_EQ(page->Location(), kPage);
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, OpenInNewWindowOnAnImageMapAreaPassesToo) {
  Start();
  const auto page = Open(kPage);
  const auto map = Add(*page, L"map", {{L"name", L"m"}});
  const auto area = Add(*page, L"area", {{L"href", L"north.html"}}, map);

  World().NewWindowFromMenu(*area);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/north.html"}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, AContextMenuDismissedByMovingTheMouseAsksForNoWindow) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"item3.html"}});

  ASSERT_TRUE(World().ContextMenu(*link));
  World().MouseMove(*page);
  EXPECT_EQ(World().ScriptOpen(*page, L"item3.html"), nullptr);
  program.Settle();

  EXPECT_TRUE(OpenedBeside(*page).empty());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://shop.example/catalog/item3.html");
}

TEST_F(UserAction, AContextMenuWindowWhoseAddressIsNotTheLinksIsLogged) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"item3.html"}});

  ASSERT_TRUE(World().ContextMenu(*link));
  // While the menu is open the page opens a window of its own.
  EXPECT_EQ(World().ScriptOpen(*page, L"http://ads.example/x.html"), nullptr);
  program.Settle();

  EXPECT_TRUE(OpenedBeside(*page).empty());
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/x.html");
}

// --- Image maps -------------------------------------------------------------------

TEST_F(UserAction, AServerSideImageMapLinkOpensTheAddressWithTheClickedPoint) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"map.cgi"}, {L"target", L"_blank"}});
  const auto image = Add(*page, L"img", {{L"ismap", L""}}, link);

  World().Click(*image);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/map.cgi?0,0"}));
  EXPECT_TRUE(Log().empty());
}

// --- The cancel-click fix ------------------------------------------------------

TEST_F(UserAction, TheCancelClickFixKeepsAScriptLinkToItsOwnPageFromReloadingIt) {
  struct Case {
    const char* name;
    bool fix;
    const wchar_t* href;
    const wchar_t* onclick;  // nullptr: none
    bool reloads;
  };
  const Case cases[] = {
      {"fix on, own page, script", true, L"index.html", L"dialog \"Hello\"", false},
      {"fix on, own page, no script", true, L"index.html", nullptr, true},
      {"fix on, other page, script", true, L"other.html", L"dialog \"Hello\"", true},
      {"fix off, own page, script", false, L"index.html", L"dialog \"Hello\"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"CancelClickFix", c.fix ? L"True" : L"False");
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(kPage);
    prog.Settle();
    Attributes attributes{{L"href", c.href}};
    if (c.onclick) attributes.emplace_back(L"onclick", c.onclick);
    const auto link = desk.browsers().AddElement(*page, L"a", attributes);
    const auto shown = page->CurrentDocument();

    desk.browsers().Click(*link);
    prog.Settle();

    // Following the link loads a new page, even the same address again.
    EXPECT_EQ(page->CurrentDocument() != shown, c.reloads);
    EXPECT_EQ(page->Location(), c.reloads ? link->ResolvedHref() : std::wstring(kPage));
  }
}

// --- The update site ----------------------------------------------------------------

TEST_F(UserAction, OnTheUpdateSiteNothingIsBlockedAndNoPressIsRecorded) {
  Start();
  const auto page = Open(L"http://windowsupdate.microsoft.com/v4/default.asp");
  const auto link = Add(*page, L"a", {{L"href", L"x.html"}, {L"onclick", L"cancel"}});

  World().Click(*link);
  EXPECT_FALSE(MonitorOf(*page)->ClickDone);
  EXPECT_TRUE(MonitorOf(*page)->Suspended);
  const auto popup = World().ScriptOpen(*page, L"scan.html");
  program.Settle();

  EXPECT_NE(popup, nullptr);
  EXPECT_TRUE(Log().empty());

  // Leaving the site ends the suspension at once.
  World().Go(*page, L"http://news.example/");
  program.Settle();
  EXPECT_FALSE(MonitorOf(*page)->Suspended);
  EXPECT_EQ(World().ScriptOpen(*page, L"pop.html"), nullptr);
}

// --- Frames -------------------------------------------------------------------------

TEST_F(UserAction, APressInsideAFrameCounts) {
  Start();
  const auto page = Open(kPage);
  const auto frame = World().AddFrame(*page, L"menu.html", L"menu");
  program.Settle();
  const auto link = Add(*frame, L"a", {{L"href", L"item9.html"}, {L"target", L"_blank"}});

  World().Click(*link);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/item9.html"}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, APressInsideAFrameInsideAFrameCounts) {
  Start();
  const auto page = Open(kPage);
  const auto outer = World().AddFrame(*page, L"outer.html");
  const auto inner = World().AddFrame(*outer, L"inner.html");
  program.Settle();
  const auto field = Add(*inner, L"input", {{L"type", L"text"}, {L"name", L"q"}},
                         Add(*inner, L"form", {{L"action", L"find"}, {L"target", L"_blank"}}));

  World().Key(*field, PageKey::Enter);
  program.Settle();

  EXPECT_EQ(OpenedBeside(*page), (Addresses{L"http://shop.example/catalog/find?q="}));
  EXPECT_TRUE(Log().empty());
}

TEST_F(UserAction, AFrameThatOpensAWindowByItselfIsLoggedWithTheWindowsPage) {
  Start();
  const auto page = Open(kPage);
  const auto frame = World().AddFrame(*page, L"http://ads.example/banner.html");
  program.Settle();

  EXPECT_EQ(World().ScriptOpen(*frame, L"pop.html"), nullptr);
  program.Settle();

  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Source, kPage);
  EXPECT_EQ(Log()[0].Target, L"http://ads.example/pop.html");
}

}  // namespace
}  // namespace qx::sim::testing
