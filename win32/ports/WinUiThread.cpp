#include "win32/ports/WinUiThread.h"

#include "win32/ports/WinError.h"

namespace qx::win {

struct WinUiThread::TimerState {
  HWND window = nullptr;
  UINT_PTR id = 0;
  std::uint32_t interval = 0;
  bool enabled = false;
  std::function<void()> tick;

  void Apply() {
    if (window == nullptr) return;
    if (enabled) {
      // SetTimer raises intervals below its minimum itself.
      SetTimer(window, id, interval, nullptr);
    } else {
      KillTimer(window, id);
    }
  }
};

namespace {

constexpr wchar_t kClassName[] = L"QuellixTimers";

class WinTimer final : public Timer {
 public:
  explicit WinTimer(std::shared_ptr<WinUiThread::TimerState> state) : state_(std::move(state)) {}
  ~WinTimer() override {
    state_->enabled = false;
    state_->Apply();
  }
  void SetEnabled(bool on) override {
    state_->enabled = on;
    state_->Apply();
  }
  bool Enabled() const override { return state_->enabled; }
  void SetInterval(std::uint32_t ms) override {
    state_->interval = ms;
    // A running timer starts its new interval now.
    if (state_->enabled) state_->Apply();
  }
  std::uint32_t Interval() const override { return state_->interval; }

 private:
  std::shared_ptr<WinUiThread::TimerState> state_;
};

}  // namespace

WinUiThread::WinUiThread() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kClassName, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WinUiThread::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
  }
  window_ =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  if (window_ == nullptr) throw Win32Error(L"UiThread", GetLastError(), kErrInvalidCall);
}

WinUiThread::~WinUiThread() {
  for (auto& [id, weak] : timers_) {
    if (auto state = weak.lock()) {
      KillTimer(window_, id);
      state->window = nullptr;
    }
  }
  DestroyWindow(window_);
}

LRESULT CALLBACK WinUiThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_TIMER) {
    auto* self = reinterpret_cast<WinUiThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
      // Nothing may unwind through the system's frames.
      try {
        self->Fire(wParam);
      } catch (...) {
      }
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void WinUiThread::Fire(UINT_PTR id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  const auto state = it->second.lock();
  if (!state) {
    KillTimer(window_, id);
    timers_.erase(it);
    return;
  }
  if (!state->enabled) return;
  // The tick may drop the timer; the copy keeps the function alive.
  const std::function<void()> tick = state->tick;
  if (tick) tick();
}

std::unique_ptr<Timer> WinUiThread::CreateTimer(std::uint32_t intervalMs,
                                                std::function<void()> tick) {
  // Timers of earlier, dropped Timer objects are forgotten here.
  std::erase_if(timers_, [](const auto& entry) { return entry.second.expired(); });
  auto state = std::make_shared<TimerState>();
  state->window = window_;
  state->id = nextId_++;
  state->interval = intervalMs;
  state->tick = std::move(tick);
  timers_[state->id] = state;
  return std::make_unique<WinTimer>(state);
}

void WinUiThread::DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace qx::win
