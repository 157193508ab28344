#pragma once
// Seeded generators, so that runs repeat exactly; the "secure" source is a
// separate seeded stream on the simulated desktop.

#include <random>

#include "platform/RandomSource.h"

namespace qx::sim {

class SimRandom final : public RandomSource {
 public:
  explicit SimRandom(std::uint64_t seed = 20040601) : ordinary_(seed), secure_(seed ^ 0x5EC0DE) {}
  void Seed(std::uint32_t seed) override { ordinary_.seed(seed); }
  std::uint32_t Below(std::uint32_t bound) override { return Draw(ordinary_, bound); }
  std::uint32_t SecureBelow(std::uint32_t bound) override { return Draw(secure_, bound); }

 private:
  static std::uint32_t Draw(std::mt19937_64& engine, std::uint32_t bound) {
    if (bound == 0) return 0;
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(engine);
  }
  std::mt19937_64 ordinary_;
  std::mt19937_64 secure_;
};

}  // namespace qx::sim
