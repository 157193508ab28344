#include "win32/program/OmnihookClient.h"

#include <string>

#include "Omnihook.h"
#include "platform/PlatformError.h"
#include "win32/ports/WinError.h"
#include "win32/program/ControlSite.h"
#include "win32/program/OmnihookEventSink.h"

namespace qx::win {

OmnihookClient::Factory OmnihookClient::DefaultFactory() {
  return [](IUnknown** object) {
    return CoCreateInstance(CLSID_OmnihookControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(object));
  };
}

OmnihookClient::OmnihookClient(HostWindow host, Factory factory)
    : host_(std::move(host)), factory_(std::move(factory)) {
  sink_ = new OmnihookEventSink(DIID___OmnihookControl);
}

OmnihookClient::~OmnihookClient() {
  Destroy();
  sink_->SetTarget(nullptr);
  sink_->Release();
}

void OmnihookClient::SetEventSink(OmnihookEvents* sink) {
  target_ = sink;
  sink_->SetTarget(sink);
}

bool OmnihookClient::Create() {
  if (tried_) return dispatch_ != nullptr;
  tried_ = true;
  const HWND host = host_ ? host_() : nullptr;
  creation_ = factory_ ? factory_(object_.ReleaseAndGetAddressOf()) : REGDB_E_CLASSNOTREG;
  if (FAILED(creation_) || object_ == nullptr) {
    if (SUCCEEDED(creation_)) creation_ = E_NOINTERFACE;
    object_.Reset();
    return false;
  }
  // An ActiveX control is in-place activated in its container's window; an
  // object that is no OLE object is used as it is.
  if (SUCCEEDED(object_.As(&ole_))) {
    site_ = new ControlSite(host);
    ole_->SetClientSite(site_);
    if (host != nullptr) {
      RECT position{0, 0, 0, 0};
      ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, host, &position);
    }
  }
  if (FAILED(object_->QueryInterface(IID__OmnihookControl,
                                     reinterpret_cast<void**>(dispatch_.GetAddressOf()))) &&
      FAILED(object_.As(&dispatch_))) {
    creation_ = E_NOINTERFACE;
    Destroy();
    return false;
  }
  Microsoft::WRL::ComPtr<IConnectionPointContainer> points;
  if (SUCCEEDED(object_.As(&points)) &&
      SUCCEEDED(points->FindConnectionPoint(DIID___OmnihookControl, point_.GetAddressOf()))) {
    if (FAILED(point_->Advise(static_cast<IDispatch*>(sink_), &cookie_))) {
      cookie_ = 0;
      point_.Reset();
    }
  }
  return true;
}

void OmnihookClient::Destroy() {
  if (point_ && cookie_ != 0) point_->Unadvise(cookie_);
  cookie_ = 0;
  point_.Reset();
  dispatch_.Reset();
  if (ole_) {
    ole_->Close(OLECLOSE_NOSAVE);
    ole_->SetClientSite(nullptr);
    ole_.Reset();
  }
  object_.Reset();
  if (site_ != nullptr) site_->Release();
  site_ = nullptr;
}

void OmnihookClient::InstallCBTHook(bool noBrowserCheck) {
  VARIANT_BOOL flag = noBrowserCheck ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_BYREF | VT_BOOL;
  arg.pboolVal = &flag;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  Call(kDispInstallCBTHook, L"InstallCBTHook", &params);
}

void OmnihookClient::Call(DISPID id, const wchar_t* name, DISPPARAMS* params) {
  const std::wstring source = std::wstring(L"OmnihookControl.") + name;
  if (!Create()) {
    throw PlatformError(kErrObjectRequired,
                        L"The hook control is not available (" + SystemMessage(creation_) + L")",
                        source);
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXCEPINFO info{};
  UINT argError = 0;
  VARIANT result;
  VariantInit(&result);
  // Keep the control alive through the call: an event inside it may make
  // the program drop it.
  const Microsoft::WRL::ComPtr<IDispatch> control = dispatch_;
  const HRESULT hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     params != nullptr ? params : &none, &result, &info, &argError);
  VariantClear(&result);
  if (SUCCEEDED(hr)) return;
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
    std::wstring description = info.bstrDescription != nullptr ? info.bstrDescription : L"";
    const std::wstring from = info.bstrSource != nullptr ? info.bstrSource : source;
    std::int32_t number = info.wCode != 0 ? info.wCode : kErrAutomation;
    if (description.empty()) description = SystemMessage(static_cast<DWORD>(info.scode));
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw PlatformError(number, description, from);
  }
  throw ComError(source, hr);
}

}  // namespace qx::win
