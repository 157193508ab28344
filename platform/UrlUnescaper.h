#pragma once
// The shell utility library's URL unescaping (UrlUnescape with
// URL_DONT_SIMPLIFY into a buffer of 260 characters).

#include <optional>
#include <string>
#include <string_view>

namespace qx {

class UrlUnescaper {
 public:
  virtual ~UrlUnescaper() = default;
  // None when the call fails (for example when the result does not fit).
  virtual std::optional<std::wstring> Unescape(std::wstring_view url) = 0;
};

}  // namespace qx
