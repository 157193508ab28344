#pragma once
// File, shell and help helpers of the start routine's module.

#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace qx {

// True when the file exists and holds at least one byte.
bool FileHasData(FileSystem& files, std::wstring_view path);
// The shell's "open" action; failures are ignored.
void OpenDocument(Shell& shell, std::wstring_view target);
// Opens "quellix.chm" in the program's folder at the topic.
void ShowHelpTopic(Shell& shell, const FileSystem& files, std::wstring_view topic);

}  // namespace qx

#include <memory>

#include "platform/Platform.h"

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
