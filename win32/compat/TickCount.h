#pragma once
// Milliseconds since the system started, as GetTickCount64 gives them (Vista
// on); before Vista from GetTickCount, whose 32 bits wrap after 49.7 days.

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace qx::win::compat {

// The fallback's step: `last` is the previous answer, `now` GetTickCount's
// reading. The reading's distance from the low 32 bits of `last`, taken
// modulo 2^32, is how far time went on, across a wrap as well. A reading a
// little behind `last` (another thread read the clock first and answered
// before this one) keeps `last`, so answers never go back. Correct as long
// as readings are less than 24.8 days apart.
std::uint64_t ExtendTickCount(std::uint64_t last, std::uint32_t now);

// The last answer of the fallback, shared by the threads that ask. The
// first reading is taken as it is: the system may have run for weeks.
class TickExtender {
 public:
  constexpr TickExtender() = default;
  std::uint64_t Next(std::uint32_t now);

 private:
  static constexpr std::uint64_t kNoReading = ~std::uint64_t{0};
  std::atomic<std::uint64_t> last_{kNoReading};
};

using Ticks64Fn = ULONGLONG(WINAPI*)();
using Ticks32Fn = DWORD(WINAPI*)();

// `ticks64` where given, else `ticks32` through `extender`: the seam by
// which the tests force the fallback.
std::uint64_t TickCountWith(Ticks64Fn ticks64, Ticks32Fn ticks32, TickExtender& extender);

// The system's counter (GetTickCount64 where this Windows has it). Safe to
// call anywhere, before static construction too: it loads nothing and
// initialises nothing that needs a lock.
std::uint64_t TickCount64();

}  // namespace qx::win::compat
