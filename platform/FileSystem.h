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
};

// "folder\name".
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace qx
