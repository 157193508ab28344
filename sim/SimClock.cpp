#include "sim/SimClock.h"

#include "base/Text.h"

namespace qx::sim {
namespace {

constexpr int kStartYear = 2004;
constexpr int kStartMonth = 6;
constexpr int kStartDay = 1;

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::wstring Two(int n) {
  return (n < 10 ? L"0" : L"") + NumberText(n);
}

}  // namespace

LocalTime SimClock::At(std::int64_t elapsedMs) const {
  LocalTime t;
  t.year = kStartYear;
  t.month = kStartMonth;
  t.day = kStartDay;
  std::int64_t ms = 12LL * 3600 * 1000 + elapsedMs;
  std::int64_t days = ms / (24LL * 3600 * 1000);
  ms %= 24LL * 3600 * 1000;
  while (days-- > 0) {
    if (++t.day > DaysInMonth(t.year, t.month)) {
      t.day = 1;
      if (++t.month > 12) t.month = 1, ++t.year;
    }
  }
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  return t;
}

LocalTime SimClock::Now() {
  failures_.Check("Clock.Now");
  return At(elapsedMs_);
}

std::wstring SimClock::ShortDateText(const LocalTime& t) {
  return NumberText(t.month) + L"/" + NumberText(t.day) + L"/" + NumberText(t.year);
}

std::wstring SimClock::TimeText(const LocalTime& t) {
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  return NumberText(hour12) + L":" + Two(t.minute) + L":" + Two(t.second) +
         (t.hour < 12 ? L" AM" : L" PM");
}

}  // namespace qx::sim
