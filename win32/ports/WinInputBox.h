#pragma once
// The input box: a prompt, one edit field, OK and Cancel. The program asks
// only for its administrator password, so the field does not show what is
// typed.

#include "platform/Tray.h"

namespace qx::win {

class WinInputBox final : public InputBox {
 public:
  std::optional<std::wstring> Ask(std::wstring_view prompt, std::wstring_view title,
                                  std::wstring_view defaultText) override;
};

// The control identifiers, for whoever drives the box (tests).
inline constexpr int kInputBoxPrompt = 100;
inline constexpr int kInputBoxEdit = 101;

}  // namespace qx::win
