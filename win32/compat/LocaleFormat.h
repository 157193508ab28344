#pragma once
// Date and time texts. The user's own forms come from GetDateFormatW and
// GetTimeFormatW (2000 on); a locale named by its name ("de-DE") needs
// GetDateFormatEx and GetTimeFormatEx (Vista on), so before Vista only the
// user's own forms are there.
//   https://learn.microsoft.com/windows/win32/api/datetimeapi/nf-datetimeapi-getdateformatex
//   https://learn.microsoft.com/windows/win32/api/datetimeapi/nf-datetimeapi-getdateformatw

#include <windows.h>

#include <string>

namespace qx::win::compat {

struct LocaleFormatApi {
  // GetDateFormatEx and GetTimeFormatEx, or null.
  int(WINAPI* dateEx)(LPCWSTR, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int, LPCWSTR) = nullptr;
  int(WINAPI* timeEx)(LPCWSTR, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int) = nullptr;
};

LocaleFormatApi SystemLocaleFormatApi();

// As the system's functions answer: the characters written with the NUL, 0
// on failure (GetLastError tells why; ERROR_NOT_SUPPORTED for a named
// locale before Vista). `locale` empty: the user's own.
int FormatDate(const LocaleFormatApi& api, const std::wstring& locale, DWORD flags,
               const SYSTEMTIME& time, wchar_t* buffer, int size);
int FormatTime(const LocaleFormatApi& api, const std::wstring& locale, DWORD flags,
               const SYSTEMTIME& time, wchar_t* buffer, int size);

}  // namespace qx::win::compat
