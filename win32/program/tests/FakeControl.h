#pragma once
// A hook control of our own for the client's tests: it records the methods
// called on it and raises events as the real control does (every argument
// by reference).

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ole2.h>
#include <olectl.h>

#include <vector>

#include "Omnihook.h"
#include "win32/program/OmnihookClient.h"

namespace qx::win::test {

class FakeControl final : public IDispatch,
                          public IConnectionPointContainer,
                          public IConnectionPoint {
 public:
  struct Call {
    DISPID id;
    WORD flags;
    std::vector<VARTYPE> types;
    VARIANT_BOOL flag = 0;
  };

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__OmnihookControl)
      *out = static_cast<IDispatch*>(this);
    else if (riid == IID_IConnectionPointContainer)
      *out = static_cast<IConnectionPointContainer*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    ++namesAsked;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO* info, UINT*) override {
    Call call{id, flags, {}};
    for (UINT i = 0; i < p->cArgs; ++i)
      call.types.push_back(p->rgvarg[i].vt);
    if (p->cArgs == 1 && p->rgvarg[0].vt == (VT_BYREF | VT_BOOL))
      call.flag = *p->rgvarg[0].pboolVal;
    calls.push_back(call);
    if (id == failWith && info != nullptr) {
      info->wCode = 0;
      info->scode = E_FAIL;
      info->bstrSource = SysAllocString(L"Omnihook");
      info->bstrDescription = SysAllocString(L"catchwire.dll cannot be loaded");
      return DISP_E_EXCEPTION;
    }
    if (id == failPlain) return E_FAIL;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
    *out = nullptr;
    if (riid != DIID___OmnihookControl) return CONNECT_E_NOCONNECTION;
    *out = this;
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = DIID___OmnihookControl;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = this;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* unknown, DWORD* cookie) override {
    if (sink != nullptr) return CONNECT_E_ADVISELIMIT;
    // As a real connection point does: ask the sink for the event interface.
    if (FAILED(unknown->QueryInterface(DIID___OmnihookControl, reinterpret_cast<void**>(&sink))))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (cookie != 7 || sink == nullptr) return CONNECT_E_NOCONNECTION;
    sink->Release();
    sink = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  // Raises an event as the control does: every argument by reference.
  HRESULT Fire(DISPID id, std::vector<LONG> ints, const wchar_t* caption = nullptr) {
    std::vector<LONG> values = std::move(ints);
    BSTR text = caption != nullptr ? SysAllocString(caption) : nullptr;
    std::vector<VARIANTARG> args;
    for (LONG& v : values) {
      VARIANTARG a;
      VariantInit(&a);
      a.vt = VT_BYREF | VT_I4;
      a.plVal = &v;
      args.push_back(a);
    }
    if (caption != nullptr) {
      VARIANTARG a;
      VariantInit(&a);
      a.vt = VT_BYREF | VT_BSTR;
      a.pbstrVal = &text;
      args.insert(args.begin() + 1, a);
    }
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS p{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const HRESULT hr =
        sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
    SysFreeString(text);  // the control owns the caption and frees it after the event
    return hr;
  }

  ULONG refs = 1;
  int namesAsked = 0;
  DISPID failWith = 0;
  DISPID failPlain = 0;
  IDispatch* sink = nullptr;
  std::vector<Call> calls;
};

// A factory that hands out the fake, counting how often it was asked.
inline OmnihookClient::Factory Handing(FakeControl& fake, int* made = nullptr) {
  return [&fake, made](IUnknown** out) {
    if (made != nullptr) ++*made;
    fake.AddRef();
    *out = static_cast<IDispatch*>(&fake);
    return S_OK;
  };
}

}  // namespace qx::win::test
