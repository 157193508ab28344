#pragma once
// Timers on the virtual clock, held keys, sound requests and the work area
// of the simulated desktop.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "sim/FailureInjector.h"
#include "sim/SimClock.h"

namespace qx::sim {

class SimUiThread final : public UiThread {
 public:
  SimUiThread(FailureInjector& failures, SimClock& clock) : failures_(failures), clock_(clock) {}

  std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, std::function<void()> tick) override;
  void DoEvents() override;

  // Moves the clock on by ms; every timer that falls due on the way ticks at
  // its moment, in time order.
  void Advance(std::int64_t ms);
  // What DoEvents runs (pending messages of the simulated desktop).
  void SetPendingMessages(std::function<void()> run) { pending_ = std::move(run); }

  struct TimerState;

 private:
  FailureInjector& failures_;
  SimClock& clock_;
  std::vector<std::shared_ptr<TimerState>> timers_;
  std::function<void()> pending_;
};

class SimKeyboard final : public Keyboard {
 public:
  explicit SimKeyboard(FailureInjector& failures) : failures_(failures) {}
  bool KeyDown(int virtualKey) override;
  void Press(int virtualKey) { held_.insert(virtualKey); }
  void Release(int virtualKey) { held_.erase(virtualKey); }

 private:
  FailureInjector& failures_;
  std::set<int> held_;
};

struct SoundRequest {
  std::wstring fileName;
  std::uint32_t flags = 0;
};

class SimSound final : public Sound {
 public:
  // fileExists tells whether a named file can be played.
  SimSound(FailureInjector& failures, std::function<bool(std::wstring_view)> fileExists)
      : failures_(failures), fileExists_(std::move(fileExists)) {}
  bool Play(std::wstring_view fileName, std::uint32_t flags) override;
  const std::vector<SoundRequest>& Requests() const { return requests_; }
  // The files that really played.
  const std::vector<std::wstring>& Played() const { return played_; }

 private:
  FailureInjector& failures_;
  std::function<bool(std::wstring_view)> fileExists_;
  std::vector<SoundRequest> requests_;
  std::vector<std::wstring> played_;
};

class SimWorkArea final : public WorkArea {
 public:
  explicit SimWorkArea(FailureInjector& failures) : failures_(failures) {}
  Rect Get() override {
    failures_.Check("Desktop.WorkArea");
    return rect_;
  }
  void Set(const Rect& rect) { rect_ = rect; }

 private:
  FailureInjector& failures_;
  Rect rect_{0, 0, 1023, 737};
};

}  // namespace qx::sim
