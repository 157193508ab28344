#include "rules/WebsiteUrl.h"

#include "base/Text.h"

namespace qx::website {

bool IsSlash(wchar_t c) {
  return c == L'/' || c == L'\\';
}

bool IsScriptUrl(std::wstring_view text) {
  return StartsWithNoCase(text, kScriptScheme);
}

std::wstring_view StripQueryView(std::wstring_view text) {
  if (IsScriptUrl(text)) return text;
  text = text.substr(0, text.find(L'?'));
  text = text.substr(0, text.find(L'#'));
  if (!text.empty() && IsSlash(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring_view StripStoredView(std::wstring_view text) {
  if (IsScriptUrl(text)) return text;
  text = text.substr(0, text.find(L'#'));
  if (!text.empty() && IsSlash(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring StripQuery(std::wstring_view text) {
  return std::wstring(StripQueryView(text));
}

namespace {

// After "scheme:" when a slash follows it; npos otherwise.
std::size_t AfterScheme(std::wstring_view text) {
  const auto colon = text.find(L':');
  if (colon == std::wstring_view::npos || colon + 1 >= text.size() || !IsSlash(text[colon + 1])) {
    return std::wstring_view::npos;
  }
  return colon + 1;
}

}  // namespace

// Lower-casing never makes or unmakes ":", "/" or "", so the host can be
// found first and lower-cased alone.
std::wstring_view HostView(std::wstring_view text) {
  if (IsScriptUrl(text)) return kScriptScheme;
  if (const auto rest = AfterScheme(text); rest != std::wstring_view::npos) {
    text.remove_prefix(rest);
    // One slash is kept when nothing else is left: "http:/" has host "".
    while (text.size() > 1 && IsSlash(text.front()))
      text.remove_prefix(1);
  }
  const auto slash = text.find(L'/');
  if (slash != std::wstring_view::npos) return text.substr(0, slash);
  return text.substr(0, text.find(L'\\'));
}

std::wstring HostOf(std::wstring_view text) {
  return LowerCase(HostView(text));
}

std::wstring_view StripProtocolView(std::wstring_view text) {
  if (IsScriptUrl(text)) return text;
  const auto rest = AfterScheme(text);
  if (rest == std::wstring_view::npos) return text;
  text.remove_prefix(rest);
  while (!text.empty() && IsSlash(text.front()))
    text.remove_prefix(1);
  return text;
}

std::wstring StripProtocol(std::wstring_view text) {
  if (IsScriptUrl(text) || AfterScheme(text) == std::wstring_view::npos) {
    return std::wstring(text);
  }
  return LowerCase(StripProtocolView(text));
}

bool HasDoubleDot(std::wstring_view text) {
  const auto first = text.find(L'.');
  return first != std::wstring_view::npos && text.find(L'.', first + 1) != std::wstring_view::npos;
}

std::wstring_view StripToDot(std::wstring_view text) {
  const auto dot = text.find(L'.');
  return dot == std::wstring_view::npos ? text : text.substr(dot + 1);
}

std::wstring RuleLocalPathToFileUrl(std::wstring url) {
  const bool drive = url.size() >= 3 && url.compare(1, 2, L":/") == 0;
  if ((url.size() == 2 && url[1] == L':') || (drive && url.size() < 4) ||
      (drive && !IsSlash(url[3]))) {
    url.insert(0, L"file://");
  }
  return url;
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
