#pragma once
// The local time and the user's date and time forms.

#include <string>

#include "platform/Clock.h"
#include "win32/compat/LocaleFormat.h"

namespace qx::win {

class WinClock final : public Clock {
 public:
  // locale: a locale name ("en-US"), which needs Vista or later; "" for the
  // user's own.
  explicit WinClock(std::wstring locale = L"")
      : locale_(std::move(locale)), formats_(compat::SystemLocaleFormatApi()) {}
  LocalTime Now() override;
  // Throws PlatformError for a date the system cannot form (month 13).
  std::wstring ShortDateText(const LocalTime& t) override;
  std::wstring TimeText(const LocalTime& t) override;

 private:
  std::wstring locale_;
  compat::LocaleFormatApi formats_;
};

}  // namespace qx::win
