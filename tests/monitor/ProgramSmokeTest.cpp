// The whole program on the simulated desktop, from start to exit.
#include <gtest/gtest.h>

#include "sim/SimBrowsers.h"
#include "sim/SimProgram.h"

namespace qx::sim {
namespace {

TEST(ProgramSmoke, StartsBlocksAnUnsolicitedWindowAndEndsCleanly) {
  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program(desktop, dialogs);
  ASSERT_EQ(program.Start(L"auto"), StartOutcome::Running);
  ASSERT_TRUE(desktop.tray().Shown().has_value());
  EXPECT_EQ(desktop.tray().Shown()->szTip, L"Quellix (On)");
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"blocksite.script")));

  auto page = desktop.browsers().OpenBrowser(L"http://ads.example/");
  program.Settle();
  auto popup = desktop.browsers().ScriptOpen(*page, L"http://ads.example/popup.html");
  program.Settle();
  EXPECT_EQ(popup, nullptr);
  const auto& log = program.process()->popupLog().GetLogItems();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Source, L"http://ads.example/");
  EXPECT_EQ(log[0].Target, L"http://ads.example/popup.html");  // the catcher saw the real URL
  EXPECT_EQ(program.process()->popupLog().TotalPopupCount(), 1);
  EXPECT_EQ(desktop.tray().Shown()->hIcon, program.form()->AlertImage());
  desktop.Advance(3000);
  EXPECT_EQ(desktop.tray().Shown()->hIcon, program.form()->EnabledImage());

  program.Run([&] { program.form()->MenuCommand(L"close"); });
  program.Settle();
  EXPECT_FALSE(program.Running());
  EXPECT_FALSE(desktop.tray().Shown().has_value());
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"blocksite.script2")));
  EXPECT_GT(desktop.files().Size(desktop.files().ProgramFile(L"log.dat")), 0);
  EXPECT_EQ(desktop.store().Peek(L"Data", L"PopupCount"), L"1");
}

}  // namespace
}  // namespace qx::sim
