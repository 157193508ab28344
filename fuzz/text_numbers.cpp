// Stored numbers and Booleans: any text converts or cleanly does not, and
// the three readings agree with one another and with the written forms.

#include <cmath>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const std::wstring text = Text(Bytes(data, size));

  const auto number = ParseNumber(text);
  const auto int32 = ParseInt32(text);
  const auto boolean = ParseBoolean(text);
  QX_FUZZ_CHECK(IsNumeric(text) == number.has_value());
  if (number) {
    QX_FUZZ_CHECK(std::isfinite(*number));
    QX_FUZZ_CHECK(boolean == (*number != 0.0));
    if (int32) QX_FUZZ_CHECK(std::nearbyint(*number) == static_cast<double>(*int32));
    // A whole number that fits converts.
    if (std::nearbyint(*number) >= -2147483648.0 && std::nearbyint(*number) <= 2147483647.0) {
      QX_FUZZ_CHECK(int32.has_value());
    }
  } else {
    QX_FUZZ_CHECK(!int32.has_value());
    const std::wstring t = Trim(text);
    QX_FUZZ_CHECK(boolean.has_value() == (EqualsNoCase(t, L"true") || EqualsNoCase(t, L"false")));
  }
  // What the program writes reads back as itself.
  if (int32) {
    QX_FUZZ_CHECK(ParseInt32(NumberText(*int32)) == int32);
    QX_FUZZ_CHECK(ParseInt32(SignedNumberText(*int32)) == int32);
  }
  if (boolean) QX_FUZZ_CHECK(ParseBoolean(BooleanText(*boolean)) == boolean);

  // Lower-casing keeps every code unit in its place (cuts are made on the
  // lower-case copy and applied to the original), and UTF-8 round-trips
  // every text without lone surrogates.
  const std::wstring lower = LowerCase(text);
  QX_FUZZ_CHECK(lower.size() == text.size());
  QX_FUZZ_CHECK(LowerCase(lower) == lower);
  QX_FUZZ_CHECK(EqualsNoCase(text, lower));
  QX_FUZZ_CHECK(FromUtf8(ToUtf8(FromUtf8(ToUtf8(text)))) == FromUtf8(ToUtf8(text)));
  return 0;
}
