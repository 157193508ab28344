#include "rules/PhraseMatcher.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace qx {

PhraseMatcher::PhraseMatcher(const std::vector<std::wstring_view>& phrases) {
  // The trie first, its edges in a hash of (node, character); then laid out
  // compactly with each node's edges sorted for a binary search.
  struct Edge {
    std::uint32_t parent;
    wchar_t c;
    std::uint32_t child;
  };
  std::vector<Edge> edges;
  std::unordered_map<std::uint64_t, std::uint32_t> trie;
  std::vector<bool> ends(1, false);
  for (const std::wstring_view phrase : phrases) {
    std::uint32_t node = 0;
    for (const wchar_t c : phrase) {
      const std::uint64_t key = (std::uint64_t{node} << 32) | static_cast<std::uint32_t>(c);
      const auto [it, added] = trie.try_emplace(key, static_cast<std::uint32_t>(ends.size()));
      if (added) {
        edges.push_back({node, c, it->second});
        ends.push_back(false);
      }
      node = it->second;
    }
    ends[node] = true;
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
    return std::tie(a.parent, a.c) < std::tie(b.parent, b.c);
  });
  nodes_.resize(ends.size());
  edgeChars_.reserve(edges.size());
  edgeTargets_.reserve(edges.size());
  for (std::uint32_t i = 0; i < edges.size(); ++i) {
    Node& parent = nodes_[edges[i].parent];
    if (parent.edgeCount == 0) parent.firstEdge = i;
    ++parent.edgeCount;
    edgeChars_.push_back(edges[i].c);
    edgeTargets_.push_back(edges[i].child);
  }
  for (std::size_t n = 0; n < ends.size(); ++n)
    nodes_[n].match = ends[n];

  // Fall-back links breadth first, so a node's link is known before its
  // children need it.
  std::vector<std::uint32_t> queue{0};
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const std::uint32_t node = queue[head];
    const Node parent = nodes_[node];
    for (std::uint32_t e = parent.firstEdge; e < parent.firstEdge + parent.edgeCount; ++e) {
      const std::uint32_t child = edgeTargets_[e];
      std::uint32_t fail = 0;
      if (node != 0) {
        std::uint32_t back = parent.fail;
        for (;;) {
          const std::uint32_t next = Child(back, edgeChars_[e]);
          if (next != kNone) {
            fail = next;
            break;
          }
          if (back == 0) break;
          back = nodes_[back].fail;
        }
      }
      nodes_[child].fail = fail;
      nodes_[child].match = nodes_[child].match || nodes_[fail].match;
      queue.push_back(child);
    }
  }
}

std::uint32_t PhraseMatcher::Child(std::uint32_t node, wchar_t c) const {
  const Node& n = nodes_[node];
  const auto first = edgeChars_.begin() + n.firstEdge;
  const auto last = first + n.edgeCount;
  const auto it = std::lower_bound(first, last, c);
  if (it == last || *it != c) return kNone;
  return edgeTargets_[static_cast<std::size_t>(it - edgeChars_.begin())];
}

bool PhraseMatcher::AnyIn(std::wstring_view text) const {
  if (nodes_.empty()) return false;
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
