#include "platform/FileSystem.h"

#include "platform/PlatformError.h"

namespace qx {

// A file system that knows no folders but the program's: nothing else
// exists, nothing can be made, and the program's folder is writable.
bool FileSystem::FolderExists(std::wstring_view) {
  return false;
}

void FileSystem::CreateFolder(std::wstring_view path) {
  throw PlatformError(kErrPathNotFound, L"Path not found: " + std::wstring(path), L"Files");
}

bool FileSystem::CanCreateFilesIn(std::wstring_view) {
  return true;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += name;
  return path;
}

}  // namespace qx
