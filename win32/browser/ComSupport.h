#pragma once
// Small helpers for talking COM without a framework: owned BSTRs and
// VARIANTs, failed calls turned into PlatformError, and late-bound property
// access through IDispatch (the way the document model is read).

#include <oaidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/PlatformError.h"
#include "win32/com/ComObject.h"
#include "win32/com/VariantArgs.h"

namespace qx::win {

// "Object doesn't support this property or method".
inline constexpr std::int32_t kErrNoSuchProperty = 438;
// "Object variable not set": a property read through nothing.
inline constexpr std::int32_t kErrObjectNotSet = 91;

// Throws PlatformError for a failed HRESULT. source names the call.
void Check(HRESULT hr, std::wstring_view source);
[[noreturn]] void Fail(HRESULT hr, std::wstring_view source);

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text);
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  // A release to a caller that frees it.
  BSTR detach() {
    BSTR v = value_;
    value_ = nullptr;
    return v;
  }
  std::wstring text() const { return Text(value_); }
  static std::wstring Text(BSTR value) {
    return value ? std::wstring(value, SysStringLen(value)) : std::wstring();
  }

 private:
  BSTR value_ = nullptr;
};

// An owned VARIANT, cleared when it goes.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  VARIANT* out() {
    VariantClear(&v_);
    return &v_;
  }

  static void SetString(VARIANT& v, std::wstring_view text);
  static void SetBool(VARIANT& v, bool on);
  static void SetInt(VARIANT& v, std::int32_t value);
  // An optional argument left out.
  static void SetOmitted(VARIANT& v);

 private:
  VARIANT v_;
};

// Late-bound access by name.
void GetProperty(IDispatch* object, std::wstring_view name, VARIANT& out);
void PutProperty(IDispatch* object, std::wstring_view name, const VARIANT& value);
// The object's default member (DISPID_VALUE).
void GetDefault(IDispatch* object, VARIANT& out);

// The usual readings of a late-bound property; a value of another type
// fails with PlatformError.
std::wstring StringProperty(IDispatch* object, std::wstring_view name);
std::int32_t IntProperty(IDispatch* object, std::wstring_view name);
bool BoolProperty(IDispatch* object, std::wstring_view name);
// Null when the property holds no object.
ComPtr<IDispatch> ObjectProperty(IDispatch* object, std::wstring_view name);
// Text of a value that may be a string, a number, null or an object whose
// default member gives text (a script function's source).
std::wstring TextOfValue(VARIANT& v, std::wstring_view source);

}  // namespace qx::win
