#pragma once
// The error dialog's window: the error form's controls shown by a form
// view, modal in its own message loop.

#include <windows.h>

#include "platform/Dialogs.h"

namespace qx::win {

class WinErrorDialog final : public ErrorDialogView {
 public:
  ~WinErrorDialog() override { Unload(); }
  Hwnd Load() override;
  void ShowModal(FormModel& form) override;
  void Unload() override;

 private:
  HWND window_ = nullptr;
};

}  // namespace qx::win
