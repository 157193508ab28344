#include "win32/compat/LocaleFormat.h"

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {

LocaleFormatApi SystemLocaleFormatApi() {
  LocaleFormatApi api;
  api.dateEx = LoadedProc<decltype(api.dateEx)>(L"kernel32.dll", "GetDateFormatEx");
  api.timeEx = LoadedProc<decltype(api.timeEx)>(L"kernel32.dll", "GetTimeFormatEx");
  return api;
}

int FormatDate(const LocaleFormatApi& api, const std::wstring& locale, DWORD flags,
               const SYSTEMTIME& time, wchar_t* buffer, int size) {
  if (locale.empty())
    return GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, size);
  if (api.dateEx == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  return api.dateEx(locale.c_str(), flags, &time, nullptr, buffer, size, nullptr);
}

int FormatTime(const LocaleFormatApi& api, const std::wstring& locale, DWORD flags,
               const SYSTEMTIME& time, wchar_t* buffer, int size) {
  if (locale.empty())
    return GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, size);
  if (api.timeEx == nullptr) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  return api.timeEx(locale.c_str(), flags, &time, nullptr, buffer, size);
}

}  // namespace qx::win::compat
