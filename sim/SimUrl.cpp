#include "sim/SimUrl.h"

#include "base/Text.h"

namespace qx::sim {
namespace {

bool IsSchemeChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'+' || c == L'-' || c == L'.';
}

bool IsDriveLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The length of the scheme before ":", or 0 when there is none. A single
// letter is a drive, not a scheme.
std::size_t SchemeLength(std::wstring_view url) {
  const std::size_t colon = url.find(L':');
  if (colon == std::wstring_view::npos || colon < 2) return 0;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!IsSchemeChar(url[i])) return 0;
  }
  return colon;
}

bool IsIdentifierChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'_' || c == L'$';
}

}  // namespace

bool IsJavascriptUrl(std::wstring_view url) {
  return StartsWithNoCase(url, L"javascript:");
}

std::wstring ReportedAddress(std::wstring_view url) {
  constexpr std::wstring_view kFile = L"file://";
  if (!StartsWithNoCase(url, kFile)) return std::wstring(url);
  std::wstring_view rest = url.substr(kFile.size());
  if (!rest.empty() && rest[0] == L'/') rest.remove_prefix(1);
  if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == L':') return std::wstring(rest);
  return std::wstring(url);
}

std::wstring ResolveUrl(std::wstring_view base, std::wstring_view href) {
  if (href.empty()) return std::wstring(base);
  if (SchemeLength(href) > 0) return std::wstring(href);
  if (href.size() >= 2 && IsDriveLetter(href[0]) && href[1] == L':') return std::wstring(href);
  const std::size_t scheme = SchemeLength(base);
  if (scheme == 0 || base.substr(scheme, 3) != L"://") return std::wstring(href);
  const std::size_t hostStart = scheme + 3;
  std::size_t pathStart = base.find_first_of(L"/?#", hostStart);
  if (pathStart == std::wstring_view::npos) pathStart = base.size();
  const std::wstring_view origin = base.substr(0, pathStart);
  if (href.size() >= 2 && href[0] == L'/' && href[1] == L'/') {
    return std::wstring(base.substr(0, scheme + 1)) + std::wstring(href);
  }
  if (href[0] == L'/') return std::wstring(origin) + std::wstring(href);
  const std::size_t fragment = base.find(L'#');
  const std::wstring_view noFragment = base.substr(0, fragment);
  if (href[0] == L'#') return std::wstring(noFragment) + std::wstring(href);
  const std::size_t query = noFragment.find(L'?');
  const std::wstring_view path = noFragment.substr(0, query);
  if (href[0] == L'?') return std::wstring(path) + std::wstring(href);
  const std::size_t lastSlash = path.rfind(L'/');
  if (lastSlash == std::wstring_view::npos || lastSlash < pathStart) {
    return std::wstring(origin) + L"/" + std::wstring(href);
  }
  return std::wstring(path.substr(0, lastSlash + 1)) + std::wstring(href);
}

std::vector<std::wstring> ScriptOpens(std::wstring_view script) {
  constexpr std::wstring_view kOpen = L"open(";
  std::vector<std::wstring> urls;
  std::size_t at = script.find(kOpen);
  while (at != std::wstring_view::npos) {
    std::size_t i = at + kOpen.size();
    const bool wordStart = at == 0 || !IsIdentifierChar(script[at - 1]);
    while (i < script.size() && script[i] == L' ')
      ++i;
    if (wordStart && i < script.size() && (script[i] == L'\'' || script[i] == L'"')) {
      const wchar_t quote = script[i];
      const std::size_t end = script.find(quote, i + 1);
      if (end != std::wstring_view::npos) {
        urls.emplace_back(script.substr(i + 1, end - i - 1));
        i = end + 1;
      }
    }
    at = script.find(kOpen, i);
  }
  return urls;
}

}  // namespace qx::sim
