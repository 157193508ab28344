#pragma once
// Files by full Windows path. A whole-file write goes to a temporary file
// beside the target first and replaces it in one move.

#include "platform/FileSystem.h"

namespace qx::win {

class WinFileSystem final : public FileSystem {
 public:
  // programFolder: "" for the folder of the running program file.
  explicit WinFileSystem(std::wstring programFolder = L"");
  std::wstring ProgramFolder() const override { return programFolder_; }
  // True for a file; a folder is not a file.
  bool Exists(std::wstring_view path) override;
  std::int64_t Size(std::wstring_view path) override;
  std::string ReadAll(std::wstring_view path) override;
  void WriteAll(std::wstring_view path, std::string_view bytes) override;
  void Append(std::wstring_view path, std::string_view bytes) override;
  void Rename(std::wstring_view from, std::wstring_view to) override;
  void Remove(std::wstring_view path) override;
  std::wstring AppDataFolder() const override;
  std::wstring LocalAppDataFolder() const override;
  bool FolderExists(std::wstring_view path) override;
  void CreateFolder(std::wstring_view path) override;
  // By making a file there that goes when it is closed: whether this user
  // may write there is the system's answer, not the folder's attributes.
  bool CanCreateFilesIn(std::wstring_view folder) override;

 private:
  std::wstring programFolder_;
};

// The folder of the running program file, without a trailing backslash.
std::wstring RunningProgramFolder();

}  // namespace qx::win
