#pragma once
// The key tests of the hot keys and the off key. Masks: 1 SHIFT, 2 CTRL,
// 4 ALT, summed; 8 disables the command.

#include <cstdint>

#include "platform/UiServices.h"

namespace qx {

class KeyStateInfo {
 public:
  explicit KeyStateInfo(Keyboard& keyboard) : keyboard_(keyboard) {}
  // SHIFT (1), CTRL (2) or ALT (4) down now; 8 is never down; any other
  // value counts as down.
  bool ModifierDown(std::int32_t mask);
  // Exactly the keys of the mask are down (ALT, CTRL, SHIFT, in that order).
  bool ComboHeld(std::int32_t mask);
  // No safe key (0), or the safe key is down now.
  bool SafeKeyHeld(std::int32_t safeKey);

 private:
  bool Down(int virtualKey);
  Keyboard& keyboard_;
};

}  // namespace qx
