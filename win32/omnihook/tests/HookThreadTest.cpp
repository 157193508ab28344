// The thread that owns the global hooks. A low-level mouse hook is always run
// in the thread that set it, exactly as a hook of the other bitness is: such
// calls must reach the hook thread, and be answered while the thread that
// asked for the hook is busy.

#include <gtest/gtest.h>

#include <atomic>

#include "HookThread.h"

namespace qx::win {
namespace {

std::atomic<DWORD> gCalledOn{0};

LRESULT CALLBACK LowLevelMouse(int code, WPARAM wParam, LPARAM lParam) {
  gCalledOn = GetCurrentThreadId();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(HookThreadTest, CallsRunInTheSettingThreadReachTheHookThreadNotTheCaller) {
  HookThread owner;
  EXPECT_EQ(owner.Id(), 0u) << "no thread before a hook";
  const HHOOK hook = owner.Set(WH_MOUSE_LL, LowLevelMouse, GetModuleHandleW(nullptr));
  ASSERT_NE(hook, nullptr);
  const DWORD hookThread = owner.Id();
  ASSERT_NE(hookThread, 0u);
  ASSERT_NE(hookThread, GetCurrentThreadId());

  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dx = 3;
  move.mi.dy = 3;
  move.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &move, sizeof move);
  // This thread delivers no message meanwhile: it is busy.
  for (int i = 0; i < 300 && gCalledOn == 0; ++i)
    Sleep(10);
  EXPECT_EQ(gCalledOn.load(), hookThread);

  EXPECT_TRUE(owner.Unhook(hook));
  EXPECT_EQ(owner.Id(), 0u) << "the thread outlived the last hook";
  EXPECT_FALSE(owner.Unhook(hook));
}

TEST(HookThreadTest, AHookThatCannotBeSetLeavesNoThread) {
  HookThread owner;
  EXPECT_EQ(owner.Set(WH_MOUSE_LL, nullptr, GetModuleHandleW(nullptr)), nullptr);
  EXPECT_EQ(owner.Set(12345, LowLevelMouse, GetModuleHandleW(nullptr)), nullptr);
  EXPECT_EQ(owner.Id(), 0u);
}

}  // namespace
}  // namespace qx::win
