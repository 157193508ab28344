// Stands in for the hook control and the hook library in the installer's
// tests: a self-registering library whose registration is a value named after
// its own file under HKCU\Software\Quellix-Test\Registered, so a test can see
// that the installer registered and unregistered it.

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kKey[] = L"Software\\Quellix-Test\\Registered";

std::wstring OwnPath() {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnPath), &self);
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring OwnName() {
  const std::wstring path = OwnPath();
  return path.substr(path.find_last_of(L'\\') + 1);
}

}  // namespace

extern "C" HRESULT __stdcall DllRegisterServer() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return E_FAIL;
  }
  const std::wstring path = OwnPath();
  const LSTATUS status =
      RegSetValueExW(key, OwnName().c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
  const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, OwnName().c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}
