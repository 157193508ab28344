#include "win32/ports/WinFileSystem.h"

#include <windows.h>
// windows.h first: shlobj.h needs its types.
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

class File {
 public:
  explicit File(HANDLE h) : h_(h) {}
  ~File() {
    if (Valid()) CloseHandle(h_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    const bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

std::wstring Str(std::wstring_view s) {
  return std::wstring(s);
}

void WriteBytes(HANDLE h, std::string_view bytes, const wchar_t* source) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0)
      throw Win32Error(source, GetLastError());
    bytes.remove_prefix(written);
  }
}

// A folder of the user's profile (SHGetFolderPath: present from Windows 2000
// on, and on XP without the later known-folder calls); "" when the system
// has none.
std::wstring ProfileFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  std::wstring folder(path);
  while (folder.size() > 3 && folder.back() == L'\\')
    folder.pop_back();
  return folder;
}

}  // namespace

std::wstring RunningProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L".";
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const auto slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? L"." : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

WinFileSystem::WinFileSystem(std::wstring programFolder)
    : programFolder_(std::move(programFolder)) {
  if (programFolder_.empty()) programFolder_ = RunningProgramFolder();
  while (programFolder_.size() > 3 && programFolder_.back() == L'\\')
    programFolder_.pop_back();
}

bool WinFileSystem::Exists(std::wstring_view path) {
  const DWORD attributes = GetFileAttributesW(Str(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::int64_t WinFileSystem::Size(std::wstring_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Str(path).c_str(), GetFileExInfoStandard, &data))
    throw Win32Error(L"Files.Size", GetLastError());
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    throw Win32Error(L"Files.Size", ERROR_FILE_NOT_FOUND);
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string WinFileSystem::ReadAll(std::wstring_view path) {
  File file(CreateFileW(Str(path).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw Win32Error(L"Files.ReadAll", GetLastError());
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
      throw Win32Error(L"Files.ReadAll", GetLastError());
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

void WinFileSystem::WriteAll(std::wstring_view path, std::string_view bytes) {
  const std::wstring target = Str(path);
  const std::wstring temporary = target + L".qx" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  {
    File file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw Win32Error(L"Files.WriteAll", GetLastError());
    try {
      WriteBytes(file.Get(), bytes, L"Files.WriteAll");
      if (!FlushFileBuffers(file.Get())) throw Win32Error(L"Files.WriteAll", GetLastError());
      if (!file.Close()) throw Win32Error(L"Files.WriteAll", GetLastError());
    } catch (...) {
      file.Close();
      DeleteFileW(temporary.c_str());
      throw;
    }
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    throw Win32Error(L"Files.WriteAll", error);
  }
}

void WinFileSystem::Append(std::wstring_view path, std::string_view bytes) {
  File file(CreateFileW(Str(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw Win32Error(L"Files.Append", GetLastError());
  WriteBytes(file.Get(), bytes, L"Files.Append");
}

void WinFileSystem::Rename(std::wstring_view from, std::wstring_view to) {
  if (!MoveFileExW(Str(from).c_str(), Str(to).c_str(), 0))
    throw Win32Error(L"Files.Rename", GetLastError());
}

void WinFileSystem::Remove(std::wstring_view path) {
  if (!DeleteFileW(Str(path).c_str())) throw Win32Error(L"Files.Remove", GetLastError());
}

std::wstring WinFileSystem::AppDataFolder() const {
  return ProfileFolder(CSIDL_APPDATA);
}

std::wstring WinFileSystem::LocalAppDataFolder() const {
  return ProfileFolder(CSIDL_LOCAL_APPDATA);
}

bool WinFileSystem::FolderExists(std::wstring_view path) {
  const DWORD attributes = GetFileAttributesW(Str(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WinFileSystem::CreateFolder(std::wstring_view path) {
  if (!CreateDirectoryW(Str(path).c_str(), nullptr))
    throw Win32Error(L"Files.CreateFolder", GetLastError());
}

bool WinFileSystem::CanCreateFilesIn(std::wstring_view folder) {
  const std::wstring probe =
      Str(folder) + L"\\~quellix" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const HANDLE file = CreateFileW(
      probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(file);
  return true;
}

}  // namespace qx::win
