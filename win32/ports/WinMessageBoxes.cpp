#include "win32/ports/WinMessageBoxes.h"

#include <windows.h>

#include <string>

#include "win32/ports/WinError.h"

namespace qx::win {

void WinMessageBoxes::ShowMessage(std::wstring_view text, std::wstring_view title) {
  // The program has no visible window: the box must come up in front.
  if (MessageBoxW(nullptr, std::wstring(text).c_str(), std::wstring(title).c_str(),
                  MB_OK | MB_SETFOREGROUND | MB_TASKMODAL) == 0)
    throw Win32Error(L"Dialogs.ShowMessage", GetLastError(), kErrInvalidCall);
}

void WinProcessControl::EndNow() {
  ExitProcess(0);
}

}  // namespace qx::win
