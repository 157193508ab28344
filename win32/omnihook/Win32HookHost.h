#pragma once
// The control's side of the hook host (QuellixHook32.exe): starts it beside
// the control, tells it which hooks to set, asks it for its library's y
// coordinates, and ends it.

#include <windows.h>

#include <string>

#include "platform/HookPeer.h"

namespace qx::win {

class Win32HookHost final : public HookPeer {
 public:
  // folder: where the control, and so the host, lies.
  explicit Win32HookHost(std::wstring folder) : folder_(std::move(folder)) {}
  ~Win32HookHost() override;
  Win32HookHost(const Win32HookHost&) = delete;
  Win32HookHost& operator=(const Win32HookHost&) = delete;

  void Apply(const PeerHooks& hooks) override;
  void Stop() override;
  bool Reports(Hwnd window) override;
  std::int32_t GetLastY() override;

  // The running host's process id; 0 when none runs.
  DWORD ProcessId() const { return processId_; }

 private:
  bool Start(std::int32_t notifyWindow);
  HWND FindWindowOf(std::int32_t notifyWindow) const;
  void Forget();

  std::wstring folder_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
  BOOL wow64_ = FALSE;
  // A host that would not start is not tried again until the hooks are all
  // removed: every install would otherwise wait for it anew.
  bool refused_ = false;
};

}  // namespace qx::win
