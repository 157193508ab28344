#include "base/Text.h"
#include "browser/BrowserMonitor.h"

namespace qx {
namespace {

std::size_t FindWhile(const std::wstring& lowered, std::size_t from) {
  return lowered.find(L"while", from);
}

}  // namespace

std::optional<std::wstring> RewriteScriptLoops(std::wstring_view url) {
  const std::wstring lowered = LowerCase(url);
  std::wstring out;
  std::size_t start = 0;
  std::size_t p = FindWhile(lowered, 0);
  while (p != std::wstring::npos) {
    out.append(url.substr(start, p - start));
    const std::size_t open = url.find(L'(', p);
    const std::size_t close = url.find(L')', p);
    // A "while" without its condition cannot be bounded; the text would never
    // advance, so the URL is left as it is.
    if (open == std::wstring_view::npos || close == std::wstring_view::npos || close < open) {
      return std::nullopt;
    }
    out += L"for(qxtimeout = 0;(qxtimeout<1000) && !";
    out.append(url.substr(open, close - open + 1));
    out += L";qxtimeout++)";
    start = close + 1;
    p = FindWhile(lowered, start);
  }
  out.append(url.substr(start));
  return out;
}

}  // namespace qx
