#include "win32/ports/WinWorkArea.h"

#include <windows.h>

#include "win32/ports/WinError.h"

namespace qx::win {

Rect WinWorkArea::Get() {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0))
    throw Win32Error(L"Desktop.WorkArea", GetLastError(), kErrInvalidCall);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace qx::win
