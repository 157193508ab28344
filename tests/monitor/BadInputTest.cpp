// What the running program does with outlandish input from other programs
// and pages: captions empty or of 30 000 characters, characters the code
// page cannot hold, addresses of 10 000 characters.
#include <gtest/gtest.h>

#include <string>

#include "sim/SimBrowsers.h"
#include "sim/SimProgram.h"

namespace qx::sim {
namespace {

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(program.Start(L""), StartOutcome::Running);
    program.Run([&] {
      program.process()->windows().Add(L"", L"spam", kCaptionContains);
      program.process()->websites().Add(L"kill.example/pop", kAlwaysKill, false);
    });
  }
  void Settle() {
    program.Run([&] { desktop.windows().DeliverPostedCloses(); });
    program.Settle();
  }

  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program{desktop, dialogs};
  ProcessId other = desktop.windows().StartProcess(L"c:\\program files\\other\\other.exe");
};

TEST_F(BadInputTest, CaptionsOfAnyLengthAndCharacterAreJudgedOnWhatTheWatchReads) {
  const std::wstring far(30000, L'x');
  const struct {
    std::wstring caption;
    bool killed;
  } cases[] = {
      {L"", false},
      {far, false},
      {L"spam" + far, true},
      // The watch reads the first 349 characters of a caption.
      {std::wstring(345, L'x') + L"spam", true},
      {std::wstring(346, L'x') + L"spam", false},
      {far + L"spam", false},
      {L"Caf\u00e9 SPAM", true},
      {L"\u65e5\u672c spam \U0001F600", true},
      {L"\U0001F600\u65e5\u672c", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption.size());
    Hwnd window = 0;
    program.Run([&] { window = desktop.windows().CreateWindow(other, c.caption, L"Other"); });
    Settle();
    EXPECT_EQ(!desktop.windows().IsOpen(window), c.killed);
    ASSERT_TRUE(program.Running());
    // The same caption arriving later on a harmless window is judged alike.
    program.Run([&] { window = desktop.windows().CreateWindow(other, L"harmless", L"Other"); });
    Settle();
    ASSERT_TRUE(desktop.windows().IsOpen(window));
    program.Run([&] { desktop.windows().SetText(window, c.caption); });
    Settle();
    EXPECT_EQ(!desktop.windows().IsOpen(window), c.killed);
  }
}

TEST_F(BadInputTest, AddressesOfTenThousandCharactersAreJudgedAndLoggedWhole) {
  const std::wstring tail = L"?q=" + std::wstring(10000, L'a');
  auto page = desktop.browsers().OpenBrowser(L"http://ads.example/" + tail);
  Settle();
  auto popup = desktop.browsers().ScriptOpen(*page, L"http://pop.example/" + tail);
  Settle();
  EXPECT_EQ(popup, nullptr);
  const auto& log = program.process()->popupLog().GetLogItems();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Target, L"http://pop.example/" + tail);

  // An always-kill page with a long path is still that page.
  auto killed = desktop.browsers().OpenBrowser(L"http://kill.example/pop/" + tail);
  Settle();
  EXPECT_FALSE(killed->IsOpen());
  // A script address of 10 000 characters with loops but no condition is
  // left as it is and runs no further.
  auto script = desktop.browsers().OpenBrowser(L"http://ok.example/");
  Settle();
  desktop.browsers().ScriptGo(*script, L"javascript:" + std::wstring(2000, L' ') +
                                           L"while while while " + std::wstring(8000, L'w'));
  Settle();
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(script->IsOpen());
}

}  // namespace
}  // namespace qx::sim

namespace qx::sim {
namespace {

// Without its hook library the program loses only what the hooks bring (the
// window rules and the mouse): it starts, blocks browser pop-ups and ends
// cleanly.
TEST(MissingHookLibrary, TheProgramStillBlocksBrowserPopUpsAndEndsCleanly) {
  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program(desktop, dialogs);
  program.hookLibrary().SetLibraryMissing(true);
  ASSERT_EQ(program.Start(L""), StartOutcome::Running);
  program.Settle();
  ASSERT_TRUE(program.Running());
  auto page = desktop.browsers().OpenBrowser(L"http://ads.example/");
  program.Settle();
  EXPECT_EQ(desktop.browsers().ScriptOpen(*page, L"http://ads.example/pop.html"), nullptr);
  program.Settle();
  EXPECT_EQ(program.process()->popupLog().TotalPopupCount(), 1);
  program.Run([&] { program.form()->MenuCommand(L"close"); });
  program.Settle();
  EXPECT_FALSE(program.Running());
  EXPECT_EQ(desktop.store().Peek(L"Data", L"PopupCount"), L"1");
}

}  // namespace
}  // namespace qx::sim
