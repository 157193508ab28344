#include "win32/ports/WinSettingsStore.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

// An application or section name must be one key name: not empty, no
// backslash (which would reach into other keys).
void CheckName(std::wstring_view name, const wchar_t* source) {
  if (name.empty() || name.find(L'\\') != std::wstring_view::npos)
    throw PlatformError(kErrInvalidCall, L"Invalid procedure call or argument", source);
}

class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::wstring WinSettingsStore::KeyPath(std::wstring_view app, std::wstring_view section) const {
  std::wstring path = root_;
  path += L'\\';
  path += app;
  path += L'\\';
  path += section;
  return path;
}

std::optional<std::wstring> WinSettingsStore::Get(std::wstring_view app, std::wstring_view section,
                                                  std::wstring_view name) {
  CheckName(app, L"Store.Get");
  CheckName(section, L"Store.Get");
  Key key;
  LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                             key.Out());
  if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Get", rc, kErrPermissionDenied);
  const std::wstring valueName(name);
  DWORD type = 0;
  DWORD bytes = 0;
  // The value may change between the size query and the read; try again.
  for (int attempt = 0; attempt < 4; ++attempt) {
    rc = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &bytes);
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Get", rc, kErrPermissionDenied);
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    DWORD got = bytes;
    rc = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Get", rc, kErrPermissionDenied);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      // Written by hand, the text may lack its NUL or carry an odd byte.
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), got / sizeof(wchar_t));
      const auto nul = text.find(L'\0');
      if (nul != std::wstring::npos) text.resize(nul);
      return text;
    }
    if (type == REG_DWORD && got == sizeof(DWORD)) {
      DWORD number = 0;
      std::memcpy(&number, data.data(), sizeof number);
      return std::to_wstring(static_cast<std::int32_t>(number));
    }
    return std::nullopt;
  }
  throw Win32Error(L"Store.Get", ERROR_MORE_DATA, kErrPermissionDenied);
}

void WinSettingsStore::Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
                           std::wstring_view value) {
  CheckName(app, L"Store.Put");
  CheckName(section, L"Store.Put");
  Key key;
  LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0,
                               KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Put", rc, kErrPermissionDenied);
  const std::wstring text(value);
  const std::wstring valueName(name);
  rc = RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ,
                      reinterpret_cast<const BYTE*>(text.c_str()),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Put", rc, kErrPermissionDenied);
}

void WinSettingsStore::Delete(std::wstring_view app, std::wstring_view section,
                              std::wstring_view name) {
  CheckName(app, L"Store.Delete");
  CheckName(section, L"Store.Delete");
  Key key;
  LSTATUS rc =
      RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_SET_VALUE, key.Out());
  if (rc == ERROR_FILE_NOT_FOUND) return;
  if (rc != ERROR_SUCCESS) throw Win32Error(L"Store.Delete", rc, kErrPermissionDenied);
  rc = RegDeleteValueW(key.Get(), std::wstring(name).c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
    throw Win32Error(L"Store.Delete", rc, kErrPermissionDenied);
}

}  // namespace qx::win
