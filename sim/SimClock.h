#pragma once
// The virtual clock: it starts at 12:00:00 on a fixed day and moves only when
// told to. Date and time texts are in the United States English forms.

#include <cstdint>

#include "platform/Clock.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class SimClock final : public Clock {
 public:
  explicit SimClock(FailureInjector& failures) : failures_(failures) {}

  LocalTime Now() override;
  std::wstring ShortDateText(const LocalTime& t) override;
  std::wstring TimeText(const LocalTime& t) override;

  // Milliseconds since the clock started.
  std::int64_t Elapsed() const { return elapsedMs_; }
  void Advance(std::int64_t ms) { elapsedMs_ += ms; }
  LocalTime At(std::int64_t elapsedMs) const;

 private:
  FailureInjector& failures_;
  std::int64_t elapsedMs_ = 0;
};

}  // namespace qx::sim
