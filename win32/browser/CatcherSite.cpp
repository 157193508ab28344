#include "win32/browser/CatcherSite.h"

#include <memory>

namespace qx::win {
namespace {

// Owns the control, its site and its window; takes the control down in the
// order OLE expects.
class ControlHost {
 public:
  ControlHost(HWND window, ComPtr<CatcherSite> site) : window_(window), site_(std::move(site)) {}
  void SetControl(ComPtr<IOleObject> control) { control_ = std::move(control); }
  ~ControlHost() {
    if (control_) {
      control_->Close(OLECLOSE_NOSAVE);
      control_->SetClientSite(nullptr);
      control_.Reset();
    }
    site_.Reset();
    if (window_) DestroyWindow(window_);
  }
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

 private:
  HWND window_;
  ComPtr<CatcherSite> site_;
  ComPtr<IOleObject> control_;
};

}  // namespace

HostedControl HostBrowserControl(HWND owner) {
  // A plain static window serves as the host: it needs no class of its own
  // and is never shown.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 480, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    Fail(HRESULT_FROM_WIN32(GetLastError()), L"BrowserFactory.CreateHiddenBrowserControl");
  }
  ComPtr<CatcherSite> site = MakeCom<CatcherSite>(window);
  ComPtr<IOleObject> control;
  // From here on the host takes the window down, whatever happens.
  auto host = std::make_shared<ControlHost>(window, site);
  Check(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)),
        L"BrowserFactory.CreateHiddenBrowserControl");
  host->SetControl(control);
  Check(control->SetClientSite(site.Get()), L"BrowserFactory.CreateHiddenBrowserControl");
  RECT area{0, 0, 640, 480};
  Check(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, window, &area),
        L"BrowserFactory.CreateHiddenBrowserControl");
  HostedControl out;
  Check(control.As(&out.browser), L"BrowserFactory.CreateHiddenBrowserControl");
  out.host = std::move(host);
  return out;
}

}  // namespace qx::win
