#pragma once
// The shell's "open" action and the help viewer.

#include "platform/Shell.h"

namespace qx::win {

class WinShell final : public Shell {
 public:
  void Open(std::wstring_view target) override;
  // The help viewer runs as its own program (hh.exe with "file.chm::/topic"),
  // so that it outlives a program that ends and needs no help library loaded
  // into the resident process.
  void ShowHelp(std::wstring_view chmTopic) override;
};

}  // namespace qx::win
