#include "win32/compat/MessageFilter.h"

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {

void AdmitMessage(HWND window, UINT message) {
  using PerWindow = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using PerProcess = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD of the older call
  if (const auto perWindow = LoadedProc<PerWindow>(L"user32.dll", "ChangeWindowMessageFilterEx")) {
    perWindow(window, message, kAllow, nullptr);
  } else if (const auto perProcess =
                 LoadedProc<PerProcess>(L"user32.dll", "ChangeWindowMessageFilter")) {
    perProcess(message, kAllow);
  }
}

}  // namespace qx::win::compat
