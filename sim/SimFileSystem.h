#pragma once
// Files of the simulated desktop: drive C: is a real directory on the host,
// and every path component resolves without regard to case, as on Windows.

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

inline constexpr std::wstring_view kSimProgramFolder = L"C:\\Program Files\\Quellix";

class SimFileSystem final : public FileSystem {
 public:
  // driveRoot: the host directory that stands for "C:\"; the program's
  // folder is created in it.
  SimFileSystem(FailureInjector& failures, std::filesystem::path driveRoot);

  std::wstring ProgramFolder() const override { return std::wstring(kSimProgramFolder); }
  bool Exists(std::wstring_view path) override;
  std::int64_t Size(std::wstring_view path) override;
  std::string ReadAll(std::wstring_view path) override;
  void WriteAll(std::wstring_view path, std::string_view bytes) override;
  void Append(std::wstring_view path, std::string_view bytes) override;
  void Rename(std::wstring_view from, std::wstring_view to) override;
  void Remove(std::wstring_view path) override;

  // The host path a Windows path stands for (existing components matched
  // without regard to case); throws PlatformError for a path off drive C:
  // or with a name Windows refuses.
  std::filesystem::path HostPath(std::wstring_view path) const;
  std::wstring ProgramFile(std::wstring_view name) const { return JoinPath(ProgramFolder(), name); }
  // A full disk: every write fails after `bytes` more bytes.
  void SetSpaceLeft(std::int64_t bytes) { spaceLeft_ = bytes; }

 private:
  void Reserve(std::size_t bytes);

  FailureInjector& failures_;
  std::filesystem::path root_;
  std::int64_t spaceLeft_ = -1;  // -1: unlimited
};

}  // namespace qx::sim
