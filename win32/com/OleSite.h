#pragma once
// A minimal OLE container site for one control on a window of the shell's
// own that never shows it: the client site and the in-place site, over one
// window. A host adds what its control asks for besides (Extras: a frame,
// a control site, ambient properties) and says which frame and spot the
// control gets (Frame, Area).

#include "win32/com/ComObject.h"

namespace qx::win {

template <class... Extras>
class OleSite : public ComObject<IOleClientSite, IOleInPlaceSite, Extras...> {
 public:
  explicit OleSite(HWND window) : window_(window) {}

  bool InPlaceActive() const { return inPlace_; }

  // IOleClientSite: no moniker, no container; the control is never saved.
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    inPlace_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT position, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !doc || !position || !clip) return E_POINTER;
    *frame = Frame();
    *doc = nullptr;
    *position = *clip = Area();
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = window_;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    inPlace_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

 protected:
  HWND Window() const { return window_; }
  // The frame offered to the control, with a reference for it: none by
  // default (no frame to offer).
  virtual IOleInPlaceFrame* Frame() { return nullptr; }
  // The control's spot in the window: an empty one by default.
  virtual RECT Area() { return RECT{}; }

 private:
  HWND window_;
  bool inPlace_ = false;
};

}  // namespace qx::win
