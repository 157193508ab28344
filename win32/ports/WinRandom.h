#pragma once
// The ordinary seeded generator and the system's secure source
// (BCryptGenRandom, RtlGenRandom where that is absent or refuses).

#include <random>

#include "platform/RandomSource.h"
#include "win32/compat/SecureRandom.h"

namespace qx::win {

class WinRandom final : public RandomSource {
 public:
  // The tests pass stand-ins for the system's sources.
  explicit WinRandom(compat::RandomSources sources = compat::SystemRandomSources())
      : sources_(sources) {}
  void Seed(std::uint32_t seed) override { ordinary_.seed(seed); }
  // Bound 0 answers 0.
  std::uint32_t Below(std::uint32_t bound) override;
  // Throws PlatformError when no system source answers.
  std::uint32_t SecureBelow(std::uint32_t bound) override;

 private:
  compat::RandomSources sources_;
  std::mt19937 ordinary_{5489u};
};

}  // namespace qx::win
