#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx::sim {
namespace {

TEST(SimTimers, TickInTimeOrderAndOnlyWhileEnabled) {
  SimDesktop d;
  std::vector<std::string> ticks;
  auto ping = d.ui().CreateTimer(60000, [&] { ticks.push_back("ping"); });
  auto blink = d.ui().CreateTimer(3000, [&] { ticks.push_back("blink"); });
  ping->SetEnabled(true);
  d.Advance(59999);
  EXPECT_TRUE(ticks.empty());
  blink->SetEnabled(true);  // due at 62 999
  d.Advance(1);
  d.Advance(60000);
  EXPECT_EQ(ticks, (std::vector<std::string>{"ping",  "blink", "blink", "blink", "blink", "blink",
                                             "blink", "blink", "blink", "blink", "blink", "blink",
                                             "blink", "blink", "blink", "blink", "blink", "blink",
                                             "blink", "blink", "blink", "ping"}));
  EXPECT_EQ(d.clock().Elapsed(), 120000);
}

TEST(SimTimers, AHandlerMayStopItsTimerAndDestroyedTimersNeverTick) {
  SimDesktop d;
  int blinks = 0;
  std::unique_ptr<Timer> blink;
  blink = d.ui().CreateTimer(3000, [&] {
    ++blinks;
    blink->SetEnabled(false);
  });
  blink->SetEnabled(true);
  d.Advance(10000);
  EXPECT_EQ(blinks, 1);
  int gone = 0;
  {
    auto t = d.ui().CreateTimer(10, [&] { ++gone; });
    t->SetEnabled(true);
  }
  d.Advance(100);
  EXPECT_EQ(gone, 0);
}

}  // namespace
}  // namespace qx::sim
