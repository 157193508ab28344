#pragma once
// Files held in memory, named without regard to case: the rule loaders run
// over it thousands of times a second, which a host directory could not
// bear.

#include <map>
#include <string>

#include "base/Text.h"
#include "platform/FileSystem.h"
#include "platform/PlatformError.h"

namespace qx::fuzz {

class MemoryFiles final : public FileSystem {
 public:
  std::wstring ProgramFolder() const override { return L"C:\\Program Files\\Quellix"; }
  bool Exists(std::wstring_view path) override { return files_.contains(LowerCase(path)); }
  std::int64_t Size(std::wstring_view path) override {
    return static_cast<std::int64_t>(Find(path).size());
  }
  std::string ReadAll(std::wstring_view path) override { return Find(path); }
  void WriteAll(std::wstring_view path, std::string_view bytes) override {
    files_[LowerCase(path)] = std::string(bytes);
  }
  void Append(std::wstring_view path, std::string_view bytes) override {
    files_[LowerCase(path)] += bytes;
  }
  void Rename(std::wstring_view from, std::wstring_view to) override {
    std::string bytes = Find(from);
    if (Exists(to)) throw PlatformError(kErrFileExists, L"File already exists", L"Files");
    files_.erase(LowerCase(from));
    files_[LowerCase(to)] = std::move(bytes);
  }
  void Remove(std::wstring_view path) override {
    Find(path);
    files_.erase(LowerCase(path));
  }

  // A file of the program's folder.
  std::wstring Path(std::wstring_view name) const { return JoinPath(ProgramFolder(), name); }

 private:
  std::string& Find(std::wstring_view path) {
    const auto it = files_.find(LowerCase(path));
    if (it == files_.end()) throw PlatformError(kErrFileNotFound, L"File not found", L"Files");
    return it->second;
  }

  std::map<std::wstring, std::string> files_;
};

}  // namespace qx::fuzz
