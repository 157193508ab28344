#include "win32/browser/EventSink.h"

namespace qx::win {
namespace {

class SinkConnection final : public Connection {
 public:
  SinkConnection(ComPtr<IConnectionPoint> point, DWORD cookie, ComPtr<EventSink> sink)
      : point_(std::move(point)), cookie_(cookie), sink_(std::move(sink)) {}
  ~SinkConnection() override {
    // Detached first: an event raised while unadvising reaches nobody.
    sink_->Detach();
    point_->Unadvise(cookie_);
  }
  SinkConnection(const SinkConnection&) = delete;
  SinkConnection& operator=(const SinkConnection&) = delete;

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_;
  ComPtr<EventSink> sink_;
};

}  // namespace

HRESULT STDMETHODCALLTYPE EventSink::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, events_)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EventSink::AddRef() {
  return ++references_;
}

ULONG STDMETHODCALLTYPE EventSink::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE EventSink::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params,
                                            VARIANT* result, EXCEPINFO*, UINT* badArgument) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (!params) params = &none;
  if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
  if (params->cNamedArgs > params->cArgs ||
      (params->cNamedArgs > 0 && !params->rgdispidNamedArgs)) {
    return E_INVALIDARG;
  }
  // Named arguments come first in rgvarg. The document's events may carry
  // the object that raised them as DISPID_THIS; no sink reads any of them,
  // so the events are decoded from their positional arguments alone.
  const UINT named = params->cNamedArgs;
  const DISPPARAMS positional{params->rgvarg + named, nullptr, params->cArgs - named, 0};
  // The core may drop its connection (and so this sink) inside the event.
  ComPtr<EventSink> self(this);
  try {
    const HRESULT hr = Handle(id, positional, result, badArgument);
    if (hr == DISP_E_TYPEMISMATCH && badArgument) *badArgument += named;
    return hr;
  } catch (...) {
    // Nothing may cross back into the caller's code.
    return DISP_E_EXCEPTION;
  }
}

HRESULT BadArgument(const DISPPARAMS& params, UINT i, UINT* badArgument) {
  if (badArgument) *badArgument = params.cArgs - 1 - i;
  return DISP_E_TYPEMISMATCH;
}

std::unique_ptr<Connection> Advise(IUnknown* source, ComPtr<EventSink> sink,
                                   std::wstring_view call) {
  if (!source)
    throw PlatformError(kErrObjectNotSet, L"Object variable not set", std::wstring(call));
  ComPtr<IConnectionPointContainer> container;
  Check(source->QueryInterface(IID_PPV_ARGS(&container)), call);
  ComPtr<IConnectionPoint> point;
  Check(container->FindConnectionPoint(sink->Events(), &point), call);
  DWORD cookie = 0;
  Check(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), call);
  return std::make_unique<SinkConnection>(std::move(point), cookie, std::move(sink));
}

}  // namespace qx::win
