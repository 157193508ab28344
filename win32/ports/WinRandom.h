#pragma once
// The ordinary seeded generator and the system's secure source
// (BCryptGenRandom).

#include <random>

#include "platform/RandomSource.h"

namespace qx::win {

class WinRandom final : public RandomSource {
 public:
  void Seed(std::uint32_t seed) override { ordinary_.seed(seed); }
  // Bound 0 answers 0.
  std::uint32_t Below(std::uint32_t bound) override;
  // Throws PlatformError when the system source fails.
  std::uint32_t SecureBelow(std::uint32_t bound) override;

 private:
  std::mt19937 ordinary_{5489u};
};

}  // namespace qx::win
