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

TEST(TrayIcon, ABalloonIsCutToTheAreasFieldsWithoutSplittingAPair) {
  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program(desktop, dialogs);
  ASSERT_EQ(program.Start(L""), StartOutcome::Running);
  SysTrayIcon& icon = *program.form()->TrayIcon();
  struct Case {
    std::wstring title, text;
    std::size_t titleKept, textKept;
  };
  const std::wstring pair = L"\xD83D\xDE00";
  const Case cases[] = {
      {L"short", L"text", 5, 4},
      {std::wstring(70, L't'), std::wstring(300, L'x'), 63, 255},
      // A pair across the limit goes whole: half of one is no character.
      {std::wstring(62, L't') + pair, std::wstring(254, L'x') + pair, 62, 254},
      {std::wstring(61, L't') + pair, std::wstring(253, L'x') + pair + L"y", 63, 255},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(icon.ShowBalloon(c.title, c.text));
    EXPECT_EQ(desktop.tray().LastBalloon()->title, c.title.substr(0, c.titleKept));
    EXPECT_EQ(desktop.tray().LastBalloon()->text, c.text.substr(0, c.textKept));
  }
  EXPECT_EQ(desktop.tray().BalloonCount(), std::size(cases));
}

TEST(TrayIcon, ARefusedBalloonCostsOnlyTheNotice) {
  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program(desktop, dialogs);
  ASSERT_EQ(program.Start(L""), StartOutcome::Running);
  desktop.failures().FailAlways("Tray.ShowBalloon");
  StopReport report;
  report.source = L"http://news.example/";
  report.target = L"http://ads.example/";
  report.reason = L"no click on the page before it opened";
  program.Run([&] { program.form()->PopupStopped(report); });
  EXPECT_EQ(desktop.tray().BalloonCount(), 0u);
  const auto& log = program.process()->popupLog().GetLogItems();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Reason, report.reason);
  EXPECT_EQ(program.process()->popupLog().TotalPopupCount(), 1);
  ASSERT_EQ(program.form()->Recent().Items().size(), 1u);
}

}  // namespace
}  // namespace qx::sim
