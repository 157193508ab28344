#pragma once
// UrlUnescape as the shell utility library does it: every "%" followed by two
// hexadecimal digits becomes that character, the rest stays; the result
// must fit a buffer of 260 characters.

#include "browser/UrlCompare.h"
#include "platform/UrlUnescaper.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class SimUrlUnescaper final : public UrlUnescaper {
 public:
  explicit SimUrlUnescaper(FailureInjector& failures) : failures_(failures) {}
  std::optional<std::wstring> Unescape(std::wstring_view url) override {
    failures_.Check("Shell.UrlUnescape");
    std::wstring out = browser_url::UnescapeLong(url);
    if (out.size() >= 260) return std::nullopt;
    return out;
  }

 private:
  FailureInjector& failures_;
};

}  // namespace qx::sim
