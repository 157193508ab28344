#include "rules/WebsiteUrl.h"

#include "base/Text.h"

namespace qx::website {

bool IsSlash(wchar_t c) {
  return c == L'/' || c == L'\\';
}

bool IsScriptUrl(std::wstring_view text) {
  return StartsWithNoCase(text, kScriptScheme);
}

std::wstring StripQuery(std::wstring_view text) {
  if (IsScriptUrl(text)) return std::wstring(text);
  text = text.substr(0, text.find(L'?'));
  text = text.substr(0, text.find(L'#'));
  if (!text.empty() && IsSlash(text.back())) text.remove_suffix(1);
  return std::wstring(text);
}

std::wstring HostOf(std::wstring_view text) {
  const std::wstring lower = LowerCase(text);
  std::wstring_view rest = lower;
  if (IsScriptUrl(rest)) return std::wstring(kScriptScheme);
  const auto colon = rest.find(L':');
  if (colon != std::wstring_view::npos && colon + 1 < rest.size() && IsSlash(rest[colon + 1])) {
    rest.remove_prefix(colon + 1);
    // One slash is kept when nothing else is left: "http:/" has host "".
    while (rest.size() > 1 && IsSlash(rest.front()))
      rest.remove_prefix(1);
  }
  const auto slash = rest.find(L'/');
  if (slash != std::wstring_view::npos) return std::wstring(rest.substr(0, slash));
  return std::wstring(rest.substr(0, rest.find(L'\\')));
}

std::wstring StripProtocol(std::wstring_view text) {
  if (IsScriptUrl(text)) return std::wstring(text);
  const auto colon = text.find(L':');
  if (colon == std::wstring_view::npos || colon + 1 >= text.size() || !IsSlash(text[colon + 1])) {
    return std::wstring(text);
  }
  text.remove_prefix(colon + 1);
  while (!text.empty() && IsSlash(text.front()))
    text.remove_prefix(1);
  return LowerCase(text);
}

bool HasDoubleDot(std::wstring_view text) {
  const auto first = text.find(L'.');
  return first != std::wstring_view::npos && text.find(L'.', first + 1) != std::wstring_view::npos;
}

std::wstring_view StripToDot(std::wstring_view text) {
  const auto dot = text.find(L'.');
  return dot == std::wstring_view::npos ? text : text.substr(dot + 1);
}

std::wstring RuleLocalPathToFileUrl(std::wstring_view url) {
  const bool drive = url.size() >= 3 && url.substr(1, 2) == L":/";
  if ((url.size() == 2 && url[1] == L':') || (drive && url.size() < 4) ||
      (drive && !IsSlash(url[3]))) {
    return L"file://" + std::wstring(url);
  }
  return std::wstring(url);
}

std::wstring PageLocalPathToFileUrl(std::wstring_view url) {
  std::wstring out;
  if (url.size() >= 3 && url.substr(1, 2) == L":\\") {
    if (url.size() <= 3 || !IsSlash(url[3])) out = L"file://";
  } else if (url.size() >= 2 && url.substr(0, 2) == L"\\\\" &&
             (url.size() < 3 || !IsSlash(url[2]))) {
    out = L"file:";
  }
  if (out.empty()) return std::wstring(url);
  for (const wchar_t c : url) {
    if (c == L'\\') {
      out += L'/';
    } else if (c == L' ') {
      out += L"%20";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qx::website
