#pragma once
// Deleting a registry key with everything below it: RegDeleteTreeW (Vista
// on), else SHDeleteKeyW (shlwapi.dll, 2000 on).
//   https://learn.microsoft.com/windows/win32/api/winreg/nf-winreg-regdeletetreew
//   https://learn.microsoft.com/windows/win32/api/shlwapi/nf-shlwapi-shdeletekeyw

#include <windows.h>

namespace qx::win::compat {

using DeleteTreeFn = LSTATUS(WINAPI*)(HKEY, LPCWSTR);

// RegDeleteTreeW where this Windows has it, else ShellDeleteTree.
DeleteTreeFn SystemDeleteTree();

// SHDeleteKeyW, in RegDeleteTreeW's form.
DeleteTreeFn ShellDeleteTree();

// Deletes `subKey` of `root` and what it holds; ERROR_FILE_NOT_FOUND when
// there is no such key.
LSTATUS DeleteKeyTree(HKEY root, const wchar_t* subKey);

}  // namespace qx::win::compat
