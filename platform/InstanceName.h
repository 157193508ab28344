#pragma once
// The program's presence in a logon session, as the Windows shell shows it.

#include <string_view>

namespace qx {

// A named mutex that the program creates when it starts and holds while it
// runs: finding it already there is the previous-instance test, and the
// browser helper opens it (never creates it) to learn whether the program
// runs before starting it. "Local\" keeps it to the user's own session.
inline constexpr std::wstring_view kInstanceMutexName = L"Local\\Quellix.Instance";

// The window class of the hidden main form. Closing that window (WM_CLOSE)
// is how another program, such as the uninstaller, asks the program to end
// properly: the form's query-unload runs CloseProgram and the rule files and
// the log are written as at log-off.
inline constexpr std::wstring_view kMainWindowClass = L"QuellixMain";

// Followed by the process id in decimal: an event each running program
// makes and waits for. Setting it asks that program to end as WM_CLOSE
// does. "Global\" reaches it from every session, so that an installer can
// close the copies of every user logged on, not only its own session's.
inline constexpr std::wstring_view kCloseEventPrefix = L"Global\\Quellix.Close.";

}  // namespace qx
