#pragma once
// UrlUnescape of the shell utility library, with URL_DONT_SIMPLIFY, into a
// buffer of 260 characters.

#include "platform/UrlUnescaper.h"

namespace qx::win {

class WinUrlUnescaper final : public UrlUnescaper {
 public:
  std::optional<std::wstring> Unescape(std::wstring_view url) override;
};

}  // namespace qx::win
