// The control as an OLE object on a host's form: sited, in-place activated
// in its own window, always 495 by 495 twips. Only what a form needs to
// place it; the control has no menus, no data and nothing to save.

#include <utility>

#include "ControlWindow.h"
#include "OmnihookObject.h"

namespace qx::win {
namespace {

using Microsoft::WRL::ComPtr;

// HIMETRIC is hundredths of a millimetre: 2540 to the inch, 1440 twips.
int HimetricToTwips(LONG himetric) {
  return MulDiv(himetric, 1440, 2540);
}

LONG TwipsToHimetric(int twips) {
  return MulDiv(twips, 2540, 1440);
}

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_RECOMPOSEONRESIZE;

}  // namespace

HRESULT OmnihookObject::SetClientSite(IOleClientSite* site) {
  if (site == nullptr) InPlaceDeactivate();
  site_ = site;
  return S_OK;
}

HRESULT OmnihookObject::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  return site_.CopyTo(site);
}

HRESULT OmnihookObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
  return S_OK;
}

HRESULT OmnihookObject::Close(DWORD) {
  InPlaceDeactivate();
  return S_OK;
}

HRESULT OmnihookObject::SetMoniker(DWORD, IMoniker*) {
  return E_NOTIMPL;
}

HRESULT OmnihookObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT OmnihookObject::InitFromData(IDataObject*, BOOL, DWORD) {
  return E_NOTIMPL;
}

HRESULT OmnihookObject::GetClipboardData(DWORD, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT OmnihookObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                               LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(site != nullptr ? site : site_.Get(), parent, position);
    case OLEIVERB_HIDE:
      ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT OmnihookObject::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
  if (inPlaceSite_ != nullptr) {
    ShowWindow(window_, SW_SHOWNA);
    return S_OK;
  }
  ComPtr<IOleInPlaceSite> inPlace;
  if (site != nullptr) site->QueryInterface(IID_PPV_ARGS(&inPlace));
  if (inPlace == nullptr) {
    // A container without in-place support may still give a window.
    if (parent == nullptr || position == nullptr) return E_UNEXPECTED;
    ShowInSite(window_, parent, *position);
    return S_OK;
  }
  if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
  inPlace->OnInPlaceActivate();
  HWND siteWindow = nullptr;
  RECT placed{};
  if (FAILED(inPlace->GetWindow(&siteWindow)) || siteWindow == nullptr) siteWindow = parent;
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  if (FAILED(inPlace->GetWindowContext(&frame, &document, &placed, &clip, &frameInfo))) {
    if (position != nullptr) placed = *position;
  }
  if (siteWindow == nullptr) {
    inPlace->OnInPlaceDeactivate();
    return E_UNEXPECTED;
  }
  ShowInSite(window_, siteWindow, placed);
  inPlaceSite_ = inPlace;
  return S_OK;
}

HRESULT OmnihookObject::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs == nullptr) return E_POINTER;
  return OleRegEnumVerbs(CLSID_OmnihookControl, verbs);
}

HRESULT OmnihookObject::Update() {
  return S_OK;
}

HRESULT OmnihookObject::IsUpToDate() {
  return S_OK;
}

HRESULT OmnihookObject::GetUserClassID(CLSID* clsid) {
  return GetClassID(clsid);
}

HRESULT OmnihookObject::GetUserType(DWORD form, LPOLESTR* name) {
  if (name == nullptr) return E_POINTER;
  return OleRegGetUserType(CLSID_OmnihookControl, form, name);
}

HRESULT OmnihookObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  int width = HimetricToTwips(size->cx);
  int height = HimetricToTwips(size->cy);
  OmnihookControl::Resize(width, height);
  extent_.cx = TwipsToHimetric(width);
  extent_.cy = TwipsToHimetric(height);
  return S_OK;
}

HRESULT OmnihookObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT OmnihookObject::Advise(IAdviseSink* sink, DWORD* connection) {
  if (connection == nullptr) return E_POINTER;
  *connection = 0;
  if (adviseHolder_ == nullptr && FAILED(CreateOleAdviseHolder(&adviseHolder_))) {
    return E_OUTOFMEMORY;
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT OmnihookObject::Unadvise(DWORD connection) {
  if (adviseHolder_ == nullptr) return OLE_E_NOCONNECTION;
  return adviseHolder_->Unadvise(connection);
}

HRESULT OmnihookObject::EnumAdvise(IEnumSTATDATA** advise) {
  if (advise == nullptr) return E_POINTER;
  *advise = nullptr;
  if (adviseHolder_ == nullptr) return S_OK;
  return adviseHolder_->EnumAdvise(advise);
}

HRESULT OmnihookObject::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

HRESULT OmnihookObject::SetColorScheme(LOGPALETTE*) {
  return E_NOTIMPL;
}

HRESULT OmnihookObject::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

HRESULT OmnihookObject::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

HRESULT OmnihookObject::InPlaceDeactivate() {
  if (window_ != nullptr && IsWindow(window_)) HideFromSite(window_);
  if (inPlaceSite_ != nullptr) {
    const ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
  }
  return S_OK;
}

HRESULT OmnihookObject::UIDeactivate() {
  return S_OK;
}

HRESULT OmnihookObject::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  MoveInSite(window_, *position);
  return S_OK;
}

HRESULT OmnihookObject::ReactivateAndUndo() {
  return INPLACE_E_NOTUNDOABLE;
}

HRESULT OmnihookObject::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

HRESULT OmnihookObject::OnMnemonic(MSG*) {
  return E_NOTIMPL;
}

HRESULT OmnihookObject::OnAmbientPropertyChange(DISPID) {
  return S_OK;
}

HRESULT OmnihookObject::FreezeEvents(BOOL freeze) {
  events_.Freeze(freeze != FALSE);
  return S_OK;
}

HRESULT OmnihookObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc,
                             LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                             ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (drawDc == nullptr || bounds == nullptr) return E_INVALIDARG;
  // The button's face, for a container that draws the control itself.
  RECT face{bounds->left, bounds->top, bounds->right, bounds->bottom};
  DrawFrameControl(drawDc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
  if (icon_ != nullptr) {
    DrawIconEx(drawDc, (face.left + face.right - 24) / 2, (face.top + face.bottom - 24) / 2, icon_,
               24, 24, 0, nullptr, DI_NORMAL);
  }
  return S_OK;
}

HRESULT OmnihookObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
  if (colors == nullptr) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;
}

HRESULT OmnihookObject::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}

HRESULT OmnihookObject::Unfreeze(DWORD) {
  return OLE_E_NOCONNECTION;
}

HRESULT OmnihookObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewAspects_ = aspects;
  viewFlags_ = flags;
  viewSink_ = sink;
  return S_OK;
}

HRESULT OmnihookObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (flags != nullptr) *flags = viewFlags_;
  if (sink != nullptr) return viewSink_.CopyTo(sink);
  return S_OK;
}

}  // namespace qx::win
