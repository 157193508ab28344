#pragma once
// The entries of a pop-up menu port as a flat list, numbered from 1, each
// naming its parent entry (0: the menu itself); children come after their
// parents.

#include <cstddef>
#include <utility>
#include <vector>

namespace qx {

// Drops every descendant of entry parent and renumbers the parents of the
// entries that stay. Entry is any type with an int `parent`.
template <class Entry>
void DropSubEntries(std::vector<Entry>& entries, int parent) {
  // Children come after their parents: one pass finds every descendant.
  std::vector<bool> gone(entries.size() + 1, false);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int p = entries[i].parent;
    gone[i + 1] = p != 0 && (p == parent || gone[static_cast<std::size_t>(p)]);
  }
  std::vector<Entry> kept;
  std::vector<int> renumber(entries.size() + 1, 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (gone[i + 1]) continue;
    kept.push_back(std::move(entries[i]));
    renumber[i + 1] = static_cast<int>(kept.size());
  }
  for (Entry& e : kept)
    e.parent = renumber[static_cast<std::size_t>(e.parent)];
  entries = std::move(kept);
}

}  // namespace qx
