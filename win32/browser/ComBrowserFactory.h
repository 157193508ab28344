#pragma once
// New browser application windows (the browser's own application object)
// and the hidden browser control of the page catcher.

#include <windows.h>

#include "platform/Browser.h"

namespace qx::win {

class ComBrowserFactory final : public BrowserFactory {
 public:
  // owner: the program's window the hidden control's host belongs to (may
  // be null).
  explicit ComBrowserFactory(HWND owner) : owner_(owner) {}
  std::shared_ptr<Browser> NewBrowserWindow() override;
  std::shared_ptr<Browser> CreateHiddenBrowserControl() override;

 private:
  HWND owner_;
};

}  // namespace qx::win
