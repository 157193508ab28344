#pragma once
// Reading the arguments of an IDispatch call: DISPPARAMS hold the positional
// arguments last first, and a caller may pass any of them by reference
// (VT_BYREF), sometimes as a by-reference VARIANT around the value.

#include <windows.h>
// windows.h first: oaidl.h needs its types.
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <string>

namespace qx::win {

// The i-th argument in declaration order (DISPPARAMS hold them reversed).
inline VARIANT& Arg(const DISPPARAMS& params, UINT i) {
  return params.rgvarg[params.cArgs - 1 - i];
}
// Reports a bad argument i (declaration order) the way IDispatch does.
HRESULT BadArgument(const DISPPARAMS& params, UINT i, UINT* badArgument);

// What a VARIANT holds, seen through a by-reference VARIANT if it is one.
const VARIANT& Deref(const VARIANT& v);

// An optional argument left out.
bool IsOmitted(const VARIANT& v);
// Empty, null, or an omitted optional argument.
bool IsMissing(const VARIANT& v);

// Conversions of a value, by value or by reference; none when the type
// does not fit.
// A byte array (post data).
std::optional<std::string> BytesOf(const VARIANT& v);
std::optional<std::wstring> StringOf(const VARIANT& v);
std::optional<bool> BoolOf(const VARIANT& v);
// Any integer type that fits 32 bits.
std::optional<std::int32_t> IntOf(const VARIANT& v);
// A 32-bit integer (VT_I4) only.
std::optional<std::int32_t> LongOf(const VARIANT& v);
// A dispatch (or unknown answering IDispatch) or a null object; none for
// any other type.
std::optional<Microsoft::WRL::ComPtr<IDispatch>> DispatchOf(const VARIANT& v);

}  // namespace qx::win
