#pragma once
// A program folder of the test's own under the temporary folder, and no
// stored settings: both are made fresh and cleared again at the end.

#include <windows.h>

#include <string>

#include "win32/installer/tests/SetupTools.h"

namespace qx::win::test {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix");
    setup::test::RemoveFolder(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace qx::win::test
