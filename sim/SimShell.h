#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

// Records what the program asked the shell to open.
class SimShell final : public Shell {
 public:
  explicit SimShell(FailureInjector& failures) : failures_(failures) {}
  void Open(std::wstring_view target) override {
    failures_.Check("Shell.Open");
    opened_.emplace_back(target);
  }
  void ShowHelp(std::wstring_view chmTopic) override {
    failures_.Check("Shell.ShowHelp");
    help_.emplace_back(chmTopic);
  }
  const std::vector<std::wstring>& Opened() const { return opened_; }
  const std::vector<std::wstring>& HelpShown() const { return help_; }

 private:
  FailureInjector& failures_;
  std::vector<std::wstring> opened_;
  std::vector<std::wstring> help_;
};

}  // namespace qx::sim
