#include "sim/SimFileSystem.h"

#include <fstream>
#include <system_error>

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx::sim {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(std::int32_t number, std::wstring_view what, std::wstring_view path) {
  throw PlatformError(number, std::wstring(what) + L": " + std::wstring(path), L"Files");
}

bool ValidName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (const wchar_t c : name) {
    if (c < 32 || std::wstring_view(L"<>:\"/|?*").find(c) != std::wstring_view::npos) return false;
  }
  return true;
}

constexpr std::wstring_view kProtectedFolder = L"C:\\Program Files";

}  // namespace

SimFileSystem::SimFileSystem(FailureInjector& failures, fs::path driveRoot)
    : failures_(failures), root_(std::move(driveRoot)) {
  fs::create_directories(root_ / "Program Files" / "Quellix");
  // Both profile layouts exist, so that a scenario may switch systems.
  fs::create_directories(root_ / "Users" / "User" / "AppData" / "Roaming");
  fs::create_directories(root_ / "Users" / "User" / "AppData" / "Local");
  fs::create_directories(root_ / "Documents and Settings" / "User" / "Application Data");
  fs::create_directories(root_ / "Documents and Settings" / "User" / "Local Settings" /
                         "Application Data");
}

std::wstring SimFileSystem::AppDataFolder() const {
  failures_.Check("Files.AppDataFolder");
  return vistaProfiles_ ? L"C:\\Users\\User\\AppData\\Roaming"
                        : L"C:\\Documents and Settings\\User\\Application Data";
}

std::wstring SimFileSystem::LocalAppDataFolder() const {
  failures_.Check("Files.LocalAppDataFolder");
  return vistaProfiles_ ? L"C:\\Users\\User\\AppData\\Local"
                        : L"C:\\Documents and Settings\\User\\Local Settings\\Application Data";
}

bool SimFileSystem::FolderExists(std::wstring_view path) {
  failures_.Check("Files.FolderExists");
  std::error_code ec;
  return fs::is_directory(HostPath(path), ec);
}

void SimFileSystem::CreateFolder(std::wstring_view path) {
  failures_.Check("Files.CreateFolder");
  CheckWritable(path);
  const fs::path target = HostPath(path);
  std::error_code ec;
  if (!fs::is_directory(target.parent_path(), ec)) Fail(kErrPathNotFound, L"Path not found", path);
  if (fs::exists(target, ec)) Fail(kErrPermissionDenied, L"Path/File access error", path);
  fs::create_directory(target, ec);
  if (ec) Fail(kErrPermissionDenied, L"Permission denied", path);
}

bool SimFileSystem::CanCreateFilesIn(std::wstring_view folder) {
  failures_.Check("Files.CanCreateFilesIn");
  try {
    CheckWritable(JoinPath(folder, L"x"));
  } catch (const PlatformError&) {
    return false;
  }
  return true;
}

void SimFileSystem::CheckWritable(std::wstring_view path) const {
  if (!standardUser_) return;
  const std::wstring lowered = LowerCase(path);
  const std::wstring root = LowerCase(kProtectedFolder);
  if (lowered.size() > root.size() && lowered.compare(0, root.size(), root) == 0 &&
      lowered[root.size()] == L'\\') {
    Fail(kErrPermissionDenied, L"Permission denied", path);
  }
}

fs::path SimFileSystem::HostPath(std::wstring_view path) const {
  if (path.size() < 2 || LowerChar(path[0]) != L'c' || path[1] != L':') {
    Fail(kErrPathNotFound, L"Path not found", path);
  }
  fs::path host = root_;
  std::wstring_view rest = path.substr(2);
  while (!rest.empty()) {
    const auto slash = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, slash);
    rest = slash == std::wstring_view::npos ? std::wstring_view() : rest.substr(slash + 1);
    if (part.empty()) continue;
    if (!ValidName(part)) Fail(kErrBadFileName, L"Bad file name", path);
    fs::path next = host / ToUtf8(part);
    std::error_code ec;
    if (!fs::exists(next, ec) && fs::is_directory(host, ec)) {
      for (const auto& entry : fs::directory_iterator(host, ec)) {
        if (EqualsNoCase(FromUtf8(entry.path().filename().string()), part)) {
          next = entry.path();
          break;
        }
      }
    }
    host = next;
  }
  return host;
}

bool SimFileSystem::Exists(std::wstring_view path) {
  failures_.Check("Files.Exists");
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

std::int64_t SimFileSystem::Size(std::wstring_view path) {
  failures_.Check("Files.Size");
  std::error_code ec;
  const auto size = fs::file_size(HostPath(path), ec);
  if (ec) Fail(kErrFileNotFound, L"File not found", path);
  return static_cast<std::int64_t>(size);
}

std::string SimFileSystem::ReadAll(std::wstring_view path) {
  failures_.Check("Files.ReadAll");
  std::ifstream in(HostPath(path), std::ios::binary | std::ios::ate);
  if (!in) Fail(kErrFileNotFound, L"File not found", path);
  const std::streamoff size = in.tellg();
  std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad() || in.gcount() != static_cast<std::streamsize>(bytes.size())) {
    Fail(kErrDeviceIo, L"Device I/O error", path);
  }
  return bytes;
}

void SimFileSystem::Reserve(std::size_t bytes) {
  if (spaceLeft_ < 0) return;
  if (static_cast<std::int64_t>(bytes) > spaceLeft_) {
    Fail(kErrDeviceIo, L"Disk full", L"C:");
  }
  spaceLeft_ -= static_cast<std::int64_t>(bytes);
}

void SimFileSystem::WriteAll(std::wstring_view path, std::string_view bytes) {
  failures_.Check("Files.WriteAll");
  CheckWritable(path);
  Write(path, bytes);
}

void SimFileSystem::Put(std::wstring_view path, std::string_view bytes) {
  const fs::path target = HostPath(path);
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void SimFileSystem::Write(std::wstring_view path, std::string_view bytes) {
  const fs::path target = HostPath(path);
  std::error_code ec;
  if (!fs::is_directory(target.parent_path(), ec)) Fail(kErrPathNotFound, L"Path not found", path);
  if (fs::is_directory(target, ec)) Fail(kErrPermissionDenied, L"Permission denied", path);
  // Written beside the target and put in place at once, as the Windows
  // shell does with a replace-file call: the old file stays whole until then.
  fs::path temp = target;
  temp += ".qxnew";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) Fail(kErrPermissionDenied, L"Permission denied", path);
    try {
      Reserve(bytes.size());
    } catch (...) {
      out.close();
      fs::remove(temp, ec);
      throw;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      Fail(kErrDeviceIo, L"Device I/O error", path);
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    Fail(kErrPermissionDenied, L"Permission denied", path);
  }
}

void SimFileSystem::Append(std::wstring_view path, std::string_view bytes) {
  failures_.Check("Files.Append");
  CheckWritable(path);
  const fs::path target = HostPath(path);
  std::error_code ec;
  if (!fs::is_directory(target.parent_path(), ec)) Fail(kErrPathNotFound, L"Path not found", path);
  Reserve(bytes.size());
  std::ofstream out(target, std::ios::binary | std::ios::app);
  if (!out) Fail(kErrPermissionDenied, L"Permission denied", path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail(kErrDeviceIo, L"Device I/O error", path);
}

void SimFileSystem::Rename(std::wstring_view from, std::wstring_view to) {
  failures_.Check("Files.Rename");
  CheckWritable(from);
  CheckWritable(to);
  const fs::path source = HostPath(from);
  const fs::path target = HostPath(to);
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) Fail(kErrFileNotFound, L"File not found", from);
  // A rename that only changes the letter case of the name is the same file.
  if (fs::exists(target, ec) && !fs::equivalent(source, target, ec)) {
    Fail(kErrFileExists, L"File already exists", to);
  }
  fs::rename(source, target.parent_path() / ToUtf8(to.substr(to.rfind(L'\\') + 1)), ec);
  if (ec) Fail(kErrPermissionDenied, L"Permission denied", to);
}

void SimFileSystem::Remove(std::wstring_view path) {
  failures_.Check("Files.Remove");
  CheckWritable(path);
  std::error_code ec;
  const fs::path target = HostPath(path);
  if (!fs::is_regular_file(target, ec)) Fail(kErrFileNotFound, L"File not found", path);
  fs::remove(target, ec);
  if (ec) Fail(kErrPermissionDenied, L"Permission denied", path);
}

}  // namespace qx::sim
