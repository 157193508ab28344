// The argument decoder as callers use it: positional arguments in
// declaration order, each value by value, by reference or inside a
// by-reference VARIANT, and a value of another type refused.

#include <gtest/gtest.h>

#include "win32/com/VariantArgs.h"

namespace qx::win::testing {
namespace {

VARIANT Of(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}

TEST(VariantArgsTest, ValuesAreReadDirectlyByReferenceAndThroughAVariant) {
  LONG number = -7;
  SHORT small = 12;
  VARIANT_BOOL yes = VARIANT_TRUE;
  BSTR text = SysAllocString(L"caption");
  VARIANT i4 = Of(VT_I4);
  i4.lVal = 40;
  VARIANT i4Ref = Of(VT_BYREF | VT_I4);
  i4Ref.plVal = &number;
  VARIANT i2 = Of(VT_I2);
  i2.iVal = small;
  VARIANT i2Ref = Of(VT_BYREF | VT_I2);
  i2Ref.piVal = &small;
  VARIANT boolRef = Of(VT_BYREF | VT_BOOL);
  boolRef.pboolVal = &yes;
  VARIANT bstrRef = Of(VT_BYREF | VT_BSTR);
  bstrRef.pbstrVal = &text;
  VARIANT wrapped = Of(VT_BYREF | VT_VARIANT);
  wrapped.pvarVal = &i4Ref;
  VARIANT nullRef = Of(VT_BYREF | VT_I4);  // by reference to nothing

  const struct {
    const char* name;
    const VARIANT& v;
    std::optional<std::int32_t> longValue, intValue;
    std::optional<bool> boolValue;
    std::optional<std::wstring> stringValue;
  } cases[] = {
      {"I4", i4, 40, 40, {}, {}},
      {"I4 by reference", i4Ref, -7, -7, {}, {}},
      {"I4 through a VARIANT", wrapped, -7, -7, {}, {}},
      {"I2: an integer, not a long", i2, {}, 12, {}, {}},
      {"I2 by reference", i2Ref, {}, 12, {}, {}},
      {"BOOL by reference", boolRef, {}, {}, true, {}},
      {"BSTR by reference", bstrRef, {}, {}, {}, L"caption"},
      {"I4 by reference to nothing", nullRef, {}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LongOf(c.v), c.longValue) << c.name;
    EXPECT_EQ(IntOf(c.v), c.intValue) << c.name;
    EXPECT_EQ(BoolOf(c.v), c.boolValue) << c.name;
    EXPECT_EQ(StringOf(c.v), c.stringValue) << c.name;
  }
  SysFreeString(text);
}

TEST(VariantArgsTest, OmittedMissingAndObjects) {
  VARIANT omitted = Of(VT_ERROR);
  omitted.scode = DISP_E_PARAMNOTFOUND;
  VARIANT otherError = Of(VT_ERROR);
  otherError.scode = E_FAIL;
  VARIANT wrapped = Of(VT_BYREF | VT_VARIANT);
  wrapped.pvarVal = &omitted;
  EXPECT_TRUE(IsOmitted(omitted));
  EXPECT_TRUE(IsOmitted(wrapped)) << "an omitted argument passed on by reference";
  EXPECT_FALSE(IsOmitted(otherError));
  EXPECT_TRUE(IsMissing(Of(VT_EMPTY)));
  EXPECT_TRUE(IsMissing(Of(VT_NULL)));
  EXPECT_FALSE(IsMissing(otherError));

  const auto none = DispatchOf(Of(VT_NULL));
  ASSERT_TRUE(none.has_value()) << "null is an object: none";
  EXPECT_EQ(none->Get(), nullptr);
  EXPECT_FALSE(DispatchOf(Of(VT_I4)).has_value());
}

TEST(VariantArgsTest, PositionsCountInDeclarationOrder) {
  // DISPPARAMS carry the last argument first.
  VARIANT args[3] = {Of(VT_I4), Of(VT_I4), Of(VT_I4)};
  for (int i = 0; i < 3; ++i)
    args[i].lVal = 30 - 10 * i;  // 30, 20, 10
  const DISPPARAMS params{args, nullptr, 3, 0};
  EXPECT_EQ(LongOf(Arg(params, 0)), 10);
  EXPECT_EQ(LongOf(Arg(params, 2)), 30);
  UINT bad = 99;
  EXPECT_EQ(BadArgument(params, 0, &bad), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 2u) << "IDispatch names the argument by its place in rgvarg";
  EXPECT_EQ(BadArgument(params, 2, nullptr), DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace qx::win::testing
