#pragma once
// Message boxes, the error dialog's window and the end of the process on the
// simulated desktop. The user's answers to the error dialog may be queued in
// advance; without one the dialog's modal loop runs the driver's steps (a
// scenario's), or, with no driver, the user presses OK.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "sim/FailureInjector.h"
#include "sim/SimModalLoop.h"

namespace qx::sim {

struct ShownMessage {
  std::wstring text;
  std::wstring title;
};

class SimMessageBoxes final : public MessageBoxes {
 public:
  explicit SimMessageBoxes(FailureInjector& failures) : failures_(failures) {}
  void ShowMessage(std::wstring_view text, std::wstring_view title) override {
    failures_.Check("Dialogs.ShowMessage");
    shown_.push_back({std::wstring(text), std::wstring(title)});
  }
  const std::vector<ShownMessage>& Shown() const { return shown_; }

 private:
  FailureInjector& failures_;
  std::vector<ShownMessage> shown_;
};

// The error dialog as it was shown.
struct ErrorDialogState {
  std::wstring info;
  bool noShowError = false;
  bool viewLogVisible = false;
};

enum class ErrorDialogButton { Ok, Quit, ViewErrorLog, AskTechnicalSupport };

// One press of the user in the error dialog, with the check box as the user
// leaves it (unchanged when not given).
struct ErrorDialogAnswer {
  ErrorDialogButton button = ErrorDialogButton::Ok;
  std::optional<bool> noShowError;
};

class SimErrorDialog final : public ErrorDialogView {
 public:
  // windowFactory makes the dialog's window on the desktop.
  SimErrorDialog(FailureInjector& failures, SimModalLoop& loop, std::function<Hwnd()> windowFactory)
      : failures_(failures), loop_(loop), windowFactory_(std::move(windowFactory)) {}

  Hwnd Load() override;
  void ShowModal(FormModel& form) override;
  void Unload() override;

  void QueueAnswer(ErrorDialogAnswer answer) { answers_.push_back(answer); }
  bool Loaded() const { return window_ != 0; }
  // Every state the dialog was shown with, in order (the check box as it
  // started).
  const std::vector<ErrorDialogState>& Shown() const { return shown_; }

 private:
  bool ApplyAnswer(FormModel& form);

  FailureInjector& failures_;
  SimModalLoop& loop_;
  std::function<Hwnd()> windowFactory_;
  std::deque<ErrorDialogAnswer> answers_;
  std::vector<ErrorDialogState> shown_;
  Hwnd window_ = 0;
};

// Thrown by EndNow: the simulated process is gone; whoever runs it catches
// this and abandons the process context.
struct ProcessEnded {};

class SimProcessControl final : public ProcessControl {
 public:
  [[noreturn]] void EndNow() override { throw ProcessEnded{}; }
};

}  // namespace qx::sim
