#include "base/Text.h"

#include <gtest/gtest.h>

#include <optional>

namespace qx {
namespace {

TEST(LowerCase, FollowsUnicodeBeyondAscii) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"Internet EXPLORER", L"internet explorer"},
      {L"\u00C9T\u00C9 \u00D8RE", L"\u00E9t\u00E9 \u00F8re"},      // Latin-1
      {L"\u0391\u0392\u03A3", L"\u03B1\u03B2\u03C3"},              // Greek
      {L"\u041F\u0420\u0418\u0417", L"\u043F\u0440\u0438\u0437"},  // Cyrillic
      {L"\u0100\u0102\u0178", L"\u0101\u0103\u00FF"},              // odd strides
      {L"\u0130", L"i"},                                           // dotted capital I
      {L"\u00DF\u00D7", L"\u00DF\u00D7"},  // no lower form; the multiplication sign is no letter
      {L"\xD801\xDC00", L"\xD801\xDC00"},  // supplementary planes stay as they are
  };
  for (const auto& c : cases)
    EXPECT_EQ(LowerCase(c.in), c.out) << ToUtf8(c.in);
}

TEST(CaseInsensitiveComparison, UsesTheSameMapping) {
  EXPECT_TRUE(EqualsNoCase(L"\u00C9t\u00E9", L"\u00E9T\u00C9"));
  EXPECT_FALSE(EqualsNoCase(L"abc", L"abcd"));
  EXPECT_TRUE(EndsWithNoCase(L"Title -- Web Page DIALOG", L"-- web page dialog"));
  EXPECT_FALSE(EndsWithNoCase(L"dialog", L"-- web page dialog"));
  EXPECT_TRUE(StartsWithNoCase(L"HTTP://x", L"http://"));
}

TEST(Trim, RemovesOnlyBlanks) {
  EXPECT_EQ(Trim(L"  +AllowHTTPS  "), L"+AllowHTTPS");
  EXPECT_EQ(Trim(L"\tx\t"), L"\tx\t");
  EXPECT_EQ(Trim(L"     "), L"");
  EXPECT_EQ(Trim(L""), L"");
}

TEST(Utf8, RoundTripsAndCountsUtf16Units) {
  const std::string text = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";  // café € 😀
  const std::wstring wide = FromUtf8(text);
  EXPECT_EQ(wide.size(), 9u);  // the emoji is two code units, as on Windows
  EXPECT_EQ(ToUtf8(wide), text);
}

TEST(Utf8, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            L"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xC3"), L"\uFFFD");            // cut short
  EXPECT_EQ(FromUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(NumberText, SignedFormPutsABlankBeforeNonNegativeNumbers) {
  EXPECT_EQ(SignedNumberText(13), L" 13");
  EXPECT_EQ(SignedNumberText(0), L" 0");
  EXPECT_EQ(SignedNumberText(-5), L"-5");
  EXPECT_EQ(NumberText(-2147483648LL), L"-2147483648");
}

TEST(ParseBoolean, AcceptsWordsAndNumbers) {
  struct Case {
    const wchar_t* text;
    std::optional<bool> value;
  };
  const Case cases[] = {
      {L"True", true}, {L"FALSE", false}, {L" true ", true}, {L"1", true},    {L"0", false},
      {L"-1", true},   {L"0.0", false},   {L"2.5", true},    {L"&H0", false}, {L"Yes", {}},
      {L"", {}},       {L"Tru", {}},      {L"1 2", {}},      {L"True1", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseBoolean(c.text), c.value) << ToUtf8(c.text);
}

TEST(ParseInt32, DecimalTextWithRoundingAndLimits) {
  struct Case {
    const wchar_t* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {L"5", 5},           {L" 7 ", 7},          {L"-3", -3},
      {L"+4", 4},          {L"2.5", 2},  // half to even
      {L"3.5", 4},         {L"1e3", 1000},       {L"&H10", 16},
      {L"&HFFFFFFFF", -1}, {L"&O17", 15},        {L"2147483647", 2147483647},
      {L"2147483648", {}}, {L"-2147483649", {}}, {L"abc", {}},
      {L"", {}},           {L"1e", {}},          {L".", {}},
      {L"True", {}},       {L"&H", {}},          {L"&HG1", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ParseInt32(c.text), c.value) << ToUtf8(c.text);
}

}  // namespace
}  // namespace qx
