#include "win32/ports/WinRandom.h"

#include <windows.h>

#include "win32/ports/WinError.h"

namespace qx::win {

std::uint32_t WinRandom::Below(std::uint32_t bound) {
  if (bound == 0) return 0;
  return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(ordinary_);
}

std::uint32_t WinRandom::SecureBelow(std::uint32_t bound) {
  if (bound == 0) return 0;
  // Draws above the largest multiple of bound are dropped, so that every
  // answer is equally likely.
  const std::uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
  for (;;) {
    std::uint32_t draw = 0;
    if (!compat::FillSecureRandom(sources_, &draw, sizeof draw))
      throw ComError(L"Random.SecureBelow", NTE_FAIL);
    if (draw < limit) return draw % bound;
  }
}

}  // namespace qx::win
