#pragma once
// The error dialog's window: a small dialog built in memory, shown modally
// by its own message loop.

#include <windows.h>

#include <optional>

#include "platform/Dialogs.h"

namespace qx::win {

class WinErrorDialog final : public ErrorDialogView {
 public:
  ~WinErrorDialog() override { Unload(); }
  Hwnd Load() override;
  ErrorDialogButton WaitForButton(ErrorDialogState& state) override;
  void Unload() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  HWND dialog_ = nullptr;
  std::optional<ErrorDialogButton> pressed_;
};

// The control identifiers, for whoever drives the dialog (tests).
inline constexpr int kErrorQuit = 201;
inline constexpr int kErrorViewLog = 202;
inline constexpr int kErrorSupport = 203;
inline constexpr int kErrorNoShow = 204;
inline constexpr int kErrorInfo = 205;

}  // namespace qx::win
