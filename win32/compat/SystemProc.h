#pragma once
// Functions that not every supported Windows has (XP SP3 on) are found at
// run time, here, and never imported: a missing import stops the whole
// binary from loading.

#include <windows.h>

namespace qx::win::compat {

using AnyProc = void (*)();

// The export `name` of the system library `dll` ("kernel32.dll"), or null
// where this Windows has none. A library not yet in the process is loaded
// from the system folder only, never from the program's or the current
// folder. Not for DllMain: it may load a library.
AnyProc SystemProcAddress(const wchar_t* dll, const char* name);

// The same from a library already in the process (kernel32, user32 and the
// like); never loads one, so safe anywhere.
AnyProc LoadedProcAddress(const wchar_t* dll, const char* name);

template <class Fn>
Fn SystemProc(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(SystemProcAddress(dll, name));
}

template <class Fn>
Fn LoadedProc(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(LoadedProcAddress(dll, name));
}

}  // namespace qx::win::compat
