#include "win32/compat/RegistryTree.h"

#include <shlwapi.h>

#include "win32/compat/SystemProc.h"

namespace qx::win::compat {

namespace {

LSTATUS WINAPI ShellDeleteKey(HKEY root, LPCWSTR subKey) {
  return static_cast<LSTATUS>(SHDeleteKeyW(root, subKey));
}

}  // namespace

DeleteTreeFn ShellDeleteTree() {
  return &ShellDeleteKey;
}

DeleteTreeFn SystemDeleteTree() {
  const auto regDeleteTree = LoadedProc<DeleteTreeFn>(L"advapi32.dll", "RegDeleteTreeW");
  return regDeleteTree != nullptr ? regDeleteTree : ShellDeleteTree();
}

LSTATUS DeleteKeyTree(HKEY root, const wchar_t* subKey) {
  return SystemDeleteTree()(root, subKey);
}

}  // namespace qx::win::compat
