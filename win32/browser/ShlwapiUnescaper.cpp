#include "win32/browser/ShlwapiUnescaper.h"

#include <shlwapi.h>
#include <windows.h>

#include <array>

namespace qx::win {

std::optional<std::wstring> ShlwapiUnescaper::Unescape(std::wstring_view url) {
  // The call wants a writable, terminated source.
  std::wstring source(url);
  std::array<wchar_t, MAX_PATH> buffer{};
  DWORD size = static_cast<DWORD>(buffer.size());
  if (FAILED(UrlUnescapeW(source.data(), buffer.data(), &size, URL_DONT_SIMPLIFY))) {
    return std::nullopt;
  }
  // size is the length written, without the terminating NUL.
  if (size >= buffer.size()) return std::nullopt;
  return std::wstring(buffer.data(), size);
}

}  // namespace qx::win
