#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <set>

#include "win32/ports/WinClock.h"
#include "win32/ports/WinRandom.h"

namespace qx::win {
namespace {

TEST(ClockTest, TextsFollowTheLocale) {
  struct Case {
    const wchar_t* locale;
    LocalTime t;
    const wchar_t* date;
    const wchar_t* time;
  } cases[] = {
      {L"en-US", {2004, 6, 1, 12, 0, 0, 0}, L"6/1/2004", L"12:00:00 PM"},
      {L"en-US", {2004, 12, 31, 0, 5, 9, 0}, L"12/31/2004", L"12:05:09 AM"},
      {L"en-US", {2004, 6, 1, 13, 5, 9, 0}, L"6/1/2004", L"1:05:09 PM"},
      {L"de-DE", {2004, 6, 1, 13, 5, 9, 0}, nullptr, L"13:05:09"},
  };
  for (const Case& c : cases) {
    WinClock clock(c.locale);
    if (c.date != nullptr) {
      EXPECT_EQ(clock.ShortDateText(c.t), c.date);
    } else {
      // Day, month, year with dots; whether with leading zeros differs
      // between systems.
      const std::wstring date = clock.ShortDateText(c.t);
      EXPECT_TRUE(date == L"01.06.2004" || date == L"1.6.2004") << date.size();
    }
    EXPECT_EQ(clock.TimeText(c.t), c.time);
  }
}

TEST(ClockTest, ImpossibleTimesFail) {
  WinClock clock(L"en-US");
  EXPECT_THROW(clock.ShortDateText({2004, 13, 1, 0, 0, 0, 0}), PlatformError);
  EXPECT_THROW(clock.TimeText({2004, 1, 1, 25, 0, 0, 0}), PlatformError);
  SYSTEMTIME local;
  GetLocalTime(&local);
  EXPECT_EQ(clock.Now().year, local.wYear) << "now is the local time";
}

TEST(RandomTest, DrawsStayInTheirRangeAndTheSecureOnesCoverIt) {
  WinRandom r;
  WinRandom same;
  r.Seed(42);
  same.Seed(42);
  for (int i = 0; i < 50; ++i)
    EXPECT_EQ(r.Below(1000), same.Below(1000)) << "the same seed, the same draws";
  EXPECT_EQ(r.Below(0), 0u);
  for (int i = 0; i < 200; ++i)
    EXPECT_LT(r.Below(3), 3u);
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::uint32_t d = r.SecureBelow(10);
    ASSERT_LT(d, 10u);
    seen.insert(d);
  }
  EXPECT_EQ(seen.size(), 10u);
  EXPECT_EQ(r.SecureBelow(1), 0u);
  EXPECT_EQ(r.SecureBelow(0), 0u);
}

LONG WINAPI RefusingBcrypt(void*, UCHAR*, ULONG, ULONG) {
  return static_cast<LONG>(0xC000000Du);  // STATUS_INVALID_PARAMETER, as Vista before SP2
}

TEST(RandomTest, TheSecureDrawFallsBackAndFailsOnlyWithoutAnySource) {
  const compat::RandomSources system = compat::SystemRandomSources();
  // Where BCryptGenRandom refuses the system's preferred generator, the
  // draw still comes, from RtlGenRandom.
  WinRandom refused({&RefusingBcrypt, system.rtl});
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 200; ++i)
    seen.insert(refused.SecureBelow(1000));
  EXPECT_GT(seen.size(), 100u);
  // No source at all is a failure the caller hears of, not a zero.
  WinRandom none({&RefusingBcrypt, nullptr});
  EXPECT_THROW(none.SecureBelow(10), PlatformError);
}

}  // namespace
}  // namespace qx::win
