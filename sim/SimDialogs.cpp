#include "sim/SimDialogs.h"

namespace qx::sim {

Hwnd SimErrorDialog::Load() {
  failures_.Check("Dialogs.ErrorLoad");
  window_ = windowFactory_ ? windowFactory_() : 0;
  return window_;
}

ErrorDialogButton SimErrorDialog::WaitForButton(ErrorDialogState& state) {
  failures_.Check("Dialogs.ErrorWait");
  shown_.push_back(state);
  if (answers_.empty()) return ErrorDialogButton::Ok;
  const ErrorDialogAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.noShowError) state.noShowError = *answer.noShowError;
  return answer.button;
}

void SimErrorDialog::Unload() {
  window_ = 0;
}

}  // namespace qx::sim
