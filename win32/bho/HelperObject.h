#pragma once
// The browser helper object: the browser creates one per window and hands it
// its site; the first site starts the program unless it runs already.

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>

#include "win32/com/ComObject.h"

namespace qx::win {

class Launcher;

class HelperObject final : public ComObject<IObjectWithSite> {
 public:
  // `objects` counts the live objects of the module (for DllCanUnloadNow).
  HelperObject(Launcher& launcher, const wchar_t* program, std::atomic<long>& objects);

  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** site) override;

 private:
  ~HelperObject() override;

  Launcher& launcher_;
  const wchar_t* program_;
  std::atomic<long>& objects_;
  Microsoft::WRL::ComPtr<IUnknown> site_;
};

}  // namespace qx::win
