#pragma once
// The browser helper object: the browser creates one per window and hands it
// its site; the first site starts the program unless it runs already.

#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>

namespace qx::win {

class Launcher;

class HelperObject final : public IObjectWithSite {
 public:
  // `objects` counts the live objects of the module (for DllCanUnloadNow).
  HelperObject(Launcher& launcher, const wchar_t* program, std::atomic<long>& objects);
  HelperObject(const HelperObject&) = delete;
  HelperObject& operator=(const HelperObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IObjectWithSite
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** site) override;

 private:
  ~HelperObject();

  std::atomic<long> references_{1};
  Launcher& launcher_;
  const wchar_t* program_;
  std::atomic<long>& objects_;
  Microsoft::WRL::ComPtr<IUnknown> site_;
};

}  // namespace qx::win
