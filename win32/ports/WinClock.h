#pragma once
// The local time and the user's date and time forms.

#include <string>

#include "platform/Clock.h"

namespace qx::win {

class WinClock final : public Clock {
 public:
  // locale: a locale name ("en-US"); "" for the user's own.
  explicit WinClock(std::wstring locale = L"") : locale_(std::move(locale)) {}
  LocalTime Now() override;
  // Throws PlatformError for a date the system cannot form (month 13).
  std::wstring ShortDateText(const LocalTime& t) override;
  std::wstring TimeText(const LocalTime& t) override;

 private:
  std::wstring locale_;
};

}  // namespace qx::win
