#pragma once
// Stand-in for the browser adapters until they join the program: the shell
// lists no browser windows and no browser can be made, so the browser watch
// and the page catcher stay idle while everything else runs.

#include "platform/Browser.h"
#include "platform/PlatformError.h"

namespace qx::win {

class NoShellWindows final : public ShellWindowList {
 public:
  int Count() override { return 0; }
  std::shared_ptr<Browser> Item(int) override { return nullptr; }
  std::unique_ptr<Connection> Connect(ShellWindowEvents&) override {
    return std::make_unique<Connection>();
  }
};

class NoBrowserFactory final : public BrowserFactory {
 public:
  std::shared_ptr<Browser> NewBrowserWindow() override {
    throw PlatformError(kErrAutomation, L"No browser can be started here",
                        L"BrowserFactory.NewBrowserWindow");
  }
};

}  // namespace qx::win
