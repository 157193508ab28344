#pragma once
// Ending the running copies of the program before their files are replaced
// or removed: every session's, each through its own orderly end.

#include <windows.h>

#include <string_view>

namespace qx::setup {

struct CloseOutcome {
  int asked = 0;   // running copies found and asked to close
  int forced = 0;  // of those, the ones that did not end in time
};

// Finds every running process whose program file is named `exeName`, sets
// each one's close event (the program answers it with its orderly end, as
// at log-off), waits up to `waitMs` for them to end, and ends by force only
// those still running then. A copy too old to have the event still gets its
// time: the installer's own session closes it through its window first.
CloseOutcome CloseRunningCopies(std::wstring_view exeName, DWORD waitMs);

}  // namespace qx::setup
