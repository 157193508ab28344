#include "sim/FailureInjector.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx::sim {

void FailureInjector::FailRandomly(double probability, std::uint64_t seed) {
  probability_ = probability;
  engine_.seed(seed);
}

void FailureInjector::Clear() {
  always_.clear();
  next_.clear();
  probability_ = 0.0;
}

bool FailureInjector::Matches(std::string_view rule, std::string_view call) {
  if (rule == "*" || rule == call) return true;
  return call.size() > rule.size() && call.substr(0, rule.size()) == rule &&
         call[rule.size()] == '.';
}

bool FailureInjector::ShouldFail(std::string_view call) {
  bool fail = false;
  for (const auto& [rule, on] : always_) {
    if (on && Matches(rule, call)) fail = true;
  }
  for (auto& [rule, count] : next_) {
    if (!fail && count > 0 && Matches(rule, call)) {
      --count;
      fail = true;
    }
  }
  if (!fail && probability_ > 0.0) {
    fail = std::uniform_real_distribution<double>(0.0, 1.0)(engine_) < probability_;
  }
  if (fail) ++injected_;
  return fail;
}

void FailureInjector::Check(std::string_view call) {
  if (ShouldFail(call)) {
    throw PlatformError(kErrAutomation, L"Simulated failure of " + FromUtf8(call), FromUtf8(call));
  }
}

}  // namespace qx::sim
