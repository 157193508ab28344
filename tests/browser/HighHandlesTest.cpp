// Window handles whose bit 31 is set, as 64-bit Windows hands them out: the
// hook reports carry 32 bits, and the program must find the same windows
// again (the dialog's browser, the window to close).
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "sim/SimUiServices.h"

namespace qx::sim::testing {
namespace {

class HighHandles : public ProgramWorld {
 protected:
  HighHandles() { desktop.windows().SetNextHandle(static_cast<Hwnd>(0xFFFFFFFF80001000ull)); }
};

TEST_F(HighHandles, AWebPageDialogIsJudgedByItsOwnBrowsersMonitor) {
  Start();
  const auto page = Open(L"http://shop.example/");
  ASSERT_GT(page->Window(), 0xFFFFFFFFu);  // sign-extended
  const Hwnd dialog = World().ScriptDialog(*page, L"Sale");
  program.Settle();
  EXPECT_FALSE(desktop.windows().IsOpen(dialog));
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Source, L"http://shop.example/");  // the owner's monitor was found
}

TEST_F(HighHandles, AWindowRuleAndTheKillKeysCloseTheWindowReported) {
  Start();
  program.Run([&] { Proc().windows().Add(L"_general", L"you have won", 1); });
  const ProcessId other = desktop.windows().StartProcess(L"c:\\other\\other.exe");
  const Hwnd won = desktop.windows().CreateWindow(other, L"You have won!", L"Other");
  program.Settle();
  EXPECT_FALSE(desktop.windows().IsOpen(won));

  const Hwnd plain = desktop.windows().CreateWindow(other, L"Editor", L"Other");
  desktop.keyboard().Press(kVkMenu);
  desktop.keyboard().Press(kVkCapital);
  program.Run([&] {
    program.hookLibrary().MouseButton(true, plain, 10, 10);
    program.hookLibrary().MouseButton(false, plain, 10, 10);
  });
  program.Settle();
  EXPECT_FALSE(desktop.windows().IsOpen(plain));
}

}  // namespace
}  // namespace qx::sim::testing
