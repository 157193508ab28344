#pragma once
// The time of day and the system's date and time texts.

#include <string>

namespace qx {

struct LocalTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // The system's short date form, e.g. "6/1/2004".
  virtual std::wstring ShortDateText(const LocalTime& t) = 0;
  // The system's time form, e.g. "12:00:00 PM".
  virtual std::wstring TimeText(const LocalTime& t) = 0;
};

// Seconds since midnight, single precision, as the start time is kept.
float SecondsSinceMidnight(const LocalTime& t);

}  // namespace qx
