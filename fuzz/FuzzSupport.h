#pragma once
// What every fuzz target shares: a check that stops the run on a broken
// invariant (libFuzzer then keeps the input that broke it), and the ways the
// fuzzer's bytes become text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Text.h"

#define QX_FUZZ_CHECK(cond)                                     \
  do {                                                          \
    if (!(cond)) ::qx::fuzz::Broken(#cond, __FILE__, __LINE__); \
  } while (0)

namespace qx::fuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Text from the fuzzer's bytes: UTF-8 (readable seed files), or, after a
// little-endian byte-order mark, raw UTF-16 code units, so that lone
// surrogates and every other code unit can occur too.
inline std::wstring Text(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::wstring out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(bytes[i]);
      const auto hi = static_cast<unsigned char>(bytes[i + 1]);
      out.push_back(static_cast<wchar_t>(lo | (hi << 8)));
    }
    return out;
  }
  return FromUtf8(bytes);
}

// Splits the input at the first NUL byte: two texts from one input.
inline std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view bytes) {
  const auto nul = bytes.find('\0');
  if (nul == std::string_view::npos) return {bytes, {}};
  return {bytes.substr(0, nul), bytes.substr(nul + 1)};
}

}  // namespace qx::fuzz
