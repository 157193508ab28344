#include "win32/com/EventSink.h"

namespace qx::win {

void* EventSink::OtherInterface(REFIID riid) {
  return riid == events_ ? static_cast<IDispatch*>(this) : nullptr;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params,
                                            VARIANT* result, EXCEPINFO*, UINT* badArgument) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  // Invoke's contract asks for a DISPPARAMS even without arguments; every
  // event source passes one.
  if (!params) return E_INVALIDARG;
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
  // The receiver may drop its connection (and so this sink) inside the event.
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

}  // namespace qx::win
