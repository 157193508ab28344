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

class FormModel;

// The error dialog's window. The dialog itself is a presentation model
// (ErrorForm): the view shows its controls and forwards the user's actions.
class ErrorDialogView {
 public:
  virtual ~ErrorDialogView() = default;
  // Creates the dialog's window (hidden) and answers its handle.
  virtual Hwnd Load() = 0;
  // Shows the dialog modally: the shell's messages (timers, hooks, browser
  // events, the user's actions on the dialog) run until the form hides
  // itself or is unloaded.
  virtual void ShowModal(FormModel& form) = 0;
  virtual void Unload() = 0;
};

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;
  // Ends the process at once: nothing of the orderly shutdown runs.
  [[noreturn]] virtual void EndNow() = 0;
};

}  // namespace qx
