#include "platform/ShellActions.h"

#include "platform/PlatformError.h"

namespace qx {

bool FileHasData(FileSystem& files, std::wstring_view path) {
  bool has = false;
  Step([&] { has = files.Exists(path) && files.Size(path) >= 1; });
  return has;
}

void OpenDocument(Shell& shell, std::wstring_view target) {
  Step([&] { shell.Open(target); });
}

void ShowHelpTopic(Shell& shell, const FileSystem& files, std::wstring_view topic) {
  std::wstring location = files.ProgramFolder();
  location += L"\\quellix.chm::/";
  location += topic;
  Step([&] { shell.ShowHelp(location); });
}

}  // namespace qx
