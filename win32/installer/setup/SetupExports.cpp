// QuellixSetup.dll: what the installer and the uninstaller cannot do in
// their own script, called through NSIS's System plug-in from $PLUGINSDIR.
// Plain stdcall functions of wide texts and integers.

#include <windows.h>

#include "win32/installer/setup/CloseCopies.h"
#include "win32/installer/setup/ShellStart.h"

// Starts the program as the desktop's user; answers 1 when the shell started
// it, 2 when it was started directly (no shell desktop), 0 when it failed.
extern "C" int WINAPI StartAsUser(const wchar_t* program, const wchar_t* folder) {
  if (program == nullptr) return 0;
  switch (qx::setup::StartAsDesktopUser(program, folder != nullptr ? folder : L"")) {
    case qx::setup::StartRoute::Shell:
      return 1;
    case qx::setup::StartRoute::Direct:
      return 2;
    default:
      return 0;
  }
}

// Asks every running Quellix.exe to close and waits up to `waitMs`; answers
// how many had to be ended by force, and sets `asked` to how many ran.
extern "C" int WINAPI CloseRunning(int waitMs, int* asked) {
  const qx::setup::CloseOutcome outcome =
      qx::setup::CloseRunningCopies(L"Quellix.exe", waitMs > 0 ? static_cast<DWORD>(waitMs) : 0);
  if (asked != nullptr) *asked = outcome.asked;
  return outcome.forced;
}
