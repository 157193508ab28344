#include "context/Process.h"

#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx {
namespace {

std::optional<RegValue> RunValue(sim::SimDesktop& d) {
  return d.registry().Value(RegRoot::LocalMachine, kRunKey, L"Quellix");
}

TEST(Process, TheEndAppliesTheStartModeOnceAndAbandoningWritesNothing) {
  sim::SimDesktop d;
  {
    Process p(d.platform());
    p.settings().SetStartMode(1);
    p.EndOfLife();
    EXPECT_TRUE(RunValue(d).has_value());
    RegistryHelpers(d.registry()).DeleteRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix");
  }  // a second end writes nothing more
  EXPECT_FALSE(RunValue(d).has_value());

  sim::SimDesktop crashed;
  {
    Process p(crashed.platform());
    p.settings().SetStartMode(1);
    p.Abandon();
  }
  EXPECT_FALSE(RunValue(crashed).has_value());
}

TEST(Process, AProcessThatNeverReadItsSettingsDoesNotTouchTheStartUpEntries) {
  sim::SimDesktop d;
  d.store().Poke(L"Options", L"StartMode", L"1");
  { Process p(d.platform()); }
  EXPECT_FALSE(RunValue(d).has_value());
}

TEST(OwnFormWindows, OnlyNonZeroRegisteredHandlesCount) {
  OwnFormWindows forms;
  EXPECT_FALSE(forms.IsOwnFormWindow(0));
  forms.Set(OwnForm::Main, 0x100);
  forms.Set(OwnForm::Error, 0x200);
  EXPECT_TRUE(forms.IsOwnFormWindow(0x200));
  forms.Set(OwnForm::Error, 0);
  EXPECT_FALSE(forms.IsOwnFormWindow(0x200));
  EXPECT_FALSE(forms.IsOwnFormWindow(0));
  EXPECT_TRUE(forms.IsOwnFormWindow(0x100));
}

}  // namespace
}  // namespace qx
