#include "win32/ports/WinUrlUnescaper.h"

#include <windows.h>
// windows.h first: shlwapi.h needs its types.
#include <shlwapi.h>

namespace qx::win {

std::optional<std::wstring> WinUrlUnescaper::Unescape(std::wstring_view url) {
  constexpr DWORD kBufferChars = 260;
  std::wstring source(url);
  wchar_t buffer[kBufferChars] = {};
  DWORD chars = kBufferChars;
  const HRESULT hr = UrlUnescapeW(source.data(), buffer, &chars, URL_DONT_SIMPLIFY);
  if (FAILED(hr) || chars >= kBufferChars) return std::nullopt;
  return std::wstring(buffer, chars);
}

}  // namespace qx::win
