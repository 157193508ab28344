#include "rules/PhraseMatcher.h"

#include <algorithm>

#include "rules/TextHash.h"

namespace qx {
namespace {

// Nodes with at least this many ASCII children get a row: a row costs 512
// bytes, so only nodes that many steps pass through are worth one.
constexpr std::size_t kRowFanOut = 8;

}  // namespace

PhraseMatcher::PhraseMatcher() : nodes_(1) {}

// MixHash is a bijection and the key plus one is never 0, so equal hashes
// mean equal keys and no key needs storing.
std::uint64_t PhraseMatcher::EdgeHash(std::uint32_t node, wchar_t c) {
  const std::uint64_t key = (std::uint64_t{node} << 32) | static_cast<std::uint32_t>(c);
  return MixHash(key + 1);
}

std::uint32_t PhraseMatcher::Child(std::uint32_t node, wchar_t c) const {
  const Node& n = nodes_[node];
  const auto unit = static_cast<std::uint32_t>(c);
  if (n.row != kNoRow && unit < kAscii) return rows_[std::size_t{n.row} * kAscii + unit];
  if ((n.childMask & MaskBit(c)) == 0) return kNone;
  const std::uint32_t* next = edges_.Find(EdgeHash(node, c), [](std::uint32_t) { return true; });
  return next ? *next : kNone;
}

PhraseMatcher::PhraseMatcher(const std::vector<std::wstring_view>& phrases) : PhraseMatcher() {
  // The trie first, numbered as its nodes come; then numbered again breadth
  // first, so that the shallow nodes every search passes through lie
  // together in a few cache lines.
  struct Edge {
    std::uint32_t depth;
    std::uint32_t parent;
    wchar_t c;
    std::uint32_t child;
  };
  std::vector<Edge> trie;
  std::vector<bool> ends(1, false);
  {
    FlatIndex<std::uint32_t> firstEdges;
    for (const std::wstring_view phrase : phrases) {
      std::uint32_t node = 0;
      std::uint32_t depth = 0;
      for (const wchar_t c : phrase) {
        ++depth;
        const std::uint64_t hash = EdgeHash(node, c);
        const std::uint32_t* next = firstEdges.Find(hash, [](std::uint32_t) { return true; });
        if (next) {
          node = *next;
          continue;
        }
        const auto child = static_cast<std::uint32_t>(ends.size());
        ends.push_back(false);
        firstEdges.Insert(hash, child);
        trie.push_back({depth, node, c, child});
        node = child;
      }
      ends[node] = true;
    }
  }
  std::stable_sort(trie.begin(), trie.end(),
                   [](const Edge& a, const Edge& b) { return a.depth < b.depth; });
  std::vector<std::uint32_t> renumbered(ends.size(), 0);
  for (std::uint32_t i = 0; i < trie.size(); ++i)
    renumbered[trie[i].child] = i + 1;
  nodes_.resize(ends.size());
  nodes_[0].match = ends[0];
  std::vector<std::uint32_t> asciiChildren(ends.size(), 0);
  for (Edge& e : trie) {
    nodes_[renumbered[e.child]].match = ends[e.child];
    e.parent = renumbered[e.parent];
    e.child = renumbered[e.child];
    nodes_[e.parent].childMask |= MaskBit(e.c);
    edges_.Insert(EdgeHash(e.parent, e.c), e.child);
    if (static_cast<std::uint32_t>(e.c) < kAscii) ++asciiChildren[e.parent];
  }

  for (std::uint32_t n = 0; n < nodes_.size() && rows_.size() / kAscii < kNoRow; ++n) {
    if (n != 0 && asciiChildren[n] < kRowFanOut) continue;
    nodes_[n].row = static_cast<std::uint16_t>(rows_.size() / kAscii);
    rows_.resize(rows_.size() + kAscii, kNone);
  }
  for (const Edge& e : trie) {
    const auto unit = static_cast<std::uint32_t>(e.c);
    if (nodes_[e.parent].row != kNoRow && unit < kAscii) {
      rows_[std::size_t{nodes_[e.parent].row} * kAscii + unit] = e.child;
    }
  }

  // Fall-back links shallowest first: a node's link and its target's match
  // flag are final before any deeper node needs them.
  for (const Edge& e : trie) {
    std::uint32_t fail = 0;
    if (e.parent != 0) {
      for (std::uint32_t back = nodes_[e.parent].fail;; back = nodes_[back].fail) {
        const std::uint32_t next = Child(back, e.c);
        if (next != kNone) {
          fail = next;
          break;
        }
        if (back == 0) break;
      }
    }
    nodes_[e.child].fail = fail;
    nodes_[e.child].match = nodes_[e.child].match || nodes_[fail].match;
  }
}

bool PhraseMatcher::AnyIn(std::wstring_view text) const {
  if (nodes_[0].match) return true;
  std::uint32_t state = 0;
  for (const wchar_t c : text) {
    for (;;) {
      const std::uint32_t next = Child(state, c);
      if (next != kNone) {
        state = next;
        break;
      }
      if (state == 0) break;
      state = nodes_[state].fail;
    }
    if (nodes_[state].match) return true;
  }
  return false;
}

}  // namespace qx
