#pragma once
// The error reports' prompt: the error dialog (ErrorForm), one report at a
// time; a report made while a dialog waits takes its place.

#include "context/Process.h"
#include "logging/ErrorPrompt.h"
#include "platform/OwnFormWindows.h"
#include "platform/Platform.h"
#include "ui/ErrorForm.h"

namespace qx {

class ErrorFormPrompt final : public ErrorPrompt {
 public:
  ErrorFormPrompt(Platform& platform, OwnFormWindows& forms) : platform_(platform), forms_(forms) {}

  std::optional<bool> Ask(const std::wstring& message, bool preCheck,
                          const std::wstring& logFile) override;
  void Dismiss() override;

  // The error dialog while it is loaded; none otherwise.
  ErrorForm* Dialog() { return dialog_ != nullptr && dialog_->Loaded() ? dialog_ : nullptr; }

 private:
  Platform& platform_;
  OwnFormWindows& forms_;
  // The loaded dialog: it lives in the report that shows it, so that a
  // report made while it waits (its modal loop runs the program's
  // messages) can unload it without pulling it from under that report.
  ErrorForm* dialog_ = nullptr;
};

// Gives the process's error reports the error dialog.
ErrorFormPrompt& UseErrorForm(Process& process);
// The process's error dialog prompt, if it was given one.
ErrorFormPrompt* ErrorFormPromptOf(Process& process);

}  // namespace qx
