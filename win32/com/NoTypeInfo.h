#pragma once
// IDispatch's type-information members for an object that has none: its
// members are called by DISPID only (event sinks, ambient properties).

#include <windows.h>
// windows.h first: oaidl.h needs its types.
#include <oaidl.h>

namespace qx::win {

inline HRESULT NoTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

inline HRESULT NoTypeInfo(ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

}  // namespace qx::win
