#pragma once
// Does any of many phrases occur in a text? One pass over the text
// (Aho-Corasick), however many phrases there are, so the window watch need
// not try every phrase rule on every caption.

#include <cstdint>
#include <string_view>
#include <vector>

namespace qx {

class PhraseMatcher {
 public:
  // Matches nothing.
  PhraseMatcher() = default;
  // The views need only live through the call. An empty phrase occurs in
  // every text.
  explicit PhraseMatcher(const std::vector<std::wstring_view>& phrases);

  bool AnyIn(std::wstring_view text) const;

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  struct Node {
    std::uint32_t firstEdge = 0;
    std::uint32_t edgeCount = 0;
    std::uint32_t fail = 0;
    // A phrase ends here or at a node this one falls back to.
    bool match = false;
  };
  std::uint32_t Child(std::uint32_t node, wchar_t c) const;

  std::vector<Node> nodes_;
  // The edges of node n are [firstEdge, firstEdge + edgeCount), sorted by
  // character.
  std::vector<wchar_t> edgeChars_;
  std::vector<std::uint32_t> edgeTargets_;
};

}  // namespace qx
