#include "win32/compat/SystemProc.h"

#include <string>

namespace qx::win::compat {

AnyProc LoadedProcAddress(const wchar_t* dll, const char* name) {
  const HMODULE module = GetModuleHandleW(dll);
  return module != nullptr ? reinterpret_cast<AnyProc>(GetProcAddress(module, name)) : nullptr;
}

AnyProc SystemProcAddress(const wchar_t* dll, const char* name) {
  if (const AnyProc loaded = LoadedProcAddress(dll, name)) return loaded;
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
  // Kept for the life of the process: the answer may be called any time.
  const HMODULE module = LoadLibraryW(path.c_str());
  return module != nullptr ? reinterpret_cast<AnyProc>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace qx::win::compat
