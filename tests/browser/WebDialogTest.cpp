// Web page dialogs: the hook library reports each one to the hook control,
// the main form records the owner's press and asks the owner's monitor
// whether the dialog may stay.
#include <gtest/gtest.h>

#include "ProgramWorld.h"

namespace qx::sim::testing {
namespace {

constexpr std::wstring_view kPage = L"http://shop.example/";

class WebDialogs : public ProgramWorld {
 protected:
  bool Shown(Hwnd dialog) { return dialog != 0 && desktop.windows().IsOpen(dialog); }
};

TEST_F(WebDialogs, ADialogOpenedByAClickedLinksScriptStays) {
  Start();
  const auto page = Open(kPage);
  const auto link =
      Add(*page, L"a", {{L"href", L"sizes.html"}, {L"onclick", L"dialog \"Sizes\"; cancel"}});

  World().Click(*link);
  program.Settle();

  ASSERT_EQ(World().Dialogs().size(), 1u);
  EXPECT_TRUE(Shown(World().Dialogs()[0]));
  EXPECT_TRUE(Log().empty());
}

TEST_F(WebDialogs, OneClickAllowsOneDialog) {
  Start();
  const auto page = Open(kPage);
  const auto button = Add(*page, L"button", {{L"onclick", L"dialog \"One\"; dialog \"Two\""}});

  World().Click(*button);
  program.Settle();

  ASSERT_EQ(World().Dialogs().size(), 2u);
  EXPECT_TRUE(Shown(World().Dialogs()[0]));
  EXPECT_FALSE(Shown(World().Dialogs()[1]));
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"\"Two\" (Web page dialog)");
}

TEST_F(WebDialogs, AfterAClickedScriptLinkTheDialogOfItsScriptStays) {
  Start();
  const auto page = Open(kPage);
  // The link's address is a script; the dialog comes from that script
  // after the click has ended.
  const auto link = Add(*page, L"a", {{L"href", L"javascript:void(0)"}});
  World().Click(*link);
  program.Settle();

  const Hwnd first = World().ScriptDialog(*page, L"Gallery");
  const Hwnd second = World().ScriptDialog(*page, L"Again");
  program.Settle();

  EXPECT_TRUE(Shown(first));
  EXPECT_FALSE(Shown(second));
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Target, L"\"Again\" (Web page dialog)");
}

TEST_F(WebDialogs, AfterAClickedScriptLinkADialogOfAnotherScriptIsClosed) {
  Start();
  const auto page = Open(kPage);
  const auto link = Add(*page, L"a", {{L"href", L"javascript:void(0)"}});
  World().Click(*link);
  // The page runs a script address of its own before the dialog comes.
  World().ScriptGo(*page, L"javascript:void(1)");
  program.Settle();

  const Hwnd dialog = World().ScriptDialog(*page, L"Gallery");
  program.Settle();

  EXPECT_FALSE(Shown(dialog));
  EXPECT_EQ(Log().size(), 1u);
}

// Allowed sites, the off key and blocking off are walked by dialogs.scn.
TEST_F(WebDialogs, ADialogOfAVidPageStays) {
  Start();
  const auto page = Open(L"vid:movie");

  const Hwnd dialog = World().ScriptDialog(*page, L"Newsletter");
  program.Settle();

  EXPECT_TRUE(Shown(dialog));
  EXPECT_EQ(Kills(), 0);
}

TEST_F(WebDialogs, ADialogOfAWindowTheProgramDoesNotWatchStays) {
  // A browser of another program that reaches the hooks: no monitor knows
  // its window, so its dialogs are left alone.
  Switch(L"ExplorerFix", true);
  Switch(L"CompatibleWDBK", true);
  Start();
  const auto folder = World().OpenBrowser(L"http://shop.example/", L"c:\\windows\\explorer.exe");
  program.Settle();
  ASSERT_EQ(MonitorOf(*folder), nullptr);

  const Hwnd dialog = World().ScriptDialog(*folder, L"Folder options");
  program.Settle();

  EXPECT_TRUE(Shown(dialog));
  EXPECT_TRUE(Log().empty());
  // It was reported and judged: allowed.
  EXPECT_EQ(program.form()->DialogAllowCounter(), 1);
}

TEST_F(WebDialogs, TheDialogOfAFramesScriptIsJudgedByTheWindowsPage) {
  Start();
  AddRule(L"shop.example", 1);
  const auto page = Open(kPage);
  const auto frame = World().AddFrame(*page, L"http://ads.example/banner.html");
  program.Settle();

  const Hwnd dialog = World().ScriptDialog(*frame, L"Win!");
  program.Settle();

  EXPECT_TRUE(Shown(dialog));
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace qx::sim::testing
