#pragma once
// Starting the program as the user of the desktop from an elevated
// installer.

#include <string>

namespace qx::setup {

enum class StartRoute {
  Shell,   // the desktop's shell started it, with the shell's own token
  Direct,  // no shell desktop: started by this process, with its token
  Failed,
};

// Starts `program` (no arguments) in `folder`. The shell's process is the
// one the user's desktop runs in: medium integrity, not elevated, the user's
// own HKEY_CURRENT_USER. A program the elevated installer started itself
// would run elevated, with the elevating administrator's HKEY_CURRENT_USER,
// and lower-integrity hooks could not reach its windows.
StartRoute StartAsDesktopUser(const std::wstring& program, const std::wstring& folder);

}  // namespace qx::setup
