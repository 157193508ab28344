#include "monitor/KeyStateInfo.h"

#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx {
namespace {

TEST(KeyStateInfo, ComboHeldNeedsExactlyTheMaskKeys) {
  struct Case {
    std::vector<int> held;
    std::int32_t mask;
    bool result;
  };
  const std::vector<Case> cases = {
      {{}, 0, true},
      {{kVkMenu}, 4, true},
      {{kVkMenu, kVkShift}, 5, true},
      {{kVkMenu, kVkShift}, 4, false},
      {{kVkMenu, kVkControl}, 4, false},  // CTRL too many
      {{kVkControl}, 2, true},
      {{}, 2, false},
      {{kVkMenu}, 12, false},  // bit 8 disables
      {{}, 8, false},
      {{kVkShift, kVkControl, kVkMenu}, 7, true},
  };
  for (const auto& c : cases) {
    sim::SimDesktop d;
    for (const int key : c.held)
      d.keyboard().Press(key);
    KeyStateInfo keys(d.keyboard());
    EXPECT_EQ(keys.ComboHeld(c.mask), c.result) << "mask " << c.mask;
  }
}

TEST(KeyStateInfo, ModifierDownAndTheSafeKey) {
  sim::SimDesktop d;
  KeyStateInfo keys(d.keyboard());
  EXPECT_FALSE(keys.ModifierDown(1));
  EXPECT_FALSE(keys.ModifierDown(8));
  EXPECT_TRUE(keys.ModifierDown(3));  // not a single key: counts as down
  EXPECT_TRUE(keys.SafeKeyHeld(0));
  EXPECT_FALSE(keys.SafeKeyHeld(kVkCapital));
  d.keyboard().Press(kVkCapital);
  d.keyboard().Press(kVkShift);
  EXPECT_TRUE(keys.SafeKeyHeld(kVkCapital));
  EXPECT_TRUE(keys.ModifierDown(1));
  d.failures().FailAlways("Keyboard");
  EXPECT_FALSE(keys.SafeKeyHeld(kVkCapital));  // a key state that cannot be read is up
}

}  // namespace
}  // namespace qx
