#include "win32/program/OmnihookEventSink.h"

#include <optional>
#include <string>

namespace qx::win {
namespace {

std::optional<std::int32_t> IntArgument(const VARIANT& v) {
  if (v.vt == (VT_BYREF | VT_I4) && v.plVal != nullptr) return static_cast<std::int32_t>(*v.plVal);
  if (v.vt == VT_I4) return static_cast<std::int32_t>(v.lVal);
  if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal != nullptr) return IntArgument(*v.pvarVal);
  return std::nullopt;
}

std::optional<std::wstring> TextArgument(const VARIANT& v) {
  auto text = [](BSTR b) {
    return b == nullptr ? std::wstring() : std::wstring(b, SysStringLen(b));
  };
  if (v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal != nullptr) return text(*v.pbstrVal);
  if (v.vt == VT_BSTR) return text(v.bstrVal);
  if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal != nullptr) return TextArgument(*v.pvarVal);
  return std::nullopt;
}

}  // namespace

HRESULT OmnihookEventSink::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != events_) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG OmnihookEventSink::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG OmnihookEventSink::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT OmnihookEventSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT OmnihookEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out != nullptr) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT OmnihookEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT OmnihookEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, UINT* argError) {
  if (result != nullptr) VariantInit(result);
  if (params == nullptr) return E_INVALIDARG;
  const UINT count = params->cArgs;
  int expected = 0;
  switch (id) {
    case kDispGetTextMsg:
      expected = 1;
      break;
    case kDispNewWebDialog:
    case kDispNewWebDialogAdvise:
      expected = 2;
      break;
    case kDispLeftButtonDown:
    case kDispLeftButtonUp:
      expected = 3;
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (count != static_cast<UINT>(expected)) return DISP_E_BADPARAMCOUNT;
  if (params->cArgs > 0 && params->rgvarg == nullptr) return E_INVALIDARG;
  // The first argument is the last in the array.
  auto arg = [&](UINT position) -> const VARIANT& { return params->rgvarg[count - 1 - position]; };
  std::int32_t ints[3] = {};
  std::wstring caption;
  for (UINT i = 0; i < count; ++i) {
    if (id == kDispNewWebDialog && i == 1) {
      const auto text = TextArgument(arg(i));
      if (!text) {
        if (argError != nullptr) *argError = count - 1 - i;
        return DISP_E_TYPEMISMATCH;
      }
      caption = *text;
      continue;
    }
    const auto value = IntArgument(arg(i));
    if (!value) {
      if (argError != nullptr) *argError = count - 1 - i;
      return DISP_E_TYPEMISMATCH;
    }
    ints[i] = *value;
  }
  if (target_ == nullptr) return S_OK;
  // The core's handlers never let an exception out; should one, it must not
  // cross into the control.
  try {
    switch (id) {
      case kDispGetTextMsg:
        target_->GetTextMsg(ints[0]);
        break;
      case kDispNewWebDialog:
        target_->NewWebDialog(ints[0], caption);
        break;
      case kDispLeftButtonDown:
        target_->LeftButtonDown(ints[0], ints[1], ints[2]);
        break;
      case kDispLeftButtonUp:
        target_->LeftButtonUp(ints[0], ints[1], ints[2]);
        break;
      case kDispNewWebDialogAdvise:
        target_->NewWebDialogAdvise(ints[0], ints[1]);
        break;
      default:
        break;
    }
  } catch (...) {
    return E_UNEXPECTED;
  }
  return S_OK;
}

}  // namespace qx::win
