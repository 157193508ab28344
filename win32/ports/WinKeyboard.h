#pragma once

#include "platform/UiServices.h"

namespace qx::win {

class WinKeyboard final : public Keyboard {
 public:
  bool KeyDown(int virtualKey) override;
};

}  // namespace qx::win
