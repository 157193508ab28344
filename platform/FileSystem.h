#pragma once
// Files as the program sees them: full Windows paths ("C:\Program
// Files\Quellix\websites.dat"); names compare without regard to case. Every
// call throws PlatformError on failure.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The program's folder, without a trailing backslash.
  virtual std::wstring ProgramFolder() const = 0;
  virtual bool Exists(std::wstring_view path) = 0;
  // Throws when the file is missing.
  virtual std::int64_t Size(std::wstring_view path) = 0;
  virtual std::string ReadAll(std::wstring_view path) = 0;
  // Replaces the whole file at once: a failure leaves the old file as it was.
  virtual void WriteAll(std::wstring_view path, std::string_view bytes) = 0;
  // Appends, creating the file when missing.
  virtual void Append(std::wstring_view path, std::string_view bytes) = 0;
  // Fails when the source is missing or the target exists.
  virtual void Rename(std::wstring_view from, std::wstring_view to) = 0;
  virtual void Remove(std::wstring_view path) = 0;

  // The user's own folders (the roaming application-data folder and the
  // local one), without a trailing backslash; "" where the system has none.
  virtual std::wstring AppDataFolder() const { return {}; }
  virtual std::wstring LocalAppDataFolder() const { return {}; }
  virtual bool FolderExists(std::wstring_view path);
  // Creates one folder; its parent must exist.
  virtual void CreateFolder(std::wstring_view path);
  // Whether this user may create files in the folder: the program's own
  // folder is read-only for a standard user on every system since Vista.
  virtual bool CanCreateFilesIn(std::wstring_view folder);

  // Where the program keeps its rules, logs and context-menu files: the
  // program's folder until the start routine has chosen (monitor/DataFolder.h).
  std::wstring DataFolder() const { return dataFolder_.empty() ? ProgramFolder() : dataFolder_; }
  void SetDataFolder(std::wstring folder) { dataFolder_ = std::move(folder); }

 private:
  std::wstring dataFolder_;
};

// "folder\name".
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace qx
