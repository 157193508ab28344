// Pages whose windows are let through without any user action: allowed
// sites, HTTPS and local pages as the options say, the off key, blocking
// switched off, and "vid:" pages that are not examined at all.
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "base/Text.h"

namespace qx::sim::testing {
namespace {

class AllowedPages : public ProgramWorld {};

struct SiteCase {
  const char* name;
  std::vector<std::pair<const wchar_t*, const wchar_t*>> options;
  std::vector<std::pair<const wchar_t*, int>> rules;
  const wchar_t* page;
  bool opens;
};

// How each rule matches is the rules' own tests' business; here, that the
// watch asks them and the options.
TEST_F(AllowedPages, AWindowOpensByItselfExactlyWhereTheRulesAndOptionsAllowIt) {
  const SiteCase cases[] = {
      {"no rule, blocking by default", {}, {}, L"http://news.example/", false},
      {"an allow rule for the site", {}, {{L"news.example", 1}}, L"http://news.example/a", true},
      {"not blocking by default",
       {{L"BlockByDefault", L"False"}},
       {},
       L"http://news.example/",
       true},
      {"a disallow rule while not blocking by default",
       {{L"BlockByDefault", L"False"}},
       {{L"news.example", 2}},
       L"http://news.example/",
       false},
      {"HTTPS allowed", {{L"AllowHTTPS", L"True"}}, {}, L"https://bank.example/", true},
      {"HTTPS allowed beats a disallow rule",
       {{L"AllowHTTPS", L"True"}},
       {{L"bank.example", 2}},
       L"https://bank.example/",
       true},
      {"local pages ignored", {{L"IgnoreLocal", L"True"}}, {}, L"file:///C:/pages/a.html", true},
  };
  for (const SiteCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop desk;
    SimDialogHost host;
    for (const auto& [name, value] : c.options)
      desk.store().Poke(L"Options", name, value);
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    for (const auto& [site, type] : c.rules)
      ASSERT_NE(prog.process()->websites().Add(site, type, false), nullptr);
    const auto page = desk.browsers().OpenBrowser(c.page);
    prog.Settle();

    const auto popup = desk.browsers().ScriptOpen(*page, L"http://pop.example/offer.html");
    prog.Settle();

    EXPECT_EQ(popup != nullptr, c.opens);
    if (popup) {
      EXPECT_EQ(popup->Location(), L"http://pop.example/offer.html");
    }
    EXPECT_EQ(prog.process()->popupLog().GetLogItems().size(), c.opens ? 0u : 1u);
    EXPECT_EQ(prog.process()->popupLog().TotalPopupCount(), c.opens ? 0 : 1);
  }
}

TEST_F(AllowedPages, TheOffKeyIsTheComboTheOptionNames) {
  // The off key is SHIFT + ALT here: CTRL alone does nothing, and SHIFT + ALT
  // + CTRL is not the combination either.
  SetOption(L"OffKey", L"5");
  Start();
  const auto page = Open(L"http://news.example/");

  desktop.keyboard().Press(kVkControl);
  EXPECT_EQ(World().ScriptOpen(*page, L"a.html"), nullptr);
  desktop.keyboard().Press(kVkShift);
  desktop.keyboard().Press(kVkMenu);
  EXPECT_EQ(World().ScriptOpen(*page, L"b.html"), nullptr);
  desktop.keyboard().Release(kVkControl);
  EXPECT_NE(World().ScriptOpen(*page, L"c.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(AllowedPages, BlockingSwitchedOffInTheTrayLetsEveryWindowThrough) {
  Start();
  const auto page = Open(L"http://news.example/");
  program.Run([&] { program.form()->ToggleEnabled(); });
  ASSERT_FALSE(program.form()->BlockingEnabled());

  EXPECT_NE(World().ScriptOpen(*page, L"a.html"), nullptr);
  program.Settle();
  EXPECT_TRUE(Log().empty());

  program.Run([&] { program.form()->ToggleEnabled(); });
  EXPECT_EQ(World().ScriptOpen(*page, L"b.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(AllowedPages, AVidPageIsNotExaminedAndKeepsItsPress) {
  Start();
  const auto page = Open(L"vid:clip1");
  const auto link = Add(*page, L"a", {{L"href", L"http://news.example/"}, {L"onclick", L"cancel"}});
  World().Click(*link);
  program.Settle();
  const auto monitor = MonitorOf(*page);
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(monitor->ClickDone);

  const auto popup = World().ScriptOpen(*page, L"http://pop.example/");
  program.Settle();

  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Location(), L"http://pop.example/");
  EXPECT_TRUE(Log().empty());
  // No test and no reset: the press is still there.
  EXPECT_TRUE(monitor->ClickDone);
  EXPECT_EQ(monitor->ElementKind, PressedKind::Link);
}

TEST_F(AllowedPages, TheSamePressOnABlockedPageIsUsedUpByTheNextWindow) {
  Start();
  const auto page = Open(L"http://news.example/");
  const auto link = Add(*page, L"a", {{L"href", L"http://news.example/"}, {L"onclick", L"cancel"}});
  World().Click(*link);
  program.Settle();
  const auto monitor = MonitorOf(*page);
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(monitor->ClickDone);

  EXPECT_EQ(World().ScriptOpen(*page, L"http://pop.example/"), nullptr);
  program.Settle();

  EXPECT_FALSE(monitor->ClickDone);
  EXPECT_FALSE(monitor->MenuArmed);
}

}  // namespace
}  // namespace qx::sim::testing
