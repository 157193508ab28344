#pragma once
// The files the rules tool lets the program's rule code see: one
// "websites.dat", wherever the user keeps it, under the name the loader
// asks for. Every other file (an old "servers.lst" beside it) is absent, so
// that loading and saving touch nothing but that one file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace qx::tool {

class RuleFileAccess final : public FileSystem {
 public:
  explicit RuleFileAccess(std::filesystem::path file) : file_(std::move(file)) {}

  // A folder that stands for the file's own.
  std::wstring ProgramFolder() const override { return L"Q:\\Rules"; }
  bool Exists(std::wstring_view path) override;
  std::int64_t Size(std::wstring_view path) override;
  std::string ReadAll(std::wstring_view path) override;
  // Writes a temporary file beside it, then moves that over the file.
  void WriteAll(std::wstring_view path, std::string_view bytes) override;
  void Append(std::wstring_view path, std::string_view bytes) override;
  void Rename(std::wstring_view from, std::wstring_view to) override;
  void Remove(std::wstring_view path) override;

  // The file is there but could not be read.
  bool ReadFailed() const { return readFailed_; }
  bool Written() const { return written_; }

 private:
  bool IsRuleFile(std::wstring_view path) const;
  [[noreturn]] static void Absent();

  std::filesystem::path file_;
  bool readFailed_ = false;
  bool written_ = false;
};

// Reads a whole file; none when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

}  // namespace qx::tool
