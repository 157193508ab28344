#include "EventConnection.h"

#include "Omnihook.h"

namespace qx::win {
namespace {

VARIANTARG ByRef(LONG* value) {
  VARIANTARG arg;
  VariantInit(&arg);
  arg.vt = VT_BYREF | VT_I4;
  arg.plVal = value;
  return arg;
}

}  // namespace

HRESULT EventConnection::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = DIID___OmnihookControl;
  return S_OK;
}

HRESULT EventConnection::GetConnectionPointContainer(IConnectionPointContainer** cpc) {
  if (cpc == nullptr) return E_POINTER;
  *cpc = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT EventConnection::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie != nullptr) *cookie = 0;
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  Microsoft::WRL::ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(DIID___OmnihookControl,
                                  reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(
          sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    sinks_.emplace_back(++lastCookie_, std::move(dispatch));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = lastCookie_;
  return S_OK;
}

HRESULT EventConnection::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first == cookie) {
      sinks_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT EventConnection::EnumConnections(IEnumConnections** connections) {
  if (connections != nullptr) *connections = nullptr;
  return E_NOTIMPL;
}

void EventConnection::Freeze(bool freeze) {
  if (freeze) {
    ++frozen_;
  } else if (frozen_ > 0) {
    --frozen_;
  }
}

void EventConnection::Raise(DISPID id, VARIANTARG* args, UINT count) {
  if (frozen_ > 0 || sinks_.empty()) return;
  // A handler may disconnect sinks, or drop the host's last reference to the
  // control: the control lives until the event has gone round.
  owner_.AddRef();
  {
    const auto sinks = sinks_;
    DISPPARAMS params{args, nullptr, count, 0};
    for (const auto& sink : sinks) {
      sink.second->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                          nullptr, nullptr);
    }
  }
  owner_.Release();
}

void EventConnection::GetTextMsg(std::int32_t& hwnd) {
  LONG window = hwnd;
  VARIANTARG args[] = {ByRef(&window)};
  Raise(1, args, 1);
}

void EventConnection::NewWebDialog(std::int32_t& hwnd, std::wstring& caption) {
  LONG window = hwnd;
  BSTR text = SysAllocStringLen(caption.data(), static_cast<UINT>(caption.size()));
  if (text == nullptr) return;
  VARIANTARG args[2];
  VariantInit(&args[0]);
  args[0].vt = VT_BYREF | VT_BSTR;
  args[0].pbstrVal = &text;
  args[1] = ByRef(&window);
  Raise(2, args, 2);
  // Whatever a handler left there is ours to free.
  SysFreeString(text);
}

void EventConnection::RaiseButton(DISPID id, std::int32_t x, std::int32_t y, std::int32_t hwnd) {
  LONG xs = x;
  LONG ys = y;
  LONG window = hwnd;
  VARIANTARG args[] = {ByRef(&window), ByRef(&ys), ByRef(&xs)};
  Raise(id, args, 3);
}

void EventConnection::LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) {
  RaiseButton(3, x, y, hwnd);
}

void EventConnection::LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) {
  RaiseButton(4, x, y, hwnd);
}

void EventConnection::NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) {
  LONG window = hwnd;
  LONG browser = IEhWnd;
  VARIANTARG args[] = {ByRef(&browser), ByRef(&window)};
  Raise(5, args, 2);
}

}  // namespace qx::win
