#include "win32/ports/WinKeyboard.h"

#include <windows.h>

namespace qx::win {

bool WinKeyboard::KeyDown(int virtualKey) {
  return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}

}  // namespace qx::win
