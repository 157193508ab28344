#pragma once
// The site of the hook control on the hidden main form: the shell's OLE
// site, the control site, and the ambient properties a control asks its
// container for (user mode, not UI-dead).

#include "win32/com/NoTypeInfo.h"
#include "win32/com/OleSite.h"

namespace qx::win {

class ControlSite final : public NoTypeInfo<OleSite<IOleControlSite, IDispatch>> {
 public:
  // host: the window the control lives in.
  explicit ControlSite(HWND host) : NoTypeInfo(host) {}

  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

  // IDispatch: the ambient properties.
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;

 private:
  ~ControlSite() override = default;
};

}  // namespace qx::win
