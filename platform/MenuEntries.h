#pragma once
// The entries of a pop-up menu port as a flat list, numbered from 1, each
// naming its parent entry (0: the menu itself); children come after their
// parents.

#include <cstddef>
#include <utility>
#include <vector>

namespace qx {

// Whether the user can choose entry index (from 1): not a heading ("-..."),
// not an entry that opens a submenu, and neither it nor any entry above it
// greyed. Entry is any type with `caption`, an int `parent` and `enabled`.
template <class Entry>
bool Choosable(const std::vector<Entry>& entries, int index) {
  const auto at = [&entries](int i) -> const Entry* {
    if (i < 1 || static_cast<std::size_t>(i) > entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(i) - 1];
  };
  const Entry* e = at(index);
  if (e == nullptr || e->caption.starts_with(L"-")) return false;
  for (const Entry& other : entries) {
    if (other.parent == index) return false;
  }
  for (; e != nullptr; e = at(e->parent)) {
    if (!e->enabled) return false;
  }
  return true;
}

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
