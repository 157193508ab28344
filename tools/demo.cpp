// A short tour of what the foundation does, on the simulated desktop: the
// settings a new user gets, the start-up entry written at exit, the window
// helpers and the error log.

#include <iostream>

#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimDesktop.h"

namespace {

void Say(const std::wstring& line) {
  std::cout << qx::ToUtf8(line) << "\n";
}

}  // namespace

int main() {
  using namespace qx;
  sim::SimDesktop desktop;
  {
    Process process(desktop.platform());
    Settings& settings = process.settings();
    Say(L"A new user's options:");
    for (const Option option : SaveOrder()) {
      Say(L"  " + std::wstring(InfoOf(option).valueName) + L" = " + settings.StoredText(option));
    }
    Say(L"URLPrefix drawn for this user: " + settings.URLPrefix());

    const ProcessId other = desktop.windows().StartProcess(L"C:\\Program Files\\Other\\Other.exe");
    const Hwnd window = desktop.windows().CreateWindow(other, L"Win a FREE Prize!", L"OtherFrame");
    Say(L"Window caption as the watch reads it: \"" + process.windowInfo().WindowCaption(window) +
        L"\"");
    Say(L"Its program: " + process.windowInfo().WindowExeName(window));

    settings.SetStartMode(1);
    Say(L"StartMode set to 1; the program now ends.");
    process.errors().ReportError(L"Demo", L"", false,
                                 MakeError(L"Something went wrong", 5, L"Quellix"));
  }
  const auto run = desktop.registry().Value(
      RegRoot::LocalMachine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Quellix");
  std::wstring runText = run ? run->text : L"(absent)";
  if (!runText.empty() && runText.back() == L'\0') runText.pop_back();
  Say(L"Run value at exit: " + runText);
  const std::string log = desktop.files().ReadAll(desktop.files().ProgramFile(L"ErrorLog.txt"));
  std::cout << "ErrorLog.txt:\n" << log;
  return 0;
}
