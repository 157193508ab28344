#include "base/Text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace qx {
namespace {

struct CaseRange {
  std::uint16_t first;
  std::uint16_t last;
  std::uint8_t stride;
  std::int32_t delta;
};

constexpr CaseRange kLowerRanges[] = {
#include "base/CaseTable.inc"
};

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

}  // namespace

wchar_t LowerChar(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  const auto unit = static_cast<std::uint32_t>(c);
  if (unit > 0xFFFF) return c;
  const auto* end = std::end(kLowerRanges);
  const auto* it =
      std::upper_bound(std::begin(kLowerRanges), end, unit,
                       [](std::uint32_t u, const CaseRange& r) { return u < r.first; });
  if (it == std::begin(kLowerRanges)) return c;
  --it;
  if (unit > it->last || (unit - it->first) % it->stride != 0) return c;
  return static_cast<wchar_t>(static_cast<std::int32_t>(unit) + it->delta);
}

std::wstring LowerCase(std::wstring_view text) {
  std::wstring out(text);
  for (auto& c : out)
    c = LowerChar(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && LowerChar(a[i]) != LowerChar(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::wstring Trim(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::wstring FromUtf8(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
  while (i < utf8.size()) {
    const unsigned char b0 = byte(i);
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (b0 < 0x80) {
      cp = b0;
    } else {
      std::size_t need = 0;
      std::uint32_t min = 0;
      if ((b0 & 0xE0) == 0xC0) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
      } else if ((b0 & 0xF0) == 0xE0) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
      } else if ((b0 & 0xF8) == 0xF0) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
      }
      bool ok = need > 0;
      for (std::size_t k = 1; ok && k <= need; ++k) {
        if (i + k >= utf8.size() || (byte(i + k) & 0xC0) != 0x80) {
          ok = false;
        } else {
          cp = (cp << 6) | (byte(i + k) & 0x3F);
        }
      }
      if (ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        len = need + 1;
      } else {
        cp = 0xFFFD;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto cp = static_cast<std::uint32_t>(text[i]) & 0xFFFF;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      const auto lo = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFF;
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone surrogate
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::wstring NumberText(std::int64_t n) {
  const auto s = std::to_string(n);
  return std::wstring(s.begin(), s.end());
}

std::wstring SignedNumberText(std::int64_t n) {
  return n >= 0 ? L" " + NumberText(n) : NumberText(n);
}

std::optional<double> ParseNumber(std::wstring_view text) {
  const std::wstring t = Trim(text);
  if (t.empty()) return std::nullopt;
  if (t.size() > 2 && t[0] == L'&') {
    const wchar_t kind = LowerChar(t[1]);
    const int radix = kind == L'h' ? 16 : kind == L'o' ? 8 : 0;
    if (radix == 0 || t.size() > 2 + (radix == 16 ? 8u : 11u)) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 2; i < t.size(); ++i) {
      const wchar_t c = LowerChar(t[i]);
      int d = -1;
      if (IsDigit(c)) d = c - L'0';
      if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
      if (d < 0 || d >= radix) return std::nullopt;
      v = v * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
    }
    if (v > 0xFFFFFFFFull) return std::nullopt;
    // Radix forms are 32-bit patterns: &HFFFFFFFF is -1.
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
  }
  // sign? digits [. digits] [e sign? digits]
  std::size_t i = 0;
  if (t[i] == L'+' || t[i] == L'-') ++i;
  std::size_t digits = 0;
  while (i < t.size() && IsDigit(t[i]))
    ++i, ++digits;
  if (i < t.size() && t[i] == L'.') {
    ++i;
    while (i < t.size() && IsDigit(t[i]))
      ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
    ++i;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ++i;
    std::size_t exp = 0;
    while (i < t.size() && IsDigit(t[i]))
      ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  const std::string narrow(t.begin(), t.end());
  const double v = std::strtod(narrow.c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

bool IsNumeric(std::wstring_view text) {
  return ParseNumber(text).has_value();
}

std::optional<std::int32_t> ParseInt32(std::wstring_view text) {
  const auto v = ParseNumber(text);
  if (!v) return std::nullopt;
  const double r = std::nearbyint(*v);  // default rounding: half to even
  if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(r);
}

std::optional<bool> ParseBoolean(std::wstring_view text) {
  const std::wstring t = Trim(text);
  if (EqualsNoCase(t, L"True")) return true;
  if (EqualsNoCase(t, L"False")) return false;
  const auto v = ParseNumber(t);
  if (!v) return std::nullopt;
  return *v != 0.0;
}

std::wstring BooleanText(bool value) {
  return value ? L"True" : L"False";
}

}  // namespace qx
