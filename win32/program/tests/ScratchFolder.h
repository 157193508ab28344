#pragma once
// A program folder of the test's own under the temporary folder, and no
// stored settings: both are made fresh and cleared again at the end.

#include <windows.h>

#include <string>

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
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((path_ + L"\\" + data.cFileName).c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace qx::win::test
