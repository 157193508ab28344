#pragma once
// Message boxes and the end of the process.

#include "platform/Dialogs.h"

namespace qx::win {

class WinMessageBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::wstring_view text, std::wstring_view title) override;
};

class WinProcessControl final : public ProcessControl {
 public:
  [[noreturn]] void EndNow() override;
};

}  // namespace qx::win
