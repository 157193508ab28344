#include "win32/browser/ComSupport.h"

#include <cwchar>

namespace qx::win {
namespace {

std::wstring HexOf(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%08lX", static_cast<unsigned long>(hr));
  return text;
}

HRESULT InvokeNamed(IDispatch* object, std::wstring_view name, WORD flags, DISPPARAMS& params,
                    VARIANT* result, std::wstring_view source) {
  if (!object)
    throw PlatformError(kErrObjectNotSet, L"Object variable not set", std::wstring(source));
  Bstr member(name);
  LPOLESTR names[] = {member.get()};
  DISPID id = DISPID_UNKNOWN;
  Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), source);
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                    &exception, &badArgument);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace

[[noreturn]] void Fail(HRESULT hr, std::wstring_view source) {
  switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      throw PlatformError(kErrNoSuchProperty, L"Object doesn't support this property or method",
                          std::wstring(source));
    default:
      throw PlatformError(static_cast<std::int32_t>(hr), L"Automation error " + HexOf(hr),
                          std::wstring(source));
  }
}

void Check(HRESULT hr, std::wstring_view source) {
  if (FAILED(hr)) Fail(hr, source);
}

Bstr::Bstr(std::wstring_view text)
    : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

void Variant::SetString(VARIANT& v, std::wstring_view text) {
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void Variant::SetBool(VARIANT& v, bool on) {
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
}

void Variant::SetInt(VARIANT& v, std::int32_t value) {
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
}

void Variant::SetOmitted(VARIANT& v) {
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
}

const VARIANT& Deref(const VARIANT& v) {
  // Some callers wrap a by-reference VARIANT once more; a few levels suffice.
  const VARIANT* at = &v;
  for (int level = 0; level < 4 && at->vt == (VT_BYREF | VT_VARIANT) && at->pvarVal; ++level) {
    at = at->pvarVal;
  }
  return *at;
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

bool IsMissing(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  return v.vt == VT_EMPTY || v.vt == VT_NULL ||
         (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

std::optional<std::wstring> StringOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  if (v.vt == VT_BSTR) return Bstr::Text(v.bstrVal);
  if (v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal) return Bstr::Text(*v.pbstrVal);
  return std::nullopt;
}

std::optional<bool> BoolOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  if (v.vt == VT_BOOL) return v.boolVal != VARIANT_FALSE;
  if (v.vt == (VT_BYREF | VT_BOOL) && v.pboolVal) return *v.pboolVal != VARIANT_FALSE;
  return std::nullopt;
}

std::optional<std::int32_t> IntOf(const VARIANT& in) {
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
    case VT_I4:
      return v.lVal;
    case VT_INT:
      return v.intVal;
    case VT_UI4:
      return static_cast<std::int32_t>(v.ulVal);
    case VT_UINT:
      return static_cast<std::int32_t>(v.uintVal);
    case VT_BYREF | VT_I4:
      if (v.plVal) return *v.plVal;
      return std::nullopt;
    case VT_BYREF | VT_I2:
      if (v.piVal) return *v.piVal;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<ComPtr<IDispatch>> DispatchOf(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  ComPtr<IDispatch> out;
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

void GetProperty(IDispatch* object, std::wstring_view name, VARIANT& out) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantClear(&out);
  const std::wstring source = L"get " + std::wstring(name);
  Check(InvokeNamed(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, &out, source),
        source);
}

void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value) {
  VARIANT argument = value;  // a shallow copy: Invoke does not take ownership
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  const std::wstring source = L"put " + std::wstring(name);
  Check(InvokeNamed(object, name, DISPATCH_PROPERTYPUT, params, nullptr, source), source);
}

void GetDefault(IDispatch* object, VARIANT& out) {
  if (!object) throw PlatformError(kErrObjectNotSet, L"Object variable not set", L"default value");
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VariantClear(&out);
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr =
      object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                     DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &out, &exception, &badArgument);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  Check(hr, L"default value");
}

std::wstring TextOfValue(VARIANT& v, std::wstring_view source) {
  if (const auto text = StringOf(v)) return *text;
  const VARIANT& value = Deref(v);
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return L"";
  Variant converted;
  Check(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR), source);
  return Bstr::Text(converted.get()->bstrVal);
}

std::wstring StringProperty(IDispatch* object, std::wstring_view name) {
  Variant v;
  GetProperty(object, name, *v.get());
  return TextOfValue(*v.get(), name);
}

std::int32_t IntProperty(IDispatch* object, std::wstring_view name) {
  Variant v;
  GetProperty(object, name, *v.get());
  if (const auto value = IntOf(*v.get())) return *value;
  Variant converted;
  Check(VariantChangeType(converted.get(), v.get(), 0, VT_I4), name);
  return converted.get()->lVal;
}

bool BoolProperty(IDispatch* object, std::wstring_view name) {
  Variant v;
  GetProperty(object, name, *v.get());
  if (const auto value = BoolOf(*v.get())) return *value;
  Variant converted;
  Check(VariantChangeType(converted.get(), v.get(), 0, VT_BOOL), name);
  return converted.get()->boolVal != VARIANT_FALSE;
}

ComPtr<IDispatch> ObjectProperty(IDispatch* object, std::wstring_view name) {
  Variant v;
  GetProperty(object, name, *v.get());
  const auto dispatch = DispatchOf(*v.get());
  if (!dispatch) Fail(DISP_E_TYPEMISMATCH, name);
  return *dispatch;
}

}  // namespace qx::win
