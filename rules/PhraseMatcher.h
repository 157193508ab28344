#pragma once
// Does any of many phrases occur in a text? One pass over the text
// (Aho-Corasick), however many phrases there are, so the window watch need
// not try every phrase rule on every caption.

#include <cstdint>
#include <string_view>
#include <vector>

#include "rules/FlatIndex.h"

namespace qx {

class PhraseMatcher {
 public:
  // Matches nothing.
  PhraseMatcher();
  // The views need only live through the call. An empty phrase occurs in
  // every text.
  explicit PhraseMatcher(const std::vector<std::wstring_view>& phrases);

  bool AnyIn(std::wstring_view text) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  static constexpr std::uint32_t kAscii = 128;

  // Each step of the search asks for a child that mostly is not there. The
  // trie's edges live in one table keyed by (node, character); a node's
  // small mask of its children's characters answers most "not there"
  // without touching the table, and nodes with many children (the root
  // first) keep their ASCII children in a plain row.
  struct Node {
    std::uint64_t childMask = 0;  // bit (c mod 64) for each child c
    std::uint32_t fail = 0;
    std::uint16_t row = kNoRow;  // index of the ASCII row, if any
    bool match = false;          // a phrase ends here or where it falls back
  };
  static constexpr std::uint16_t kNoRow = UINT16_MAX;

  static std::uint64_t EdgeHash(std::uint32_t node, wchar_t c);
  static std::uint64_t MaskBit(wchar_t c) { return std::uint64_t{1} << (c & 63); }
  std::uint32_t Child(std::uint32_t node, wchar_t c) const;

  std::vector<Node> nodes_;
  FlatIndex<std::uint32_t> edges_;
  std::vector<std::uint32_t> rows_;
};

}  // namespace qx
