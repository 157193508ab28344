#pragma once
// A hash for text keys whose value for any prefix of a text can be carried
// forward one character at a time. The website rules look up every prefix
// of a page's URL that is as long as some rule's URL; with this hash each
// lookup costs one step per new character instead of rehashing the prefix.

#include <cstdint>
#include <string>
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

// A text with its PrefixHash already known.
struct HashedText {
  std::wstring_view text;
  std::uint64_t hash;
};

struct TextKeyHash {
  using is_transparent = void;
  std::size_t operator()(std::wstring_view text) const { return Mix(PrefixHash::Of(text)); }
  std::size_t operator()(const std::wstring& text) const { return Mix(PrefixHash::Of(text)); }
  std::size_t operator()(const HashedText& key) const { return Mix(key.hash); }

 private:
  // Spreads the polynomial's value over all bits (the final step of
  // splitmix64), so that bucket indices taken from any bits are even.
  static std::size_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<std::size_t>(x);
  }
};

struct TextKeyEqual {
  using is_transparent = void;
  static std::wstring_view View(std::wstring_view text) { return text; }
  static std::wstring_view View(const std::wstring& text) { return text; }
  static std::wstring_view View(const HashedText& key) { return key.text; }
  template <class A, class B>
  bool operator()(const A& a, const B& b) const {
    return View(a) == View(b);
  }
};

}  // namespace qx
