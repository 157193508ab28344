#include "win32/ports/WinRegistry.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace qx::win {
namespace {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

HKEY Handle(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

RegOpen WinRegistry::OpenKey(RegRoot root, std::wstring_view path) {
  const std::wstring p(path);
  HKEY key = nullptr;
  LSTATUS rc = RegOpenKeyExW(RootKey(root), p.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (rc == ERROR_ACCESS_DENIED) rc = RegOpenKeyExW(RootKey(root), p.c_str(), 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return {static_cast<std::int32_t>(rc), 0};
  return {kRegSuccess, reinterpret_cast<RegKey>(key)};
}

RegOpen WinRegistry::CreateKey(RegRoot root, std::wstring_view path) {
  HKEY key = nullptr;
  const LSTATUS rc = RegCreateKeyExW(RootKey(root), std::wstring(path).c_str(), 0, nullptr, 0,
                                     KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return {static_cast<std::int32_t>(rc), 0};
  return {kRegSuccess, reinterpret_cast<RegKey>(key)};
}

std::int32_t WinRegistry::SetValue(RegKey key, std::wstring_view name, const RegValue& value) {
  if (key == 0) return kRegInvalidHandle;
  const std::wstring valueName(name);
  if (value.type == RegType::Dword) {
    const DWORD number = value.dword;
    return RegSetValueExW(Handle(key), valueName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&number), sizeof number);
  }
  // The text as given: whoever writes decides whether the NUL is part of it.
  return RegSetValueExW(Handle(key), valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.text.data()),
                        static_cast<DWORD>(value.text.size() * sizeof(wchar_t)));
}

std::int32_t WinRegistry::QueryValue(RegKey key, std::wstring_view name, RegValue& out) {
  if (key == 0) return kRegInvalidHandle;
  const std::wstring valueName(name);
  DWORD type = 0;
  DWORD bytes = 0;
  LSTATUS rc = RegQueryValueExW(Handle(key), valueName.c_str(), nullptr, &type, nullptr, &bytes);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<BYTE> data(bytes + 1);
  rc = RegQueryValueExW(Handle(key), valueName.c_str(), nullptr, &type, data.data(), &bytes);
  if (rc != ERROR_SUCCESS) return rc;
  if (type == REG_DWORD && bytes == sizeof(DWORD)) {
    out.type = RegType::Dword;
    std::memcpy(&out.dword, data.data(), sizeof(DWORD));
    out.text.clear();
    return kRegSuccess;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    out.type = RegType::String;
    out.dword = 0;
    out.text.assign(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
    return kRegSuccess;
  }
  return ERROR_UNSUPPORTED_TYPE;
}

std::int32_t WinRegistry::DeleteValue(RegKey key, std::wstring_view name) {
  if (key == 0) return kRegInvalidHandle;
  return RegDeleteValueW(Handle(key), std::wstring(name).c_str());
}

std::int32_t WinRegistry::DeleteKey(RegRoot root, std::wstring_view path) {
  // An empty path would name the root itself.
  if (path.find_first_not_of(L'\\') == std::wstring_view::npos) return kRegAccessDenied;
  return RegDeleteKeyW(RootKey(root), std::wstring(path).c_str());
}

std::int32_t WinRegistry::CloseKey(RegKey key) {
  if (key == 0) return kRegInvalidHandle;
  return RegCloseKey(Handle(key));
}

}  // namespace qx::win
