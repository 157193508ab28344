#pragma once
// Plays the user for a modal window of this process: once a visible
// top-level window with the title exists, `act` runs on a thread of its own
// with that window. The test's thread meanwhile sits in the modal loop.

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace qx::win::test {

class UiDriver {
 public:
  UiDriver(std::wstring title, std::function<void(HWND)> act)
      : thread_([this, title = std::move(title), act = std::move(act)] {
          // Ten seconds for the window to appear; a test whose window never
          // shows fails on its own checks instead of hanging.
          for (int i = 0; i < 500; ++i) {
            HWND window = Find(title);
            if (window != nullptr) {
              act(window);
              acted_ = true;
              return;
            }
            Sleep(20);
          }
        }) {}
  ~UiDriver() { thread_.join(); }
  UiDriver(const UiDriver&) = delete;
  UiDriver& operator=(const UiDriver&) = delete;
  bool Acted() const { return acted_; }

  static std::wstring Text(HWND window) {
    wchar_t buffer[1024];
    const int n = GetWindowTextW(window, buffer, 1024);
    return std::wstring(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  }

 private:
  struct Search {
    const std::wstring* title;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        Text(window) == *search.title) {
      search.found = window;
      return FALSE;
    }
    return TRUE;
  }
  static HWND Find(const std::wstring& title) {
    Search search{&title, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  std::atomic<bool> acted_{false};
  std::thread thread_;
};

// Pumps this thread's messages until done() or about ten seconds pass.
inline bool PumpUntil(const std::function<bool()>& done) {
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (!done()) {
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

}  // namespace qx::win::test
