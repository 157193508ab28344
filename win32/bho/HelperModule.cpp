// The in-process server of the browser helper: its class factory, the COM
// exports and self-registration. Registration covers the COM class only; the
// installer writes the browser's "Browser Helper Objects" entry once for
// everyone, and each user's start mode decides whether the helper starts the
// program.

#include <windows.h>

#include <objbase.h>
#include <olectl.h>
#include <shlwapi.h>

#include <atomic>
#include <new>
#include <string>

#include "settings/Settings.h"
#include "win32/bho/HelperLaunch.h"
#include "win32/bho/HelperObject.h"
#include "win32/com/ComObject.h"

namespace qx::win {
namespace {

constexpr wchar_t kClassName[] = L"Quellix Browser Helper";

// What COM's exports need to share across calls: the module's own file, the
// program beside it, the launcher and the object count. A DLL has no other
// owner to hang them on.
struct Module {
  HMODULE handle = nullptr;
  std::wstring path;
  std::wstring program;
  Launcher launcher;
  std::atomic<long> objects{0};
  std::atomic<long> locks{0};
};

Module& TheModule() {
  static Module module;
  return module;
}

CLSID HelperClsid() {
  CLSID clsid{};
  const std::wstring text(kBrowserHelperClsid);
  CLSIDFromString(text.c_str(), &clsid);
  return clsid;
}

// The factory lives as long as the module; LockServer keeps the module.
class ClassFactory final : public ComObjectWith<StaticLifetime, IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Module& m = TheModule();
    auto* helper = new (std::nothrow) HelperObject(m.launcher, m.program.c_str(), m.objects);
    if (helper == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = helper->QueryInterface(riid, object);
    helper->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++TheModule().locks;
    } else {
      --TheModule().locks;
    }
    return S_OK;
  }
};

ClassFactory& TheFactory() {
  static ClassFactory factory;
  return factory;
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        bytes) == ERROR_SUCCESS;
}

std::wstring ClassKey() {
  return L"CLSID\\" + std::wstring(kBrowserHelperClsid);
}

}  // namespace
}  // namespace qx::win

using qx::win::TheModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    auto& m = TheModule();
    m.handle = instance;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return FALSE;
    m.path.assign(path, length);
    m.program = qx::win::ProgramBeside(m.path);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(rclsid, qx::win::HelperClsid())) return CLASS_E_CLASSNOTAVAILABLE;
  return qx::win::TheFactory().QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
  return TheModule().objects == 0 && TheModule().locks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  const std::wstring classKey = qx::win::ClassKey();
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  bool ok = qx::win::SetText(key, nullptr, qx::win::kClassName);
  RegCloseKey(key);
  const std::wstring serverKey = classKey + L"\\InprocServer32";
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return SELFREG_E_CLASS;
  }
  ok = qx::win::SetText(key, nullptr, TheModule().path) && ok;
  ok = qx::win::SetText(key, L"ThreadingModel", L"Apartment") && ok;
  RegCloseKey(key);
  return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  const LSTATUS status = SHDeleteKeyW(HKEY_CLASSES_ROOT, qx::win::ClassKey().c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
