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
