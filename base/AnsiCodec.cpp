#include "base/AnsiCodec.h"

#include <array>

namespace qx {
namespace {

// 0x80..0x9F; the five unassigned bytes map to the same code point, as the
// system's own conversion does.
constexpr std::array<wchar_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char EncodeOne(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c) & 0xFFFF;
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (static_cast<std::uint32_t>(kHigh[i]) == u) return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string Windows1252Codec::Encode(std::wstring_view text) const {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
    // A surrogate pair is one character: one "?".
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size()) {
      const auto lo = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFF;
      if (lo >= 0xDC00 && lo <= 0xDFFF) ++i;
    }
    out.push_back(EncodeOne(text[i]));
  }
  return out;
}

std::wstring Windows1252Codec::Decode(std::string_view bytes) const {
  std::wstring out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out.push_back(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<wchar_t>(b));
  }
  return out;
}

}  // namespace qx
