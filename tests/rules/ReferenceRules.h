#pragma once
// Straightforward models of the website and window rules: plain lists
// searched from the front, step by step as the rules are meant, with no
// index. The tests compare the real structures with them on random rule
// sets.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "rules/WebsiteUrl.h"

namespace qx::reference {

struct Options {
  bool ignoreLocal = false;
  bool allowHttps = false;
  bool blockByDefault = true;
};

struct SiteRule {
  std::wstring url;
  std::int32_t type;
  bool matchSubdomains;
  bool operator==(const SiteRule&) const = default;
};

struct SiteGroup {
  std::wstring host;
  std::vector<SiteRule> rules;
  bool operator==(const SiteGroup&) const = default;
};

// The group keyed `key` in a list of groups, appended when `add` is set.
template <class Group>
Group* FindIn(std::vector<Group>& groups, std::wstring_view key, bool add = false) {
  for (Group& g : groups) {
    if (g.key() == key) return &g;
  }
  if (!add) return nullptr;
  groups.push_back({std::wstring(key), {}});
  return &groups.back();
}

class ReferenceWebsites {
 public:
  void Add(std::wstring_view rawUrl, std::int32_t type, bool stripWww, bool matchSubdomains) {
    auto [host, url] = Normalise(rawUrl, true);
    if (stripWww && host.starts_with(L"www.") && website::HasDoubleDot(host)) {
      host = host.substr(4);
      url = url.size() >= 4 ? url.substr(4) : std::wstring();
    }
    Put(host, url, type, matchSubdomains);
  }

  // A record of the rule file reads as a typed rule, except that a "?" in it
  // stands for a character the code page could not hold: not a query.
  void AddStored(std::wstring_view storedUrl, std::int32_t type, bool matchSubdomains) {
    const auto [host, url] = Normalise(storedUrl, false);
    Put(host, url, type, matchSubdomains);
  }

  // As typed, or else as a rule's own URL.
  bool Remove(std::wstring_view rawUrl) {
    return RemoveKey(Normalise(rawUrl, true)) || RemoveKey(Normalise(rawUrl, false));
  }

 private:
  bool RemoveKey(const std::pair<std::wstring, std::wstring>& key) {
    const auto& [host, url] = key;
    Group* group = FindIn(groups_, host);
    if (!group ||
        std::erase_if(group->rules, [&](const SiteRule& r) { return r.url == url; }) == 0) {
      return false;
    }
    std::erase_if(groups_, [](const Group& g) { return g.rules.empty(); });
    return true;
  }

 public:
  bool Allow(std::wstring_view rawUrl, const Options& o) const {
    const std::wstring url = LowerCase(rawUrl);
    if (o.ignoreLocal && url.starts_with(L"file://")) return true;
    if (o.allowHttps && url.starts_with(L"https://")) return true;
    int decision = -1;
    Walk(url, [&](const SiteRule& rule, bool sameSite) {
      if (!rule.matchSubdomains && !sameSite) return false;
      if (rule.type == 1 || rule.type == 2) decision = rule.type == 1;
      return decision >= 0;
    });
    return decision < 0 ? !o.blockByDefault : decision == 1;
  }

  bool Kill(std::wstring_view rawUrl, const Options& o) const {
    const std::wstring url = website::PageLocalPathToFileUrl(LowerCase(rawUrl));
    if (o.ignoreLocal && url.starts_with(L"file://")) return false;
    if (o.allowHttps && url.starts_with(L"https://")) return false;
    bool kill = false;
    Walk(url, [&](const SiteRule& rule, bool sameSite) {
      return kill = (rule.type == 3 || rule.type == 4) && (rule.matchSubdomains || sameSite);
    });
    return kill;
  }

  std::vector<SiteGroup> Groups() const { return {groups_.begin(), groups_.end()}; }

 private:
  struct Group : SiteGroup {
    const std::wstring& key() const { return host; }
  };

  static std::pair<std::wstring, std::wstring> Normalise(std::wstring_view rawUrl, bool cutQuery) {
    std::wstring url = LowerCase(rawUrl);
    const bool drive = url.size() >= 3 && url.substr(1, 2) == L":/";
    if ((url.size() == 2 && url[1] == L':') || (drive && url.size() < 4) ||
        (drive && !website::IsSlash(url[3]))) {
      url = L"file://" + url;
    }
    if (cutQuery) {
      url = website::StripQuery(url);
    } else if (!url.starts_with(L"javascript:")) {
      url = url.substr(0, url.find(L'#'));
      if (!url.empty() && website::IsSlash(url.back())) url.pop_back();
    }
    return {website::HostOf(url), website::StripProtocol(url)};
  }

  void Put(const std::wstring& host, const std::wstring& url, std::int32_t type, bool subdomains) {
    Group* group = FindIn(groups_, host, true);
    std::erase_if(group->rules, [&](const SiteRule& r) { return r.url == url; });
    group->rules.push_back({url, type, subdomains});
  }

  // Offers every rule that applies to the page, from its own name to its
  // parent domains, until decide answers true.
  template <class Decide>
  void Walk(const std::wstring& page, Decide&& decide) const {
    std::wstring url = website::StripQuery(page);
    std::wstring host = website::HostOf(url);
    url = website::StripProtocol(url);
    if (host != L"javascript:") {
      host = L"www." + host;
      url = L"www." + url;
    }
    for (bool sameSite = true;;) {
      for (const Group& g : groups_) {
        if (g.host != host) continue;
        for (const SiteRule& rule : g.rules) {
          if (url.starts_with(rule.url) && decide(rule, sameSite)) return;
        }
      }
      if (host == L"javascript:" || !website::HasDoubleDot(host)) return;
      sameSite = host.starts_with(L"www.");
      host = std::wstring(website::StripToDot(host));
      url = std::wstring(website::StripToDot(url));
    }
  }

  std::vector<Group> groups_;
};

struct WindowRule {
  std::wstring caption;
  std::int32_t status;
};

struct WindowRuleGroup {
  std::wstring program;
  std::vector<WindowRule> rules;
  const std::wstring& key() const { return program; }
};

class ReferenceWindows {
 public:
  void Add(std::wstring_view program, std::wstring_view caption, std::int32_t status) {
    const std::wstring trimmed = Trim(caption);
    if (trimmed.empty()) return;  // refused, as by the real rules
    WindowRuleGroup* group = FindIn(groups, Key(program), true);
    std::erase_if(group->rules,
                  [&](const WindowRule& r) { return EqualsNoCase(r.caption, trimmed); });
    group->rules.push_back({trimmed, status});
  }

  bool Remove(std::wstring_view program, std::wstring_view caption) {
    const std::wstring trimmed = Trim(caption);
    WindowRuleGroup* group = FindIn(groups, Key(program));
    if (!group || std::erase_if(group->rules, [&](const WindowRule& r) {
                    return EqualsNoCase(r.caption, trimmed);
                  }) == 0) {
      return false;
    }
    std::erase_if(groups, [](const WindowRuleGroup& g) { return g.rules.empty(); });
    return true;
  }

  int ContainsRuleCount() const {
    int n = 0;
    for (const auto& g : groups) {
      for (const auto& r : g.rules)
        n += r.status == 1;
    }
    return n;
  }

  bool Kill(std::wstring_view program, std::wstring_view caption) {
    const std::wstring lower = LowerCase(program);
    if (const WindowRuleGroup* group = FindIn(groups, lower)) {
      const std::wstring c = LowerCase(Trim(caption));
      for (const WindowRule& rule : group->rules) {
        if (EqualsNoCase(rule.caption, c) && (rule.status == 1 || rule.status == 2)) return true;
      }
      const bool phrases = ContainsRuleCount() != 0;
      for (const WindowRule& rule : group->rules) {
        const std::wstring r = LowerCase(rule.caption);
        const bool occurs = phrases && c.find(r) != std::wstring::npos;
        if ((rule.status == 1 && occurs) || (rule.status == 2 && occurs && r == c)) return true;
      }
    }
    return lower != L"_general" && Kill(L"_general", caption);
  }

  std::vector<WindowRuleGroup> groups;

 private:
  static std::wstring Key(std::wstring_view program) {
    return program.empty() ? L"_general" : LowerCase(program);
  }
};

}  // namespace qx::reference
