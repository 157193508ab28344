// The in-process server's four standard entry points: the class object,
// whether it may be unloaded, and (self-)registration of the control class,
// its ProgID and its type library.

#include <olectl.h>
#include <windows.h>

#include <string>

#include "Omnihook.h"
#include "OmnihookObject.h"
#include "ServerLock.h"
#include "win32/com/ComObject.h"
#include "win32/compat/RegistryTree.h"

namespace qx::win {

std::atomic<long>& ServerLocks() {
  static std::atomic<long> locks{0};
  return locks;
}

namespace {

constexpr wchar_t kProgId[] = L"Omnihook.OmnihookControl";
constexpr wchar_t kClassName[] = L"OmnihookControl";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ServerLocks), &module);
  return module;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40];
  return StringFromGUID2(guid, text, 40) > 0 ? text : L"";
}

class ClassFactory final : public ComObjectWith<ServerLockLifetime, IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return OmnihookObject::Create(ThisModule(), riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++ServerLocks();
    } else {
      --ServerLocks();
    }
    return S_OK;
  }
};

// A key under HKEY_CLASSES_ROOT with its default value and named values.
bool WriteKey(const std::wstring& key, const wchar_t* value, const wchar_t* name = nullptr,
              const wchar_t* named = nullptr) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool ok = true;
  const auto set = [&](const wchar_t* valueName, const wchar_t* text) {
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    ok = ok && RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              bytes) == ERROR_SUCCESS;
  };
  if (value != nullptr) set(nullptr, value);
  if (name != nullptr) set(name, named);
  RegCloseKey(handle);
  return ok;
}

bool DeleteTree(const std::wstring& key) {
  const LSTATUS status = qx::win::compat::DeleteKeyTree(HKEY_CLASSES_ROOT, key.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) return false;
  // Some systems leave the emptied key itself.
  const LSTATUS left = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  return left == ERROR_SUCCESS || left == ERROR_FILE_NOT_FOUND;
}

}  // namespace
}  // namespace qx::win

using namespace qx::win;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_OmnihookControl) return CLASS_E_CLASSNOTAVAILABLE;
  static ClassFactory factory;
  return factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
  return ServerLocks() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_OmnihookControl);
  wchar_t misc[16];
  wsprintfW(misc, L"%lu",
            static_cast<unsigned long>(OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                                       OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                       OLEMISC_RECOMPOSEONRESIZE));
  const bool classOk =
      WriteKey(clsid, kClassName) &&
      WriteKey(clsid + L"\\InprocServer32", path.c_str(), L"ThreadingModel", L"Apartment") &&
      WriteKey(clsid + L"\\ProgID", kProgId) && WriteKey(clsid + L"\\Control", L"") &&
      WriteKey(clsid + L"\\TypeLib", GuidText(LIBID_Omnihook).c_str()) &&
      WriteKey(clsid + L"\\Version", L"1.0") && WriteKey(clsid + L"\\MiscStatus", L"0") &&
      WriteKey(clsid + L"\\MiscStatus\\1", misc) && WriteKey(std::wstring(kProgId), kClassName) &&
      WriteKey(std::wstring(kProgId) + L"\\CLSID", GuidText(CLSID_OmnihookControl).c_str());
  if (!classOk) return SELFREG_E_CLASS;
  ITypeLib* library = nullptr;
  HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (SUCCEEDED(result)) {
    result = RegisterTypeLib(library, const_cast<LPOLESTR>(path.c_str()), nullptr);
    library->Release();
  }
  return SUCCEEDED(result) ? S_OK : SELFREG_E_TYPELIB;
}

STDAPI DllUnregisterServer() {
  HRESULT result = S_OK;
  ITypeLib* library = nullptr;
  if (SUCCEEDED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) {
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
      // Not registered (any more) is what we want.
      BSTR registered = nullptr;
      if (SUCCEEDED(QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum,
                                          attributes->wMinorVerNum, attributes->lcid,
                                          &registered))) {
        SysFreeString(registered);
        if (FAILED(UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum,
                                     attributes->wMinorVerNum, attributes->lcid,
                                     attributes->syskind))) {
          result = SELFREG_E_TYPELIB;
        }
      }
      library->ReleaseTLibAttr(attributes);
    }
    library->Release();
  }
  const bool classOk =
      DeleteTree(L"CLSID\\" + GuidText(CLSID_OmnihookControl)) && DeleteTree(std::wstring(kProgId));
  return classOk ? result : SELFREG_E_CLASS;
}
