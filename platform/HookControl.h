#pragma once
// The hook control as the main program calls it (late-bound by dispatch
// identifier on Windows). A method may fail with PlatformError.

#include <cstdint>
#include <string>

namespace qx {

// The control's events. Every argument is passed by reference; the control
// does not read them back.
class OmnihookEvents {
 public:
  virtual ~OmnihookEvents() = default;
  virtual void GetTextMsg(std::int32_t& hwnd) = 0;
  virtual void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) = 0;
  virtual void LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) = 0;
  virtual void LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) = 0;
  virtual void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) = 0;
};

class HookControl {
 public:
  virtual ~HookControl() = default;
  virtual void Initialize() = 0;
  virtual void InstallCBTHook(bool noBrowserCheck) = 0;
  virtual void InstallMsgHook() = 0;
  virtual void InstallMouseHook() = 0;
  virtual void RemoveCBTHook() = 0;
  virtual void RemoveMsgHook() = 0;
  virtual void RemoveMouseHook() = 0;
  virtual void Uninitialize() = 0;
  // Where the control's events go (the main form); none: nowhere.
  virtual void SetEventSink(OmnihookEvents* sink) = 0;
};

}  // namespace qx
