#include "win32/ports/WinSound.h"

#include <windows.h>
// windows.h first: mmsystem.h needs its types.
#include <mmsystem.h>

#include <string>

namespace qx::win {

bool WinSound::Play(std::wstring_view fileName, std::uint32_t flags) {
  return sndPlaySoundW(std::wstring(fileName).c_str(), flags) != FALSE;
}

}  // namespace qx::win
