#pragma once
// The start routine: the command line, the single-instance check, the
// process context and the main form.

#include <memory>
#include <string_view>

#include "platform/Platform.h"
#include "platform/ShellActions.h"

namespace qx {

class DialogHost;
class MainForm;
class Process;

enum class StartOutcome {
  Ended,    // a one-shot switch, or another instance runs: the process ends
  Running,  // the main form is loaded; the process lives on its messages
};

// The start routine: the command-line switches, the single-instance check,
// the settings, the start time and the hidden main form.
StartOutcome Main(std::wstring_view commandLine, Platform& platform, DialogHost& dialogs,
                  std::unique_ptr<Process>& process, std::unique_ptr<MainForm>& form);

}  // namespace qx
