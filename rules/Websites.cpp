#include "rules/Websites.h"

#include <new>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "rules/WebsiteFiles.h"
#include "rules/WebsiteUrl.h"

namespace qx {
namespace {

constexpr std::wstring_view kWww = L"www.";

}  // namespace

Websites::Websites(FileSystem& files, const AnsiCodec& ansi, Settings& settings,
                   ErrorReporter& errors)
    : files_(files), ansi_(ansi), settings_(settings), errors_(errors) {
  Load();
}

Websites::RuleKey Websites::Normalise(std::wstring_view url, bool cutQuery) {
  std::wstring text = website::RuleLocalPathToFileUrl(LowerCase(url));
  if (cutQuery) text = website::StripQuery(text);
  RuleKey key;
  key.host = website::HostOf(text);
  key.url = website::StripProtocol(text);
  return key;
}

Websites::RuleKey Websites::QueryStart(std::wstring_view lowerUrl) {
  const std::wstring text = website::StripQuery(lowerUrl);
  RuleKey key;
  key.host = website::HostOf(text);
  key.url = website::StripProtocol(text);
  if (key.host != website::kScriptScheme) {
    key.host.insert(0, kWww);
    key.url.insert(0, kWww);
  }
  return key;
}

template <class Visit>
void Websites::Walk(const RuleKey& start, Visit&& visit) const {
  std::wstring_view host = start.host;
  std::wstring_view url = start.url;
  bool sameSite = true;
  for (;;) {
    if (const WebsiteGroup* group = GroupOf(host); group && visit(*group, url, sameSite)) return;
    // The walk ends at the last name with two dots, so a single-label host
    // (or a drive like "c:") never has its own group consulted.
    if (host == website::kScriptScheme || !website::HasDoubleDot(host)) return;
    sameSite = host.starts_with(kWww);
    host = website::StripToDot(host);
    url = website::StripToDot(url);
  }
}

bool Websites::Allow(std::wstring_view url) const {
  const std::wstring lower = LowerCase(url);
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) return true;
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) return true;
  std::optional<bool> decision;
  Walk(QueryStart(lower), [&](const WebsiteGroup& group, std::wstring_view page, bool sameSite) {
    // The first applying allow or disallow rule in the order the rules were
    // added decides; other types are passed over.
    const Website* first = nullptr;
    std::uint64_t firstOrder = UINT64_MAX;
    group.ForEachPrefixRule(page, [&](const Website& rule, std::uint64_t order) {
      if ((rule.MatchSubdomains || sameSite) &&
          (rule.RuleType == kAllowPopups || rule.RuleType == kDisallowPopups) &&
          order < firstOrder) {
        first = &rule;
        firstOrder = order;
      }
      return false;
    });
    if (first) decision = first->RuleType == kAllowPopups;
    return first != nullptr;
  });
  return decision.value_or(!settings_.BlockByDefault());
}

bool Websites::Kill(std::wstring_view url) const {
  const std::wstring lower = website::PageLocalPathToFileUrl(LowerCase(url));
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) return false;
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) return false;
  bool kill = false;
  Walk(QueryStart(lower), [&](const WebsiteGroup& group, std::wstring_view page, bool sameSite) {
    group.ForEachPrefixRule(page, [&](const Website& rule, std::uint64_t) {
      kill = (rule.MatchSubdomains || sameSite) &&
             (rule.RuleType == kAlwaysKill || rule.RuleType == kAlwaysKillOld);
      return kill;
    });
    return kill;
  });
  return kill;
}

Website& Websites::Insert(std::wstring_view host, std::wstring url, std::int32_t ruleType) {
  auto found = groupByHost_.find(host);
  if (found == groupByHost_.end()) {
    groups_.emplace_back(std::wstring(host));
    const auto group = std::prev(groups_.end());
    found = groupByHost_.emplace(std::wstring_view(group->Host()), group).first;
  }
  return found->second->Insert(std::move(url), ruleType, nextOrder_++);
}

Website* Websites::Add(std::wstring_view url, std::int32_t ruleType, bool stripWWW) {
  Website* rule = nullptr;
  const auto report = [&](const pError& error) {
    errors_.ReportError(kWebsiteRuleAddSource, kWebsiteRuleAddMessage, false, error);
  };
  try {
    RuleKey key = Normalise(url, true);
    if (stripWWW && key.host.starts_with(kWww) && website::HasDoubleDot(key.host)) {
      key.host.erase(0, kWww.size());
      key.url.erase(0, std::min(kWww.size(), key.url.size()));
    }
    rule = &Insert(key.host, std::move(key.url), ruleType);
  } catch (const PlatformError& e) {
    report(MakeError(e));
    return nullptr;
  } catch (const std::bad_alloc&) {
    report(MakeError(L"Out of memory", 7, L"Quellix"));
    return nullptr;
  }
  if (refreshHook_) {
    // The rule is stored whether or not the list could show it; the caller
    // still gets it to finish its work (MatchSubdomains).
    try {
      refreshHook_();
    } catch (const PlatformError& e) {
      report(MakeError(e));
    }
  }
  return rule;
}

bool Websites::Remove(std::wstring_view url) {
  const RuleKey key = Normalise(url, true);
  const auto found = groupByHost_.find(key.host);
  if (found == groupByHost_.end()) return false;
  const auto group = found->second;
  if (!group->Erase(key.url)) return false;
  if (group->Count() == 0) {
    groupByHost_.erase(found);
    groups_.erase(group);
  }
  return true;
}

const WebsiteGroup* Websites::GroupOf(std::wstring_view lowerHost) const {
  const auto found = groupByHost_.find(lowerHost);
  return found == groupByHost_.end() ? nullptr : &*found->second;
}

const WebsiteGroup* Websites::FindGroup(std::wstring_view host) const {
  // Keys are lower-case; a caller's mixed-case host still finds its group.
  return GroupOf(LowerCase(host));
}

Website* Websites::FindRule(const WebsiteGroup& group, std::wstring_view url) {
  return group.Find(LowerCase(url));
}

std::vector<Website> Websites::WebsiteCollection() const {
  std::vector<Website> all;
  for (const WebsiteGroup& group : groups_) {
    for (const Website& rule : group)
      all.push_back(rule);
  }
  return all;
}

void Websites::Load() {
  ImportServerList();
  LoadRuleFile();
}

void Websites::ImportServerList() {
  Step([&] {
    const std::wstring path = JoinPath(files_.ProgramFolder(), kServerListFile);
    if (!files_.Exists(path)) return;
    const std::string bytes = files_.ReadAll(path);
    for (const ServerListEntry& entry : ParseServerList(ansi_.Decode(bytes))) {
      const RuleKey key = Normalise(entry.site, true);
      Insert(key.host, key.url, entry.disallow ? kDisallowPopups : kAllowPopups);
    }
    listImported_ = true;
  });
}

void Websites::LoadRuleFile() {
  std::string bytes;
  if (!Step([&] {
        const std::wstring path = JoinPath(files_.ProgramFolder(), kWebsitesFile);
        if (files_.Exists(path)) bytes = files_.ReadAll(path);
      })) {
    ruleFileUnreadable_ = true;
    return;
  }
  ReadWebsiteRecords(ansi_, bytes, [&](std::int32_t type, std::wstring text) {
    if (Trim(text).empty()) return;
    const bool subdomains = text.starts_with(kSubdomainMarker);
    if (subdomains) text.erase(0, kSubdomainMarker.size());
    // A stored URL was cut when its rule was made. Cutting again would read
    // a "?" that stands for a character the code page cannot hold as the
    // start of a query, and widen a page's rule to its whole site.
    const RuleKey key = Normalise(text, false);
    Insert(key.host, key.url, type).MatchSubdomains = subdomains;
  });
}

bool Websites::SaveRuleFile() {
  if (ruleFileUnreadable_) return false;
  ByteWriter writer(ansi_);
  for (const WebsiteGroup& group : groups_) {
    for (const Website& rule : group) {
      writer.PutInt32(rule.RuleType);
      writer.PutText(rule.MatchSubdomains ? std::wstring(kSubdomainMarker) + rule.URL : rule.URL);
    }
  }
  return Step(
      [&] { files_.WriteAll(JoinPath(files_.ProgramFolder(), kWebsitesFile), writer.Bytes()); });
}

void Websites::Terminate() {
  // A second call would write the emptied rules over the file.
  if (terminated_) return;
  terminated_ = true;
  const bool saved = SaveRuleFile();
  if (saved && listImported_) {
    Step([&] {
      const std::wstring path = JoinPath(files_.ProgramFolder(), kServerListFile);
      if (files_.Exists(path)) files_.Remove(path);
    });
    listImported_ = false;
  }
  groupByHost_.clear();
  groups_.clear();
}

}  // namespace qx
