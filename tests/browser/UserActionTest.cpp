// Which presses on a page count as the user's asking for a new window: keys
// in forms, the context menu's command, image maps, buttons, and presses
// inside frames, each on a blocked site with the whole program running.
#include <gtest/gtest.h>

#include <functional>

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

// Each press on a blocked page, what opens beside the page and what is
// logged: a window the user asked for passes, one the page opens itself dies.
TEST_F(UserAction, EachPressOpensWhatTheUserAskedForAndNothingElse) {
  struct Case {
    const char* name;
    std::function<void(SimBrowsers&, SimBrowser&)> act;
    Addresses opened;
    const wchar_t* logged;  // the first entry's target; none: nothing logged
    std::size_t entries = 1;
  };
  const std::wstring ads = L"http://ads.example/x.html";
  const Case cases[] = {
      {"enter in a text field submitting to a new window",
       [](SimBrowsers& w, SimBrowser& p) {
         const auto form =
             w.AddElement(p, L"form", {{L"action", L"search.cgi"}, {L"target", L"_blank"}});
         w.Key(*w.AddElement(p, L"input", {{L"type", L"text"}, {L"name", L"q"}}, form),
               PageKey::Enter);
       },
       {L"http://shop.example/catalog/search.cgi?q="},
       nullptr},
      {"a mouse click in a text field",
       [&](SimBrowsers& w, SimBrowser& p) {
         w.Click(*w.AddElement(p, L"input", {{L"type", L"text"}}));
         w.ScriptOpen(p, ads);
       },
       {},
       L"http://ads.example/x.html"},
      // The button's own script opens the window during its click; once the
      // click is over a button counts for nothing, not even the verify way.
      {"a button, during its press and after",
       [](SimBrowsers& w, SimBrowser& p) {
         w.Click(*w.AddElement(p, L"button", {{L"onclick", L"open help.html"}}));
         w.ScriptOpen(p, L"help.html");
       },
       {L"http://shop.example/catalog/help.html"},
       L"http://shop.example/catalog/help.html"},
      {"a window the form's submit script opens",
       [](SimBrowsers& w, SimBrowser& p) {
         const auto form = w.AddElement(p, L"form",
                                        {{L"action", L"/cgi/order.php"},
                                         {L"target", L"_blank"},
                                         {L"onsubmit", L"open http://ads.example/thanks.html"}});
         w.Click(*w.AddElement(p, L"input", {{L"type", L"submit"}}, form));
       },
       {},
       L"http://ads.example/thanks.html",
       2},
      {"a press that leaves the button before its release",
       [&](SimBrowsers& w, SimBrowser& p) {
         const auto button = w.AddElement(p, L"button", {{L"value", L"Go"}});
         w.MouseDown(*button);
         w.MouseOut(*button);
         w.ScriptOpen(p, ads);
       },
       {},
       L"http://ads.example/x.html"},
      {"open in new window from the context menu",
       [](SimBrowsers& w, SimBrowser& p) {
         w.NewWindowFromMenu(*w.AddElement(p, L"a", {{L"href", L"item3.html"}}));
       },
       {L"http://shop.example/catalog/item3.html"},
       nullptr},
      {"open in new window on an image map's area",
       [](SimBrowsers& w, SimBrowser& p) {
         const auto map = w.AddElement(p, L"map", {{L"name", L"m"}});
         w.NewWindowFromMenu(*w.AddElement(p, L"area", {{L"href", L"north.html"}}, map));
       },
       {L"http://shop.example/catalog/north.html"},
       nullptr},
      {"a context menu dismissed by moving the mouse",
       [](SimBrowsers& w, SimBrowser& p) {
         w.ContextMenu(*w.AddElement(p, L"a", {{L"href", L"item3.html"}}));
         w.MouseMove(p);
         w.ScriptOpen(p, L"item3.html");
       },
       {},
       L"http://shop.example/catalog/item3.html"},
      {"a window other than the link's while the context menu is open",
       [&](SimBrowsers& w, SimBrowser& p) {
         w.ContextMenu(*w.AddElement(p, L"a", {{L"href", L"item3.html"}}));
         w.ScriptOpen(p, ads);
       },
       {},
       L"http://ads.example/x.html"},
      {"a server-side image map's link opens with the clicked point",
       [](SimBrowsers& w, SimBrowser& p) {
         const auto link = w.AddElement(p, L"a", {{L"href", L"map.cgi"}, {L"target", L"_blank"}});
         w.Click(*w.AddElement(p, L"img", {{L"ismap", L""}}, link));
       },
       {L"http://shop.example/catalog/map.cgi?0,0"},
       nullptr},
      {"enter inside a frame inside a frame",
       [](SimBrowsers& w, SimBrowser& p) {
         const auto inner = w.AddFrame(*w.AddFrame(p, L"outer.html"), L"inner.html");
         const auto form =
             w.AddElement(*inner, L"form", {{L"action", L"find"}, {L"target", L"_blank"}});
         w.Key(*w.AddElement(*inner, L"input", {{L"type", L"text"}, {L"name", L"q"}}, form),
               PageKey::Enter);
       },
       {L"http://shop.example/catalog/find?q="},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop desk;
    SimDialogHost host;
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(kPage);
    prog.Settle();

    c.act(desk.browsers(), *page);
    prog.Settle();

    Addresses opened;
    for (const auto& w : desk.browsers().OpenWindows()) {
      if (w != page) opened.push_back(w->Location());
    }
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(page->Location(), kPage);
    const auto& log = prog.process()->popupLog().GetLogItems();
    ASSERT_EQ(log.size(), c.logged ? c.entries : 0u);
    if (c.logged) {
      EXPECT_EQ(log[0].Target, c.logged);
    }
  }
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
