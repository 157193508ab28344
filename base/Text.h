#pragma once
// Text as the program counts it: UTF-16 code units held in std::wstring
// (on Linux each wchar_t holds one code unit, so counts match Windows).
// Lower-casing, trimming and case-insensitive comparison live here only, so
// that non-ASCII captions behave the same on every shell.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx {

// One code unit lower-cased by the Unicode simple mapping (BMP only).
wchar_t LowerChar(wchar_t c);
std::wstring LowerCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);

// Removes blanks (U+0020) at both ends, as the program's trimming always has.
std::wstring Trim(std::wstring_view text);

// UTF-8 <-> UTF-16 code units. Invalid UTF-8 bytes become U+FFFD.
std::wstring FromUtf8(std::string_view utf8);
std::string ToUtf8(std::wstring_view text);

// Decimal text of a number: "13", "-5".
std::wstring NumberText(std::int64_t n);
// The number-to-text conversion that puts a blank before a non-negative
// number: " 13", "-5".
std::wstring SignedNumberText(std::int64_t n);

// Numeric text as stored values use it: blanks around, an optional sign,
// digits with an optional fraction and exponent, or "&H"/"&O" radix forms.
std::optional<double> ParseNumber(std::wstring_view text);
bool IsNumeric(std::wstring_view text);
// A 32-bit integer from numeric text, a fraction rounded half to even;
// none when the text is not numeric or the value does not fit.
std::optional<std::int32_t> ParseInt32(std::wstring_view text);
// "True"/"False" in any letter case, or a number (0 is False).
std::optional<bool> ParseBoolean(std::wstring_view text);
// The stored form of a Boolean.
std::wstring BooleanText(bool value);

}  // namespace qx
