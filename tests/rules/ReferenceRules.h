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
};

struct SiteGroup {
  std::wstring host;
  std::vector<SiteRule> rules;
};

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

  // A record of the rule file: its URL was cut when the rule was made.
  void AddStored(std::wstring_view storedUrl, std::int32_t type, bool matchSubdomains) {
    const auto [host, url] = Normalise(storedUrl, false);
    Put(host, url, type, matchSubdomains);
  }

  bool Remove(std::wstring_view rawUrl) {
    const auto [host, url] = Normalise(rawUrl, true);
    for (auto g = groups.begin(); g != groups.end(); ++g) {
      if (g->host != host) continue;
      for (auto r = g->rules.begin(); r != g->rules.end(); ++r) {
        if (r->url != url) continue;
        g->rules.erase(r);
        if (g->rules.empty()) groups.erase(g);
        return true;
      }
      return false;
    }
    return false;
  }

  bool Allow(std::wstring_view rawUrl, const Options& o) const {
    std::wstring url = LowerCase(rawUrl);
    if (o.ignoreLocal && url.starts_with(L"file://")) return true;
    if (o.allowHttps && url.starts_with(L"https://")) return true;
    std::wstring host;
    Start(url, host);
    bool sameSite = true;
    for (;;) {
      if (const SiteGroup* group = Find(host)) {
        for (const SiteRule& rule : group->rules) {
          if (!url.starts_with(rule.url)) continue;
          if (!rule.matchSubdomains && !sameSite) continue;
          if (rule.type == 1) return true;
          if (rule.type == 2) return false;
        }
      }
      if (host == L"javascript:" || !website::HasDoubleDot(host)) break;
      sameSite = host.starts_with(L"www.");
      host = std::wstring(website::StripToDot(host));
      url = std::wstring(website::StripToDot(url));
    }
    return !o.blockByDefault;
  }

  bool Kill(std::wstring_view rawUrl, const Options& o) const {
    std::wstring url = website::PageLocalPathToFileUrl(LowerCase(rawUrl));
    if (o.ignoreLocal && url.starts_with(L"file://")) return false;
    if (o.allowHttps && url.starts_with(L"https://")) return false;
    std::wstring host;
    Start(url, host);
    bool sameSite = true;
    for (;;) {
      if (const SiteGroup* group = Find(host)) {
        for (const SiteRule& rule : group->rules) {
          if (url.starts_with(rule.url) && (rule.type == 3 || rule.type == 4) &&
              (rule.matchSubdomains || sameSite)) {
            return true;
          }
        }
      }
      if (host == L"javascript:" || !website::HasDoubleDot(host)) break;
      sameSite = host.starts_with(L"www.");
      host = std::wstring(website::StripToDot(host));
      url = std::wstring(website::StripToDot(url));
    }
    return false;
  }

  const SiteGroup* Find(std::wstring_view host) const {
    for (const SiteGroup& g : groups) {
      if (g.host == host) return &g;
    }
    return nullptr;
  }
  SiteGroup* Find(std::wstring_view host) {
    for (SiteGroup& g : groups) {
      if (g.host == host) return &g;
    }
    return nullptr;
  }

  std::vector<SiteGroup> groups;

 private:
  static std::pair<std::wstring, std::wstring> Normalise(std::wstring_view rawUrl, bool cutQuery) {
    std::wstring url = LowerCase(rawUrl);
    const bool drive = url.size() >= 3 && url.substr(1, 2) == L":/";
    if ((url.size() == 2 && url[1] == L':') || (drive && url.size() < 4) ||
        (drive && !website::IsSlash(url[3]))) {
      url = L"file://" + url;
    }
    if (cutQuery) url = website::StripQuery(url);
    return {website::HostOf(url), website::StripProtocol(url)};
  }

  void Put(const std::wstring& host, const std::wstring& url, std::int32_t type,
           bool matchSubdomains) {
    SiteGroup* group = Find(host);
    if (!group) {
      groups.push_back({host, {}});
      group = &groups.back();
    }
    std::erase_if(group->rules, [&](const SiteRule& r) { return r.url == url; });
    group->rules.push_back({url, type, matchSubdomains});
  }

  static void Start(std::wstring& url, std::wstring& host) {
    url = website::StripQuery(url);
    host = website::HostOf(url);
    url = website::StripProtocol(url);
    if (host != L"javascript:") {
      host = L"www." + host;
      url = L"www." + url;
    }
  }
};

struct WindowRule {
  std::wstring caption;
  std::int32_t status;
};

struct WindowRuleGroup {
  std::wstring program;
  std::vector<WindowRule> rules;
};

class ReferenceWindows {
 public:
  void Add(std::wstring_view program, std::wstring_view caption, std::int32_t status) {
    const std::wstring trimmed = Trim(caption);
    if (trimmed.empty()) return;  // refused, as by the real rules
    const std::wstring key = program.empty() ? L"_general" : LowerCase(program);
    WindowRuleGroup* group = Find(key);
    if (!group) {
      groups.push_back({key, {}});
      group = &groups.back();
    }
    std::erase_if(group->rules,
                  [&](const WindowRule& r) { return EqualsNoCase(r.caption, trimmed); });
    group->rules.push_back({trimmed, status});
  }

  bool Remove(std::wstring_view program, std::wstring_view caption) {
    const std::wstring trimmed = Trim(caption);
    const std::wstring key = program.empty() ? L"_general" : LowerCase(program);
    for (auto g = groups.begin(); g != groups.end(); ++g) {
      if (g->program != key) continue;
      for (auto r = g->rules.begin(); r != g->rules.end(); ++r) {
        if (!EqualsNoCase(r->caption, trimmed)) continue;
        g->rules.erase(r);
        if (g->rules.empty()) groups.erase(g);
        return true;
      }
      return false;
    }
    return false;
  }

  int ContainsRuleCount() const {
    int n = 0;
    for (const auto& g : groups) {
      n += static_cast<int>(std::count_if(g.rules.begin(), g.rules.end(),
                                          [](const WindowRule& r) { return r.status == 1; }));
    }
    return n;
  }

  bool Kill(std::wstring_view program, std::wstring_view caption) const {
    const std::wstring lower = LowerCase(program);
    if (const WindowRuleGroup* group = Find(lower)) {
      const std::wstring c = LowerCase(Trim(caption));
      for (const WindowRule& rule : group->rules) {
        if (EqualsNoCase(rule.caption, c) && (rule.status == 1 || rule.status == 2)) return true;
      }
      if (ContainsRuleCount() != 0) {
        for (const WindowRule& rule : group->rules) {
          const std::wstring r = LowerCase(rule.caption);
          const bool occurs = c.find(r) != std::wstring::npos;
          if (rule.status == 1 && occurs) return true;
          if (rule.status == 2 && occurs && r == c) return true;
        }
      }
    }
    if (lower != L"_general") return Kill(L"_general", caption);
    return false;
  }

  const WindowRuleGroup* Find(std::wstring_view program) const {
    for (const auto& g : groups) {
      if (g.program == program) return &g;
    }
    return nullptr;
  }
  WindowRuleGroup* Find(std::wstring_view program) {
    for (auto& g : groups) {
      if (g.program == program) return &g;
    }
    return nullptr;
  }

  std::vector<WindowRuleGroup> groups;
};

}  // namespace qx::reference
