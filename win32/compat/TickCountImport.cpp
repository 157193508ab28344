// The threads of the C++ library (winpthreads, linked in statically) import
// GetTickCount64 for their timed waits, and Windows XP has none: a binary
// importing it does not load there. Defining the import's address slot
// here takes the place of kernel32's, so no import table names it; the
// slot points at TickCount64, which calls the system's GetTickCount64 where
// there is one. Linked into every Windows binary as an object, so that it
// is in the link before the libraries are searched.

#include <windows.h>

#include "win32/compat/TickCount.h"

namespace {

ULONGLONG WINAPI TickCount64Import() {
  return qx::win::compat::TickCount64();
}

}  // namespace

using TickCount64Slot = ULONGLONG(WINAPI*)();
#ifdef _WIN64
extern "C" const TickCount64Slot qx_tick_count64_slot __asm__("__imp_GetTickCount64");
#else
// 32-bit import names carry the stdcall decoration.
extern "C" const TickCount64Slot qx_tick_count64_slot __asm__("__imp__GetTickCount64@0");
#endif
extern "C" const TickCount64Slot qx_tick_count64_slot = &TickCount64Import;
