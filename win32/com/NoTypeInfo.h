#pragma once
// IDispatch's type-information members for an object that has none: its
// members are called by DISPID only (event sinks, ambient properties).
//
//   class Sink final : public NoTypeInfo<ComObject<IDispatch>> { ... Invoke ... };

#include "win32/com/ComObject.h"

namespace qx::win {

template <class Base>
class NoTypeInfo : public Base {
 public:
  using Base::Base;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
};

}  // namespace qx::win
