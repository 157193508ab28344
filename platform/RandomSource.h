#pragma once

#include <cstdint>

namespace qx {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // Seeds the ordinary generator (from the time of day at start-up).
  virtual void Seed(std::uint32_t seed) = 0;
  // The ordinary generator: a number in [0, bound).
  virtual std::uint32_t Below(std::uint32_t bound) = 0;
  // The operating system's cryptographically secure source: a number in
  // [0, bound), uniform. Used for secrets.
  virtual std::uint32_t SecureBelow(std::uint32_t bound) = 0;
};

}  // namespace qx
