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
