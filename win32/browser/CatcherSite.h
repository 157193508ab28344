#pragma once
// The site of one browser control hosted out of sight: the shell's OLE site
// and the frame the control asks for. Just enough for the control to start
// and navigate; it never shows, so menus, borders and accelerators are
// declined.

#include <exdisp.h>
#include <oleidl.h>
#include <windows.h>

#include <memory>

#include "win32/browser/ComSupport.h"
#include "win32/com/OleSite.h"

namespace qx::win {

class CatcherSite final : public OleSite<IOleInPlaceFrame> {
 public:
  explicit CatcherSite(HWND window) : OleSite(window) {}

  // IOleInPlaceUIWindow
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  // IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  ~CatcherSite() override = default;
  // The browser control wants a frame to talk to, and the whole window.
  IOleInPlaceFrame* Frame() override {
    AddRef();
    return this;
  }
  RECT Area() override {
    RECT area{};
    GetClientRect(Window(), &area);
    return area;
  }
};

// The browser control hosted in a window of its own (hidden, owned by the
// program's window when one is given). Answers the control's IWebBrowser2;
// the host lives as long as the answer's keep-alive.
struct HostedControl {
  ComPtr<IWebBrowser2> browser;
  std::shared_ptr<void> host;
};
// Throws PlatformError when the control cannot be created or started.
HostedControl HostBrowserControl(HWND owner);

}  // namespace qx::win
