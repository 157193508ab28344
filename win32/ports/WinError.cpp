#include "win32/ports/WinError.h"

#include <cstdio>

namespace qx::win {

std::wstring SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (n > 0 && buffer != nullptr) text.assign(buffer, n);
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) {
    wchar_t fallback[40];
    std::swprintf(fallback, 40, L"System error %lu", static_cast<unsigned long>(code));
    text = fallback;
  }
  return text;
}

PlatformError Win32Error(std::wstring_view source, DWORD code, std::int32_t fallback) {
  std::int32_t number = fallback;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      number = kErrFileNotFound;
      break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
      number = kErrPathNotFound;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      number = kErrPermissionDenied;
      break;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      number = kErrFileExists;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      number = kErrBadFileName;
      break;
    default:
      break;
  }
  return PlatformError(number, SystemMessage(code), std::wstring(source));
}

PlatformError ComError(std::wstring_view source, HRESULT hr) {
  return PlatformError(kErrAutomation, SystemMessage(static_cast<DWORD>(hr)), std::wstring(source));
}

}  // namespace qx::win
