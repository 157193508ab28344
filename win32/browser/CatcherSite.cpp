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

HRESULT STDMETHODCALLTYPE CatcherSite::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE CatcherSite::AddRef() {
  return ++references_;
}

ULONG STDMETHODCALLTYPE CatcherSite::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE CatcherSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CatcherSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CatcherSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CatcherSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                        IOleInPlaceUIWindow** doc, LPRECT position,
                                                        LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame) {
    *frame = this;
    AddRef();
  }
  if (doc) *doc = nullptr;
  RECT area{};
  GetClientRect(window_, &area);
  if (position) *position = area;
  if (clip) *clip = area;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HostedControl HostBrowserControl(HWND owner) {
  // A plain static window serves as the host: it needs no class of its own
  // and is never shown.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 640, 480, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    Fail(HRESULT_FROM_WIN32(GetLastError()), L"BrowserFactory.CreateHiddenBrowserControl");
  }
  ComPtr<CatcherSite> site;
  site.Attach(new CatcherSite(window));
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
