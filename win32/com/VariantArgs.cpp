#include "win32/com/VariantArgs.h"

namespace qx::win {

HRESULT BadArgument(const DISPPARAMS& params, UINT i, UINT* badArgument) {
  if (badArgument) *badArgument = params.cArgs - 1 - i;
  return DISP_E_TYPEMISMATCH;
}

const VARIANT& Deref(const VARIANT& v) {
  // Some callers wrap a by-reference VARIANT once more; a few levels suffice.
  const VARIANT* at = &v;
  for (int level = 0; level < 4 && at->vt == (VT_BYREF | VT_VARIANT) && at->pvarVal; ++level) {
    at = at->pvarVal;
  }
  return *at;
}

bool IsOmitted(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

bool IsMissing(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  return v.vt == VT_EMPTY || v.vt == VT_NULL || IsOmitted(v);
}

std::optional<std::string> BytesOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  SAFEARRAY* array = nullptr;
  if (v.vt == (VT_ARRAY | VT_UI1))
    array = v.parray;
  else if (v.vt == (VT_BYREF | VT_ARRAY | VT_UI1) && v.pparray)
    array = *v.pparray;
  else
    return std::nullopt;
  if (!array) return std::string();
  if (SafeArrayGetDim(array) != 1) return std::nullopt;
  LONG low = 0;
  LONG high = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &low)) || FAILED(SafeArrayGetUBound(array, 1, &high))) {
    return std::nullopt;
  }
  if (high < low) return std::string();
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return std::nullopt;
  std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(high - low + 1));
  SafeArrayUnaccessData(array);
  return bytes;
}

std::optional<std::wstring> StringOf(const VARIANT& in) {
  const auto text = [](BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); };
  const VARIANT& v = Deref(in);
  if (v.vt == VT_BSTR) return text(v.bstrVal);
  if (v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal) return text(*v.pbstrVal);
  return std::nullopt;
}

std::optional<bool> BoolOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  if (v.vt == VT_BOOL) return v.boolVal != VARIANT_FALSE;
  if (v.vt == (VT_BYREF | VT_BOOL) && v.pboolVal) return *v.pboolVal != VARIANT_FALSE;
  return std::nullopt;
}

std::optional<std::int32_t> LongOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  if (v.vt == VT_I4) return static_cast<std::int32_t>(v.lVal);
  if (v.vt == (VT_BYREF | VT_I4) && v.plVal) return static_cast<std::int32_t>(*v.plVal);
  return std::nullopt;
}

std::optional<std::int32_t> IntOf(const VARIANT& in) {
  if (const auto value = LongOf(in)) return value;
  const VARIANT& v = Deref(in);
  switch (v.vt) {
    case VT_I1:
      return v.cVal;
    case VT_UI1:
      return v.bVal;
    case VT_I2:
      return v.iVal;
    case VT_UI2:
      return v.uiVal;
    case VT_INT:
      return v.intVal;
    case VT_UI4:
      return static_cast<std::int32_t>(v.ulVal);
    case VT_UINT:
      return static_cast<std::int32_t>(v.uintVal);
    case VT_BYREF | VT_I2:
      if (v.piVal) return *v.piVal;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<Microsoft::WRL::ComPtr<IDispatch>> DispatchOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  Microsoft::WRL::ComPtr<IDispatch> out;
  switch (v.vt) {
    case VT_DISPATCH:
      out = v.pdispVal;
      return out;
    case VT_UNKNOWN:
      if (v.punkVal) v.punkVal->QueryInterface(IID_PPV_ARGS(&out));
      return out;
    case VT_BYREF | VT_DISPATCH:
      if (v.ppdispVal) out = *v.ppdispVal;
      return out;
    case VT_EMPTY:
    case VT_NULL:
      return out;
    default:
      return std::nullopt;
  }
}

}  // namespace qx::win
