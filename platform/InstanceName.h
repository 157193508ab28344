#pragma once
// The program's presence in a logon session, as the Windows shell shows it.

#include <string_view>

namespace qx {

// A named mutex that the program creates when it starts and holds while it
// runs: finding it already there is the previous-instance test, and the
// browser helper opens it (never creates it) to learn whether the program
// runs before starting it. "Local\" keeps it to the user's own session.
inline constexpr std::wstring_view kInstanceMutexName = L"Local\\Quellix.Instance";

}  // namespace qx
