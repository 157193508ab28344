#pragma once
// Hashes for text keys. PrefixHash can be carried forward one character at
// a time, so that the hash of every prefix of a URL costs one step each: the
// website rules look up every prefix as long as some rule's URL.

#include <cstdint>
#include <functional>
#include <string_view>

namespace qx {

class PrefixHash {
 public:
  void Add(wchar_t c) { value_ = value_ * kBase + static_cast<std::uint64_t>(c) + 1; }
  std::uint64_t Value() const { return value_; }

  static std::uint64_t Of(std::wstring_view text) {
    PrefixHash h;
    for (const wchar_t c : text)
      h.Add(c);
    return h.Value();
  }

 private:
  static constexpr std::uint64_t kBase = 0x9E3779B97F4A7C15ull;
  std::uint64_t value_ = 0;
};

// Spreads a polynomial hash over all bits (the final step of splitmix64), so
// that table positions taken from the low bits are even.
inline std::uint64_t MixHash(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return x;
}

// The hash of a rule URL, as ForEachPrefixRule carries it along a page URL.
inline std::uint64_t UrlHash(std::wstring_view text) {
  return MixHash(PrefixHash::Of(text));
}

// Any other text key: the library's hash reads several characters a step,
// where the polynomial above must take them one at a time.
inline std::uint64_t TextHash(std::wstring_view text) {
  return std::hash<std::wstring_view>{}(text);
}

}  // namespace qx
