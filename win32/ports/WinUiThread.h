#pragma once
// Timers (SetTimer on a hidden message window of the user-interface thread)
// and "let pending messages run".

#include <windows.h>

#include <map>
#include <memory>

#include "platform/UiServices.h"

namespace qx::win {

class WinUiThread final : public UiThread {
 public:
  WinUiThread();
  ~WinUiThread() override;
  WinUiThread(const WinUiThread&) = delete;
  WinUiThread& operator=(const WinUiThread&) = delete;

  std::unique_ptr<Timer> CreateTimer(std::uint32_t intervalMs, std::function<void()> tick) override;
  // Runs the messages waiting now; a quit message is put back for the main
  // loop to see.
  void DoEvents() override;

  struct TimerState;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Fire(UINT_PTR id);

  HWND window_ = nullptr;
  std::map<UINT_PTR, std::weak_ptr<TimerState>> timers_;
  UINT_PTR nextId_ = 1;
};

}  // namespace qx::win
