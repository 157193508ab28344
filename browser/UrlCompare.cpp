#include "browser/UrlCompare.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx::browser_url {
namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::wstring HostOf(std::wstring_view url) {
  std::wstring text = LowerCase(url);
  const auto colon = text.find(L':');
  if (colon == std::wstring::npos) return HostOf(L"http://" + text);
  text.erase(0, colon + 1);
  const auto first = text.find_first_not_of(L"/\\");
  text.erase(0, first == std::wstring::npos ? text.size() : first);
  auto cut = text.find(L'/');
  if (cut == std::wstring::npos) cut = text.find(L'\\');
  if (cut != std::wstring::npos) text.resize(cut);
  if (text.rfind(L"www.", 0) == 0) text.erase(0, 4);
  return text;
}

std::wstring StripQuery(std::wstring_view url) {
  return std::wstring(url.substr(0, url.find(L'?')));
}

std::wstring TrimPath(std::wstring_view s) {
  const auto first = s.find_first_not_of(L"/\\.");
  std::wstring text(first == std::wstring_view::npos ? std::wstring_view() : s.substr(first));
  if (!text.empty() && (text.back() == L'/' || text.back() == L'\\')) text.pop_back();
  return text;
}

std::wstring UnescapeLong(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'%' && i + 2 < s.size()) {
      const int hi = HexDigit(s[i + 1]);
      const int lo = HexDigit(s[i + 2]);
      // Two characters that are not hexadecimal digits are no escape: the
      // text stays as it stands rather than turning into a NUL.
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<wchar_t>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

std::wstring Unescape(UrlUnescaper& platform, std::wstring_view s) {
  if (s.empty()) return {};
  if (s.size() >= 260) return UnescapeLong(s);
  std::wstring result(s);
  Step([&] {
    if (auto unescaped = platform.Unescape(s)) result = std::move(*unescaped);
  });
  return result;
}

bool UrlCompare(UrlUnescaper& platform, std::wstring_view a, std::wstring_view b) {
  return LowerCase(Trim(Unescape(platform, a))) == LowerCase(Trim(Unescape(platform, b)));
}

}  // namespace qx::browser_url
