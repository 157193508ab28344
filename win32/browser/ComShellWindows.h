#pragma once
// The shell's list of open browser windows (ShellWindows) as the core's
// ShellWindowList, and the sink for its DShellWindowsEvents.

#include <exdisp.h>
#include <windows.h>

#include <memory>

#include "platform/Browser.h"
#include "win32/browser/ComSupport.h"
#include "win32/browser/SinkConnection.h"

namespace qx::win {

class ComShellWindows final : public ShellWindowList {
 public:
  // Over an existing list object; null: every call fails.
  explicit ComShellWindows(ComPtr<IShellWindows> windows) : windows_(std::move(windows)) {}
  // The shell's list, created by its class identifier. A shell without one
  // gives a list whose calls fail.
  static std::unique_ptr<ComShellWindows> Create();

  // A shell that does not implement the count (E_NOTIMPL) has no windows.
  int Count() override;
  std::shared_ptr<Browser> Item(int index) override;
  std::unique_ptr<Connection> Connect(ShellWindowEvents& sink) override;

 private:
  ComPtr<IShellWindows> windows_;
};

class ShellWindowsEventSink final : public EventSink {
 public:
  explicit ShellWindowsEventSink(ShellWindowEvents& events);
  void Detach() override { events_ = nullptr; }

 protected:
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) override;

 private:
  ShellWindowEvents* events_;
};

}  // namespace qx::win
