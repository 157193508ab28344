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
  std::wstring AppDataFolder() const override;
  std::wstring LocalAppDataFolder() const override;
  bool FolderExists(std::wstring_view path) override;
  void CreateFolder(std::wstring_view path) override;
  bool CanCreateFilesIn(std::wstring_view folder) override;

  // The user's folders as Windows lays them out: "C:\Users\User\AppData"
  // from Vista on, "C:\Documents and Settings\User" before.
  void SetVistaProfiles(bool vista) { vistaProfiles_ = vista; }
  // A standard user may not change anything under "C:\Program Files", as
  // on every system since Vista (where an administrator runs unelevated
  // too); the default user may.
  void SetStandardUser(bool standard) { standardUser_ = standard; }
  // The world's own writes (a scenario's files, an earlier install's): no
  // failure is injected and nothing is protected.
  void Put(std::wstring_view path, std::string_view bytes);

  // The host path a Windows path stands for (existing components matched
  // without regard to case); throws PlatformError for a path off drive C:
  // or with a name Windows refuses.
  std::filesystem::path HostPath(std::wstring_view path) const;
  std::wstring ProgramFile(std::wstring_view name) const { return JoinPath(ProgramFolder(), name); }
  // A full disk: every write fails after `bytes` more bytes.
  void SetSpaceLeft(std::int64_t bytes) { spaceLeft_ = bytes; }

 private:
  void Reserve(std::size_t bytes);
  void Write(std::wstring_view path, std::string_view bytes);
  // Throws "Permission denied" for a change this user may not make.
  void CheckWritable(std::wstring_view path) const;

  FailureInjector& failures_;
  std::filesystem::path root_;
  std::int64_t spaceLeft_ = -1;  // -1: unlimited
  bool vistaProfiles_ = false;
  bool standardUser_ = false;
};

}  // namespace qx::sim
