#include "rules/WebsiteGroup.h"

#include <algorithm>

namespace qx {

Website* WebsiteGroup::Find(std::wstring_view url) const {
  const auto it = byUrl_.find(url);
  return it == byUrl_.end() ? nullptr : &*it->second.rule;
}

Website& WebsiteGroup::Insert(std::wstring url, std::int32_t ruleType, std::uint64_t order) {
  Erase(url);
  rules_.emplace_back(std::move(url), ruleType);
  const auto rule = std::prev(rules_.end());
  byUrl_.emplace(std::wstring_view(rule->URL), Slot{rule, order});
  CountLength(rule->URL.size(), +1);
  return *rule;
}

bool WebsiteGroup::Erase(std::wstring_view url) {
  const auto it = byUrl_.find(url);
  if (it == byUrl_.end()) return false;
  const auto rule = it->second.rule;
  CountLength(rule->URL.size(), -1);
  byUrl_.erase(it);
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
