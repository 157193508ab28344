#include "win32/ports/WinClock.h"

#include <windows.h>

#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;
}

bool InRange(const LocalTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         t.second >= 0 && t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
}

}  // namespace

LocalTime WinClock::Now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::wstring WinClock::ShortDateText(const LocalTime& t) {
  if (!InRange(t))
    throw Win32Error(L"Clock.ShortDateText", ERROR_INVALID_PARAMETER, kErrInvalidCall);
  const SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[128];
  const int n = compat::FormatDate(formats_, locale_, DATE_SHORTDATE, st, buffer, 128);
  if (n <= 0) throw Win32Error(L"Clock.ShortDateText", GetLastError(), kErrInvalidCall);
  return std::wstring(buffer, static_cast<std::size_t>(n - 1));
}

std::wstring WinClock::TimeText(const LocalTime& t) {
  if (!InRange(t)) throw Win32Error(L"Clock.TimeText", ERROR_INVALID_PARAMETER, kErrInvalidCall);
  const SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[128];
  const int n = compat::FormatTime(formats_, locale_, 0, st, buffer, 128);
  if (n <= 0) throw Win32Error(L"Clock.TimeText", GetLastError(), kErrInvalidCall);
  return std::wstring(buffer, static_cast<std::size_t>(n - 1));
}

}  // namespace qx::win
