#include "rules/WebsiteGroup.h"

#include <algorithm>

namespace qx {

Website* WebsiteGroup::Find(std::wstring_view url) const {
  const Slot* slot = byUrl_.Find(UrlHash(url), [&](const Slot& s) { return s.rule->URL == url; });
  return slot ? &*slot->rule : nullptr;
}

Website& WebsiteGroup::Insert(std::wstring url, std::int32_t ruleType, std::uint64_t order) {
  const std::uint64_t hash = UrlHash(url);
  Slot* slot = byUrl_.Find(hash, [&](const Slot& s) { return s.rule->URL == url; });
  rules_.emplace_back(std::move(url), ruleType);
  const auto rule = std::prev(rules_.end());
  if (slot) {
    // The same URL: the old rule goes, the new one takes its place last.
    rules_.erase(slot->rule);
    *slot = Slot{rule, order};
  } else {
    byUrl_.Insert(hash, Slot{rule, order});
    CountLength(rule->URL.size(), +1);
  }
  return *rule;
}

bool WebsiteGroup::Erase(std::wstring_view url) {
  std::list<Website>::iterator rule;
  if (!byUrl_.Erase(UrlHash(url), [&](const Slot& s) {
        if (s.rule->URL != url) return false;
        rule = s.rule;
        return true;
      })) {
    return false;
  }
  CountLength(rule->URL.size(), -1);
  rules_.erase(rule);
  return true;
}

void WebsiteGroup::CountLength(std::size_t length, int change) {
  auto it = std::lower_bound(lengths_.begin(), lengths_.end(), length,
                             [](const auto& entry, std::size_t len) { return entry.first < len; });
  if (it == lengths_.end() || it->first != length) {
    if (change < 0) return;
    it = lengths_.insert(it, {length, 0});
  }
  it->second = static_cast<std::uint32_t>(static_cast<std::int64_t>(it->second) + change);
  if (it->second == 0) lengths_.erase(it);
}

}  // namespace qx
