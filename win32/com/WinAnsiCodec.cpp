#include "win32/com/WinAnsiCodec.h"

#include <windows.h>

namespace qx::win {
namespace {

bool IsHigh(wchar_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string WinAnsiCodec::Encode(std::wstring_view text) const {
  if (text.empty()) return {};
  // Outside UTF-8 no ANSI code page holds a character beyond the first
  // plane; each surrogate (pair or lone) becomes one "?" here, so that a
  // pair does not turn into two.
  std::wstring prepared;
  prepared.reserve(text.size());
  const bool utf8 = GetACP() == CP_UTF8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (!utf8 && (IsHigh(c) || IsLow(c))) {
      if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
      prepared.push_back(L'?');
    } else {
      prepared.push_back(c);
    }
  }
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = utf8 ? nullptr : "?";
  const int size = static_cast<int>(prepared.size());
  const int n =
      WideCharToMultiByte(CP_ACP, flags, prepared.data(), size, nullptr, 0, defaultChar, nullptr);
  if (n <= 0) return std::string(prepared.size(), '?');
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, prepared.data(), size, out.data(), n, defaultChar, nullptr);
  return out;
}

std::wstring WinAnsiCodec::Decode(std::string_view bytes) const {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring(bytes.size(), L'?');
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, out.data(), n);
  return out;
}

}  // namespace qx::win
