#include "sim/SimUiServices.h"

#include <algorithm>

namespace qx::sim {

struct SimUiThread::TimerState {
  SimClock* clock = nullptr;
  std::uint32_t interval = 0;
  bool enabled = false;
  bool destroyed = false;
  std::int64_t due = 0;
  std::function<void()> tick;
};

namespace {

class SimTimer final : public Timer {
 public:
  explicit SimTimer(std::shared_ptr<SimUiThread::TimerState> state) : state_(std::move(state)) {}
  ~SimTimer() override {
    state_->destroyed = true;
    state_->enabled = false;
  }
  void SetEnabled(bool on) override {
    // Enabling a timer that runs keeps its schedule, as the real one does.
    if (on && !state_->enabled) state_->due = state_->clock->Elapsed() + state_->interval;
    state_->enabled = on;
  }
  bool Enabled() const override { return state_->enabled; }
  void SetInterval(std::uint32_t ms) override {
    state_->interval = ms;
    if (state_->enabled) state_->due = state_->clock->Elapsed() + ms;
  }
  std::uint32_t Interval() const override { return state_->interval; }

 private:
  std::shared_ptr<SimUiThread::TimerState> state_;
};

}  // namespace

std::unique_ptr<Timer> SimUiThread::CreateTimer(std::uint32_t intervalMs,
                                                std::function<void()> tick) {
  auto state = std::make_shared<TimerState>();
  state->clock = &clock_;
  state->interval = intervalMs;
  state->tick = std::move(tick);
  std::erase_if(timers_, [](const auto& t) { return t->destroyed; });
  timers_.push_back(state);
  return std::make_unique<SimTimer>(state);
}

void SimUiThread::DoEvents() {
  failures_.Check("Ui.DoEvents");
  if (pending_) pending_();
}

void SimUiThread::Advance(std::int64_t ms) {
  const std::int64_t target = clock_.Elapsed() + ms;
  for (;;) {
    std::shared_ptr<TimerState> next;
    for (const auto& t : timers_) {
      // A timer with interval 0 never ticks, as on Windows.
      if (t->enabled && t->interval > 0 && t->due <= target && (!next || t->due < next->due)) {
        next = t;
      }
    }
    if (next == nullptr) break;
    clock_.Advance(std::max<std::int64_t>(0, next->due - clock_.Elapsed()));
    next->due = clock_.Elapsed() + next->interval;
    // The handler may destroy or re-arm any timer; a copy keeps it alive.
    const auto tick = next->tick;
    if (tick) tick();
  }
  clock_.Advance(std::max<std::int64_t>(0, target - clock_.Elapsed()));
}

bool SimKeyboard::KeyDown(int virtualKey) {
  failures_.Check("Keyboard.KeyDown");
  return held_.count(virtualKey) > 0;
}

bool SimSound::Play(std::wstring_view fileName, std::uint32_t flags) {
  failures_.Check("Sound.Play");
  requests_.push_back({std::wstring(fileName), flags});
  if (fileName.empty() || !fileExists_ || !fileExists_(fileName)) return false;
  played_.emplace_back(fileName);
  return true;
}

}  // namespace qx::sim
