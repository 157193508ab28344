#include "rules/PhraseMatcher.h"

#include <algorithm>

#include "rules/TextHash.h"

namespace qx {
namespace {

// Without the table, nodes with at least this many ASCII children get a
// row: a row costs 512 bytes, so only nodes many steps pass through.
constexpr std::size_t kRowFanOut = 8;

}  // namespace

// MixHash is a bijection and the key plus one is never 0, so equal hashes
// mean equal keys and no key needs storing.
std::uint64_t PhraseMatcher::EdgeHash(std::uint32_t node, wchar_t c) {
  const std::uint64_t key = (std::uint64_t{node} << 32) | static_cast<std::uint32_t>(c);
  return MixHash(key + 1);
}

std::uint32_t PhraseMatcher::Child(std::uint32_t node, wchar_t c) const {
  if ((nodes_[node].childMask & MaskBit(c)) == 0) return kNone;
  const std::uint32_t* next = edges_.Find(EdgeHash(node, c), [](std::uint32_t) { return true; });
  return next ? *next : kNone;
}

PhraseMatcher::PhraseMatcher(const std::vector<std::wstring_view>& phrases,
                             std::size_t tableBudget) {
  BuildTrie(phrases);
  matchesAll_ = nodes_[0].match;
  if (nodes_.size() * (classes_ + 1) <= tableBudget) {
    BuildTable();
  } else {
    BuildRows();
  }
}

PhraseMatcher::RawTrie PhraseMatcher::CollectTrie(const std::vector<std::wstring_view>& phrases) {
  RawTrie raw;
  raw.ends.push_back(false);
  FlatIndex<std::uint32_t> firstEdges;
  for (const std::wstring_view phrase : phrases) {
    std::uint32_t node = 0;
    std::uint32_t depth = 0;
    for (const wchar_t c : phrase) {
      ++depth;
      const std::uint64_t hash = EdgeHash(node, c);
      if (const std::uint32_t* next = firstEdges.Find(hash, [](std::uint32_t) { return true; })) {
        node = *next;
        continue;
      }
      const auto child = static_cast<std::uint32_t>(raw.ends.size());
      raw.ends.push_back(false);
      firstEdges.Insert(hash, child);
      raw.edges.push_back({depth, node, c, child});
      raw.chars.push_back(c);
      node = child;
    }
    raw.ends[node] = true;
  }
  return raw;
}

void PhraseMatcher::LayOut(RawTrie& raw) {
  std::stable_sort(raw.edges.begin(), raw.edges.end(),
                   [](const TrieEdge& a, const TrieEdge& b) { return a.depth < b.depth; });
  std::vector<std::uint32_t> renumbered(raw.ends.size(), 0);
  for (std::uint32_t i = 0; i < raw.edges.size(); ++i)
    renumbered[raw.edges[i].child] = i + 1;
  nodes_.assign(raw.ends.size(), Node{});
  nodes_[0].match = raw.ends[0];
  for (TrieEdge& e : raw.edges) {
    nodes_[renumbered[e.child]].match = raw.ends[e.child];
    e.parent = renumbered[e.parent];
    e.child = renumbered[e.child];
    nodes_[e.parent].childMask |= MaskBit(e.c);
    edges_.Insert(EdgeHash(e.parent, e.c), e.child);
  }
}

void PhraseMatcher::LinkFallbacks(const std::vector<TrieEdge>& edges) {
  // Shallowest first: a node's link and its target's match flag are final
  // before any deeper node needs them.
  for (const TrieEdge& e : edges) {
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

void PhraseMatcher::ClassifyChars(std::vector<wchar_t> chars) {
  std::sort(chars.begin(), chars.end());
  chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
  classes_ = static_cast<std::uint32_t>(chars.size());
  for (std::uint32_t k = 0; k < chars.size(); ++k) {
    const auto unit = static_cast<std::uint32_t>(chars[k]);
    const auto cls = static_cast<std::uint16_t>(k + 1);
    if (unit < kAscii) {
      asciiClass_[unit] = cls;
    } else {
      otherClasses_.emplace_back(chars[k], cls);
    }
  }
}

void PhraseMatcher::BuildTrie(const std::vector<std::wstring_view>& phrases) {
  // The trie first, numbered as its nodes come; then numbered again breadth
  // first, so that the shallow nodes every search passes through lie
  // together, and each node comes after the node it falls back to.
  RawTrie raw = CollectTrie(phrases);
  LayOut(raw);
  LinkFallbacks(raw.edges);
  ClassifyChars(std::move(raw.chars));
}

std::uint32_t PhraseMatcher::ClassOf(wchar_t c) const {
  const auto unit = static_cast<std::uint32_t>(c);
  if (unit < kAscii) return asciiClass_[unit];
  const auto it = std::lower_bound(otherClasses_.begin(), otherClasses_.end(), c,
                                   [](const auto& entry, wchar_t x) { return entry.first < x; });
  return it != otherClasses_.end() && it->first == c ? it->second : 0;
}

void PhraseMatcher::BuildTable() {
  const std::uint32_t width = classes_ + 1;
  std::vector<wchar_t> charOf(width, 0);
  for (std::uint32_t u = 0; u < kAscii; ++u) {
    if (asciiClass_[u] != 0) charOf[asciiClass_[u]] = static_cast<wchar_t>(u);
  }
  for (const auto& [c, cls] : otherClasses_)
    charOf[cls] = c;
  // Breadth-first numbering puts every node after the node it falls back
  // to, whose row is then complete.
  table_.assign(nodes_.size() * width, 0);
  for (std::uint32_t n = 0; n < nodes_.size(); ++n) {
    for (std::uint32_t k = 1; k < width; ++k) {
      const std::uint32_t child = Child(n, charOf[k]);
      std::uint32_t next = 0;
      if (child != kNone) {
        next = child | (nodes_[child].match ? kMatchBit : 0);
      } else if (n != 0) {
        next = table_[std::size_t{nodes_[n].fail} * width + k];
      }
      table_[std::size_t{n} * width + k] = next;
    }
  }
}

void PhraseMatcher::BuildRows() {
  std::vector<std::uint32_t> asciiChildren(nodes_.size(), 0);
  for (std::uint32_t n = 0; n < nodes_.size(); ++n) {
    for (std::uint32_t u = 0; u < kAscii; ++u) {
      if ((nodes_[n].childMask & MaskBit(static_cast<wchar_t>(u))) != 0 &&
          Child(n, static_cast<wchar_t>(u)) != kNone) {
        ++asciiChildren[n];
      }
    }
  }
  // Shallowest first, so that the node a row falls back to is complete.
  for (std::uint32_t n = 0; n < nodes_.size() && rows_.size() / kAscii < kNoRow; ++n) {
    if (n != 0 && asciiChildren[n] < kRowFanOut) continue;
    const std::size_t row = rows_.size();
    rows_.resize(row + kAscii);
    for (std::uint32_t u = 0; u < kAscii; ++u) {
      const std::uint32_t child = Child(n, static_cast<wchar_t>(u));
      rows_[row + u] = child != kNone ? child
                       : n == 0       ? 0
                                      : Step(nodes_[n].fail, static_cast<wchar_t>(u));
    }
    nodes_[n].row = static_cast<std::uint16_t>(row / kAscii);
  }
}

std::uint32_t PhraseMatcher::Step(std::uint32_t state, wchar_t c) const {
  for (;;) {
    const Node& n = nodes_[state];
    if (n.row != kNoRow && static_cast<std::uint32_t>(c) < kAscii) {
      return rows_[std::size_t{n.row} * kAscii + static_cast<std::uint32_t>(c)];
    }
    if (const std::uint32_t next = Child(state, c); next != kNone) return next;
    if (state == 0) return 0;
    state = n.fail;
  }
}

bool PhraseMatcher::AnyIn(std::wstring_view text) const {
  if (matchesAll_) return true;
  if (nodes_.size() <= 1) return false;
  if (!table_.empty()) {
    const std::size_t width = classes_ + 1;
    std::uint32_t state = 0;
    for (const wchar_t c : text) {
      state = table_[std::size_t{state} * width + ClassOf(c)];
      if (state & kMatchBit) return true;
    }
    return false;
  }
  std::uint32_t state = 0;
  for (const wchar_t c : text) {
    state = Step(state, c);
    if (nodes_[state].match) return true;
  }
  return false;
}

}  // namespace qx
