#pragma once
// Makes port calls of the simulated desktop fail on demand. Calls are named
// "Port.Method" ("Desktop.WindowText", "Files.WriteAll"); a rule names one
// call, a whole port ("Desktop"), or every call ("*").

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>

namespace qx::sim {

class FailureInjector {
 public:
  // Every matching call fails until Clear.
  void FailAlways(std::string rule) { always_[std::move(rule)] = true; }
  // The next `times` matching calls fail.
  void FailNext(std::string rule, int times = 1) { next_[std::move(rule)] += times; }
  // Every call fails with this probability, drawn from a seeded generator.
  void FailRandomly(double probability, std::uint64_t seed);
  void Clear();

  // Answers whether this call is to fail (and counts it).
  bool ShouldFail(std::string_view call);
  // Throws PlatformError when the call is to fail.
  void Check(std::string_view call);
  std::uint64_t InjectedCount() const { return injected_; }

 private:
  static bool Matches(std::string_view rule, std::string_view call);

  std::map<std::string, bool, std::less<>> always_;
  std::map<std::string, int, std::less<>> next_;
  double probability_ = 0.0;
  std::mt19937_64 engine_{1};
  std::uint64_t injected_ = 0;
};

}  // namespace qx::sim
