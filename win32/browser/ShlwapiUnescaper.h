#pragma once
// URL unescaping by the shell's light-weight utility library.

#include "platform/UrlUnescaper.h"

namespace qx::win {

class ShlwapiUnescaper final : public UrlUnescaper {
 public:
  // UrlUnescapeW with URL_DONT_SIMPLIFY into a buffer of 260 characters;
  // none when the call fails (the result does not fit, for one).
  std::optional<std::wstring> Unescape(std::wstring_view url) override;
};

}  // namespace qx::win
