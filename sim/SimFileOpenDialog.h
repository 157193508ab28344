#pragma once
// The file-open dialog on the simulated desktop: the user's choices are
// queued in advance; a dialog with no queued choice is cancelled.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileOpenDialog.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class SimFileOpenDialog final : public FileOpenDialog {
 public:
  explicit SimFileOpenDialog(FailureInjector& failures) : failures_(failures) {}
  std::optional<std::wstring> Show(const FileOpenRequest& request) override {
    failures_.Check("Dialogs.FileOpen");
    shown_.push_back(request);
    if (choices_.empty()) return std::nullopt;
    std::optional<std::wstring> choice = std::move(choices_.front());
    choices_.pop_front();
    return choice;
  }
  // None: the user cancels.
  void QueueChoice(std::optional<std::wstring> path) { choices_.push_back(std::move(path)); }
  const std::vector<FileOpenRequest>& Shown() const { return shown_; }

 private:
  FailureInjector& failures_;
  std::deque<std::optional<std::wstring>> choices_;
  std::vector<FileOpenRequest> shown_;
};

}  // namespace qx::sim
