#pragma once
// The rules of one host, in the order they were added.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rules/FlatIndex.h"
#include "rules/TextHash.h"
#include "rules/Website.h"

namespace qx {

class WebsiteGroup {
 public:
  explicit WebsiteGroup(std::wstring host) : host_(std::move(host)) {}
  WebsiteGroup(const WebsiteGroup&) = delete;
  WebsiteGroup& operator=(const WebsiteGroup&) = delete;

  const std::wstring& Host() const { return host_; }
  // The number of rules.
  std::size_t Count() const { return rules_.size(); }
  std::list<Website>::const_iterator begin() const { return rules_.begin(); }
  std::list<Website>::const_iterator end() const { return rules_.end(); }

 private:
  friend class Websites;

  struct Slot {
    std::list<Website>::iterator rule;
    // Rises with every rule added to any group, so that among the rules
    // matching one URL the one added first is found without a scan.
    std::uint64_t order = 0;
  };

  Website* Find(std::wstring_view url) const;
  // Appends the rule; a rule with the same URL goes first.
  Website& Insert(std::wstring url, std::int32_t ruleType, std::uint64_t order);
  bool Erase(std::wstring_view url);

  // Calls visit(rule, order) for every rule whose URL begins `url`, shortest
  // URL first, until visit answers true. Only the lengths that some rule
  // has are looked up, each by a hash carried forward along the URL.
  template <class Visit>
  void ForEachPrefixRule(std::wstring_view url, Visit&& visit) const {
    PrefixHash hash;
    std::size_t hashed = 0;
    for (const auto& [length, count] : lengths_) {
      if (length > url.size()) break;
      while (hashed < length)
        hash.Add(url[hashed++]);
      const std::wstring_view prefix = url.substr(0, length);
      const Slot* slot =
          byUrl_.Find(MixHash(hash.Value()), [&](const Slot& s) { return s.rule->URL == prefix; });
      if (slot && visit(*slot->rule, slot->order)) return;
    }
  }

  void CountLength(std::size_t length, int change);

  std::wstring host_;
  std::list<Website> rules_;
  FlatIndex<Slot> byUrl_;
  // The distinct URL lengths in this group, ascending, with their counts.
  std::vector<std::pair<std::size_t, std::uint32_t>> lengths_;
};

}  // namespace qx
