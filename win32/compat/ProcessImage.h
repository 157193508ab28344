#pragma once
// The program file of another process. QueryFullProcessImageNameW (Vista
// on) needs only limited query rights, which a process of another
// integrity level grants; before Vista, GetModuleFileNameExW (psapi.dll)
// with query and read rights.
//   https://learn.microsoft.com/windows/win32/api/winbase/nf-winbase-queryfullprocessimagenamew
//   https://learn.microsoft.com/windows/win32/api/psapi/nf-psapi-getmodulefilenameexw

#include <windows.h>

#include <string>

namespace qx::win::compat {

struct ImagePathApi {
  BOOL(WINAPI* queryFull)(HANDLE, DWORD, LPWSTR, PDWORD) = nullptr;  // or null
};

// QueryFullProcessImageNameW where this Windows has it.
ImagePathApi SystemImagePathApi();

// The access rights ImagePath needs on a process handle with `api`.
DWORD ImagePathAccess(const ImagePathApi& api);

// The full path of the process's program file; empty when it cannot be read.
std::wstring ImagePath(const ImagePathApi& api, HANDLE process);

// The same for a process id, opened with ImagePathAccess; empty when it
// cannot be opened.
std::wstring ProcessImagePath(DWORD processId);

}  // namespace qx::win::compat
