#include "win32/compat/ProcessImage.h"

#include <psapi.h>

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {

ImagePathApi SystemImagePathApi() {
  ImagePathApi api;
  api.queryFull =
      LoadedProc<decltype(api.queryFull)>(L"kernel32.dll", "QueryFullProcessImageNameW");
  return api;
}

DWORD ImagePathAccess(const ImagePathApi& api) {
  constexpr DWORD kLimitedQuery = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION, Vista on
  return api.queryFull != nullptr ? kLimitedQuery : PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
}

std::wstring ImagePath(const ImagePathApi& api, HANDLE process) {
  // Long paths (\\?\ forms) reach beyond MAX_PATH.
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (api.queryFull != nullptr)
    return api.queryFull(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
  size = GetModuleFileNameExW(process, nullptr, path, MAX_PATH * 2);
  return std::wstring(path, size);
}

std::wstring ProcessImagePath(DWORD processId) {
  const ImagePathApi api = SystemImagePathApi();
  const HANDLE process = OpenProcess(ImagePathAccess(api), FALSE, processId);
  if (process == nullptr) return {};
  std::wstring path = ImagePath(api, process);
  CloseHandle(process);
  return path;
}

}  // namespace qx::win::compat
