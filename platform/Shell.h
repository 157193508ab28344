#pragma once

#include <string_view>

namespace qx {

class Shell {
 public:
  virtual ~Shell() = default;
  // The shell's "open" action on a file, page or mail link (no parameters,
  // no working folder, normal window).
  virtual void Open(std::wstring_view target) = 0;
  // The HTML help viewer on "file.chm::/topic" (no owner window).
  virtual void ShowHelp(std::wstring_view chmTopic) = 0;
};

}  // namespace qx
