#pragma once
// A table from a well-mixed 64-bit hash to small values, in one array probed in line.
// The caller keeps the keys: every value whose hash matches is offered to
// the caller's test. A lookup that finds nothing usually reads one cache
// line and no key at all, which is what most lookups of the rule queries do.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace qx {

template <class Value>
class FlatIndex {
 public:
  std::size_t Size() const { return size_; }

  // The stored value for which matches(value) holds, or none.
  template <class Matches>
  Value* Find(std::uint64_t hash, Matches&& matches) {
    if (entries_.empty()) return nullptr;
    hash = Stored(hash);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Entry& e = entries_[i];
      if (e.hash == 0) return nullptr;
      if (e.hash == hash && matches(e.value)) return &e.value;
    }
  }
  template <class Matches>
  const Value* Find(std::uint64_t hash, Matches&& matches) const {
    return const_cast<FlatIndex*>(this)->Find(hash, std::forward<Matches>(matches));
  }

  // The key must not be in the table yet.
  void Insert(std::uint64_t hash, Value value) {
    if ((size_ + 1) * 4 > entries_.size() * 3) Grow();
    Place(Stored(hash), std::move(value));
    ++size_;
  }

  template <class Matches>
  bool Erase(std::uint64_t hash, Matches&& matches) {
    if (entries_.empty()) return false;
    hash = Stored(hash);
    std::size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      if (entries_[i].hash == 0) return false;
      if (entries_[i].hash == hash && matches(entries_[i].value)) break;
    }
    // Shift later entries of the same run back, so that no lookup stops
    // early at the hole.
    for (std::size_t j = (i + 1) & mask_; entries_[j].hash != 0; j = (j + 1) & mask_) {
      const std::size_t home = entries_[j].hash & mask_;
      const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (!between) {
        entries_[i] = std::move(entries_[j]);
        i = j;
      }
    }
    entries_[i] = Entry{};
    --size_;
    return true;
  }

  void Clear() {
    entries_.clear();
    mask_ = 0;
    size_ = 0;
  }

 private:
  struct Entry {
    std::uint64_t hash = 0;  // 0: empty
    Value value{};
  };

  static std::uint64_t Stored(std::uint64_t hash) { return hash == 0 ? 1 : hash; }

  void Place(std::uint64_t hash, Value value) {
    std::size_t i = hash & mask_;
    while (entries_[i].hash != 0)
      i = (i + 1) & mask_;
    entries_[i] = Entry{hash, std::move(value)};
  }

  void Grow() {
    std::vector<Entry> old = std::move(entries_);
    const std::size_t capacity = old.empty() ? 8 : old.size() * 2;
    entries_.assign(capacity, Entry{});
    mask_ = capacity - 1;
    for (Entry& e : old) {
      if (e.hash != 0) Place(e.hash, std::move(e.value));
    }
  }

  std::vector<Entry> entries_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
};

}  // namespace qx
