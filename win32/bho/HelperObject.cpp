#include "win32/bho/HelperObject.h"

#include <string>

#include "win32/bho/HelperLaunch.h"
#include "win32/ports/WinSettingsStore.h"

namespace qx::win {

HelperObject::HelperObject(Launcher& launcher, const wchar_t* program, std::atomic<long>& objects)
    : launcher_(launcher), program_(program), objects_(objects) {
  ++objects_;
}

HelperObject::~HelperObject() {
  --objects_;
}

HRESULT HelperObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IObjectWithSite)) {
    *object = static_cast<IObjectWithSite*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG HelperObject::AddRef() {
  return static_cast<ULONG>(++references_);
}

ULONG HelperObject::Release() {
  const long left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT HelperObject::SetSite(IUnknown* site) {
  site_ = site;
  if (site == nullptr) return S_OK;  // the window is closing
  wchar_t host[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, host, MAX_PATH);
  if (length != 0 && IsShellHost(std::wstring_view(host, length))) return S_OK;
  // Registered for everyone: only the users who chose "whenever Internet
  // Explorer runs" get the program. Whatever happens here, the browser goes
  // on: a helper never fails its window.
  win::WinSettingsStore store;
  if (StartsWithBrowser(store)) launcher_.StartUnlessRunning(program_);
  return S_OK;
}

HRESULT HelperObject::GetSite(REFIID riid, void** site) {
  if (site == nullptr) return E_POINTER;
  *site = nullptr;
  if (!site_) return E_FAIL;
  return site_->QueryInterface(riid, site);
}

}  // namespace qx::win
