#include "win32/browser/BrowserPorts.h"

#include "win32/browser/ComBrowserFactory.h"
#include "win32/browser/ComShellWindows.h"

namespace qx::win {

std::unique_ptr<ShellWindowList> MakeShellWindowList() {
  return ComShellWindows::Create();
}

std::unique_ptr<BrowserFactory> MakeBrowserFactory(HWND owner) {
  return std::make_unique<ComBrowserFactory>(owner);
}

}  // namespace qx::win
