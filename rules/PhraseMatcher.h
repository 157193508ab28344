#pragma once
// Does any of many phrases occur in a text? One pass over the text
// (Aho-Corasick), however many phrases there are, so the window watch need
// not try every phrase rule on every caption.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/FlatIndex.h"

namespace qx {

class PhraseMatcher {
 public:
  // Matches nothing.
  PhraseMatcher() = default;
  // The full table may take up to this many entries (4 MB); beyond, the
  // search steps through the trie instead.
  static constexpr std::size_t kTableBudget = std::size_t{1} << 20;

  // The views need only live through the call. An empty phrase occurs in
  // every text.
  explicit PhraseMatcher(const std::vector<std::wstring_view>& phrases,
                         std::size_t tableBudget = kTableBudget);

  bool AnyIn(std::wstring_view text) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  static constexpr std::uint32_t kAscii = 128;
  static constexpr std::uint16_t kNoRow = UINT16_MAX;
  static constexpr std::uint32_t kMatchBit = 0x8000'0000u;

  // The trie, its edges in one table keyed by (node, character). A node's
  // mask of its children's characters answers most "no such child"
  // without touching the table.
  struct Node {
    std::uint64_t childMask = 0;  // bit (c mod 64) for each child c
    std::uint32_t fail = 0;
    std::uint16_t row = kNoRow;  // index of the node's ASCII row, if any
    bool match = false;          // a phrase ends here or where it falls back
  };

  static std::uint64_t EdgeHash(std::uint32_t node, wchar_t c);
  static std::uint64_t MaskBit(wchar_t c) { return std::uint64_t{1} << (c & 63); }
  std::uint32_t Child(std::uint32_t node, wchar_t c) const;
  struct TrieEdge {
    std::uint32_t depth;
    std::uint32_t parent;
    wchar_t c;
    std::uint32_t child;
  };
  // The trie as the phrases build it: its edges, which nodes end a phrase,
  // and every character used.
  struct RawTrie {
    std::vector<TrieEdge> edges;
    std::vector<bool> ends;
    std::vector<wchar_t> chars;
  };
  void BuildTrie(const std::vector<std::wstring_view>& phrases);
  static RawTrie CollectTrie(const std::vector<std::wstring_view>& phrases);
  // Breadth-first numbering; sorts the edges by depth.
  void LayOut(RawTrie& raw);
  void LinkFallbacks(const std::vector<TrieEdge>& edges);
  void ClassifyChars(std::vector<wchar_t> chars);
  void BuildTable();
  void BuildRows();
  std::uint32_t ClassOf(wchar_t c) const;
  // A step where no table was built: the child, or the child of the first
  // node fallen back to that has one, or the root.
  std::uint32_t Step(std::uint32_t state, wchar_t c) const;

  std::vector<Node> nodes_;
  FlatIndex<std::uint32_t> edges_;
  bool matchesAll_ = false;

  // Where it fits, every step is one read: the next state for each state
  // and class of character (the characters of the phrases; class 0 is every
  // other character), with kMatchBit set where a phrase ends.
  std::vector<std::uint32_t> table_;
  std::uint32_t classes_ = 0;
  std::array<std::uint16_t, kAscii> asciiClass_{};
  std::vector<std::pair<wchar_t, std::uint16_t>> otherClasses_;  // sorted

  // Otherwise nodes with many children (the root first) keep a row that
  // gives the step's end for each ASCII character.
  std::vector<std::uint32_t> rows_;
};

}  // namespace qx
