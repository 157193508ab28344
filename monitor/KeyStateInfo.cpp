#include "monitor/KeyStateInfo.h"

#include "platform/PlatformError.h"

namespace qx {

bool KeyStateInfo::Down(int virtualKey) {
  bool down = false;
  Step([&] { down = keyboard_.KeyDown(virtualKey); });
  return down;
}

bool KeyStateInfo::ModifierDown(std::int32_t mask) {
  switch (mask) {
    case 1:
      return Down(kVkShift);
    case 2:
      return Down(kVkControl);
    case 4:
      return Down(kVkMenu);
    case 8:
      return false;
    default:
      return true;
  }
}

bool KeyStateInfo::ComboHeld(std::int32_t mask) {
  if ((mask & 8) != 0) return false;
  for (const std::int32_t bit : {4, 2, 1}) {
    if (ModifierDown(bit) != ((mask & bit) != 0)) return false;
  }
  return true;
}

bool KeyStateInfo::SafeKeyHeld(std::int32_t safeKey) {
  if (safeKey == 0) return true;
  return Down(safeKey);
}

}  // namespace qx
