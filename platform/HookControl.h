#pragma once
// The hook control as the main program calls it (late-bound by dispatch
// identifier on Windows). A method may fail with PlatformError.

namespace qx {

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
};

}  // namespace qx
