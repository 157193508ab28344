#pragma once
// Modal dialogs of the shell: message boxes and the error dialog's window.

#include <string>
#include <string_view>

#include "platform/Types.h"

namespace qx {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message box with only an OK button and no icon.
  virtual void ShowMessage(std::wstring_view text, std::wstring_view title) = 0;
};

// What the error dialog shows; the view writes the check box back.
struct ErrorDialogState {
  std::wstring info;
  bool noShowError = false;
  bool viewLogVisible = false;
};

enum class ErrorDialogButton { Ok, Quit, ViewErrorLog, AskTechnicalSupport };

class ErrorDialogView {
 public:
  virtual ~ErrorDialogView() = default;
  // Creates the dialog's window (hidden) and answers its handle.
  virtual Hwnd Load() = 0;
  // Shows the dialog modally until the user presses a button; the state's
  // check box holds what the user left it at.
  virtual ErrorDialogButton WaitForButton(ErrorDialogState& state) = 0;
  virtual void Unload() = 0;
};

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;
  // Ends the process at once: nothing of the orderly shutdown runs.
  [[noreturn]] virtual void EndNow() = 0;
};

}  // namespace qx
