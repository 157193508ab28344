// The notification-area icon when the notification area refuses a call.
#include <gtest/gtest.h>

#include "sim/SimProgram.h"

namespace qx::sim {
namespace {

TEST(TrayIcon, ARefusedRemovalDoesNotStopTheProgramFromEnding) {
  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program(desktop, dialogs);
  ASSERT_EQ(program.Start(L""), StartOutcome::Running);
  desktop.failures().FailAlways("Tray.Delete");
  program.Run([&] { program.form()->CloseProgram(); });
  program.Settle();
  EXPECT_FALSE(program.Running());
  // The unload went on past the icon: the scripts are switched off and the
  // session's files were written.
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"blocksite.script2")));
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"trustsite.script2")));
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"websites.dat")));
}

}  // namespace
}  // namespace qx::sim
