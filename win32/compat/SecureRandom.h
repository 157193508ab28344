#pragma once
// The system's secure random source: BCryptGenRandom with the system's
// preferred generator (Vista SP2 on), else RtlGenRandom (XP on; also where
// BCryptGenRandom refuses the flag, as Vista before SP2 does).
//   https://learn.microsoft.com/windows/win32/api/bcrypt/nf-bcrypt-bcryptgenrandom
//   https://learn.microsoft.com/windows/win32/api/ntsecapi/nf-ntsecapi-rtlgenrandom

#include <windows.h>

namespace qx::win::compat {

struct RandomSources {
  // BCryptGenRandom (bcrypt.dll), or null.
  LONG(WINAPI* bcrypt)(void* algorithm, UCHAR* buffer, ULONG size, ULONG flags) = nullptr;
  // RtlGenRandom, exported by advapi32.dll as SystemFunction036, or null.
  BOOLEAN(WINAPI* rtl)(void* buffer, ULONG size) = nullptr;
};

// The sources this Windows has. Loads bcrypt.dll: not for DllMain.
RandomSources SystemRandomSources();

// Fills `buffer` from the first source that has it and answers true; false
// when none could.
bool FillSecureRandom(const RandomSources& sources, void* buffer, ULONG size);

}  // namespace qx::win::compat
