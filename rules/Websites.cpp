#include "rules/Websites.h"

#include <algorithm>
#include <new>
#include <optional>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "rules/PendingRules.h"
#include "rules/WebsiteFiles.h"
#include "rules/WebsiteUrl.h"

namespace qx {
namespace {

constexpr std::wstring_view kWww = L"www.";

}  // namespace

Websites::Websites(FileSystem& files, const AnsiCodec& ansi, Settings& settings,
                   ErrorReporterAccess errors)
    : files_(files), ansi_(ansi), settings_(settings), errors_(std::move(errors)) {
  Load();
}

// The text is lower-cased first, so the helpers' views give what their
// copying forms give.
Websites::RuleKey Websites::Normalise(std::wstring_view url, bool cutQuery) {
  std::wstring text = website::RuleLocalPathToFileUrl(LowerCase(url));
  for (;;) {
    const std::wstring_view cut =
        cutQuery ? website::StripQueryView(text) : website::StripStoredView(text);
    std::wstring_view rest = website::StripProtocolView(cut);
    if (!rest.starts_with(kSubdomainMarker)) {
      return RuleKey{std::wstring(website::HostView(cut)), std::wstring(rest)};
    }
    // In the rule file "*!" in front of a URL marks a subdomain rule, so no
    // URL may begin with it (a typed "*!a.com", or one behind a scheme): it
    // would come back from the file as a different rule. No host holds
    // those characters; they go.
    while (rest.starts_with(kSubdomainMarker))
      rest.remove_prefix(kSubdomainMarker.size());
    text = website::RuleLocalPathToFileUrl(std::wstring(rest));
  }
}

Websites::RuleKey Websites::QueryStart(std::wstring_view lowerUrl) {
  const std::wstring_view cut = website::StripQueryView(lowerUrl);
  const std::wstring_view host = website::HostView(cut);
  const std::wstring_view url = website::StripProtocolView(cut);
  if (host == website::kScriptScheme) return RuleKey{std::wstring(host), std::wstring(url)};
  RuleKey key;
  key.host.reserve(kWww.size() + host.size());
  key.host.append(kWww).append(host);
  key.url.reserve(kWww.size() + url.size());
  key.url.append(kWww).append(url);
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

const Website* Websites::AllowingRule(std::wstring_view lower,
                                      const WebsiteGroup** groupOut) const {
  const Website* decided = nullptr;
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
    if (first) {
      decided = first;
      if (groupOut) *groupOut = &group;
    }
    return first != nullptr;
  });
  return decided;
}

bool Websites::Allow(std::wstring_view url) const {
  const std::wstring lower = LowerCase(url);
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) return true;
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) return true;
  const Website* rule = AllowingRule(lower, nullptr);
  return rule ? rule->RuleType == kAllowPopups : !settings_.BlockByDefault();
}

std::wstring Websites::ExplainAllow(std::wstring_view url) const {
  const std::wstring lower = LowerCase(url);
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) {
    return L"a local page, and local pages are always allowed";
  }
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) {
    return L"an HTTPS page, and HTTPS sites are allowed";
  }
  const WebsiteGroup* group = nullptr;
  if (const Website* rule = AllowingRule(lower, &group)) {
    return std::wstring(rule->RuleType == kAllowPopups ? L"allowed" : L"disallowed") +
           L" by the rule \"" + rule->URL + L"\"" +
           (rule->MatchSubdomains ? L" (subdomains too)" : L"") + L" of host \"" +
           (group ? group->Host() : L"") + L"\"";
  }
  return settings_.BlockByDefault() ? L"no rule applies, and sites without a rule are blocked"
                                    : L"no rule applies, and sites without a rule are allowed";
}

const Website* Websites::KillingRule(std::wstring_view lower, const WebsiteGroup** groupOut) const {
  const Website* killing = nullptr;
  Walk(QueryStart(lower), [&](const WebsiteGroup& group, std::wstring_view page, bool sameSite) {
    group.ForEachPrefixRule(page, [&](const Website& rule, std::uint64_t) {
      if ((rule.MatchSubdomains || sameSite) &&
          (rule.RuleType == kAlwaysKill || rule.RuleType == kAlwaysKillOld)) {
        killing = &rule;
        if (groupOut) *groupOut = &group;
      }
      return killing != nullptr;
    });
    return killing != nullptr;
  });
  return killing;
}

bool Websites::Kill(std::wstring_view url) const {
  const std::wstring lower = website::PageLocalPathToFileUrl(LowerCase(url));
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) return false;
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) return false;
  return KillingRule(lower, nullptr) != nullptr;
}

std::wstring Websites::KillRuleText(std::wstring_view url) const {
  if (!Kill(url)) return L"";
  const std::wstring lower = website::PageLocalPathToFileUrl(LowerCase(url));
  const Website* rule = KillingRule(lower, nullptr);
  return rule ? rule->URL : L"";
}

std::wstring Websites::ExplainKill(std::wstring_view url) const {
  const std::wstring lower = website::PageLocalPathToFileUrl(LowerCase(url));
  if (settings_.IgnoreLocal() && lower.starts_with(L"file://")) {
    return L"a local page, and local pages are never killed";
  }
  if (settings_.AllowHTTPS() && lower.starts_with(L"https://")) {
    return L"an HTTPS page, and HTTPS sites are allowed";
  }
  const WebsiteGroup* group = nullptr;
  if (const Website* rule = KillingRule(lower, &group)) {
    return L"the always-kill rule \"" + rule->URL + L"\" of host \"" +
           (group ? group->Host() : L"") + L"\"";
  }
  return L"no always-kill rule applies";
}

WebsiteGroup& Websites::GroupFor(std::wstring_view host) {
  const std::uint64_t hash = TextHash(host);
  const auto* found = groupByHost_.Find(
      hash, [&](std::list<WebsiteGroup>::iterator g) { return g->Host() == host; });
  if (found) return **found;
  groups_.emplace_back(std::wstring(host));
  const auto group = std::prev(groups_.end());
  groupByHost_.Insert(hash, group);
  return *group;
}

Website& Websites::Insert(WebsiteGroup& group, std::wstring url, std::int32_t ruleType) {
  return group.Insert(std::move(url), ruleType, nextOrder_++);
}

Website* Websites::Add(std::wstring_view url, std::int32_t ruleType, bool stripWWW, bool asStored) {
  Website* rule = nullptr;
  const auto report = [&](const pError& error) {
    errors_().ReportError(kWebsiteRuleAddSource, kWebsiteRuleAddMessage, false, error);
  };
  try {
    RuleKey key = Normalise(url, !asStored);
    if (stripWWW && key.host.starts_with(kWww) && website::HasDoubleDot(key.host)) {
      key.host.erase(0, kWww.size());
      key.url.erase(0, std::min(kWww.size(), key.url.size()));
    }
    rule = &Insert(GroupFor(key.host), std::move(key.url), ruleType);
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

bool Websites::AddIfAbsent(std::wstring_view url, std::int32_t ruleType, bool matchSubdomains) {
  RuleKey key = Normalise(url, true);
  WebsiteGroup& group = GroupFor(key.host);
  if (group.Find(key.url) != nullptr) return false;
  Insert(group, std::move(key.url), ruleType).MatchSubdomains = matchSubdomains;
  return true;
}

void Websites::RulesChanged() {
  if (refreshHook_) refreshHook_();
}

bool Websites::Remove(std::wstring_view url) {
  // A rule read back from the file may hold a "?" for a character the code
  // page could not hold; the list shows it so, and deleting it passes that.
  return RemoveKey(Normalise(url, true)) || RemoveKey(Normalise(url, false));
}

bool Websites::RemoveKey(const RuleKey& key) {
  const std::uint64_t hash = TextHash(key.host);
  const auto matches = [&](std::list<WebsiteGroup>::iterator g) { return g->Host() == key.host; };
  const auto* found = groupByHost_.Find(hash, matches);
  if (!found) return false;
  const auto group = *found;
  if (!group->Erase(key.url)) return false;
  if (group->Count() == 0) {
    groupByHost_.Erase(hash, matches);
    groups_.erase(group);
  }
  return true;
}

const WebsiteGroup* Websites::GroupOf(std::wstring_view lowerHost) const {
  const auto* found = groupByHost_.Find(
      TextHash(lowerHost),
      [&](std::list<WebsiteGroup>::iterator g) { return g->Host() == lowerHost; });
  return found ? &**found : nullptr;
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
    const std::wstring path = JoinPath(files_.DataFolder(), kServerListFile);
    if (!files_.Exists(path)) return;
    const std::string bytes = files_.ReadAll(path);
    for (const ServerListEntry& entry : ParseServerList(ansi_.Decode(bytes))) {
      RuleKey key = Normalise(entry.site, true);
      Insert(GroupFor(key.host), std::move(key.url),
             entry.disallow ? kDisallowPopups : kAllowPopups);
    }
    listImported_ = true;
  });
}

void Websites::LoadRuleFile() {
  const std::wstring path = JoinPath(files_.DataFolder(), kWebsitesFile);
  std::string bytes;
  bool exists = false;
  if (!Step([&] {
        exists = files_.Exists(path);
        if (exists) bytes = files_.ReadAll(path);
      })) {
    ruleFileUnreadable_ = true;
  } else {
    // A missing rule file is made at once, empty, not only at the end.
    if (!exists) Step([&] { files_.WriteAll(path, ""); });
    LoadRecords(bytes);
  }
  // Rules of a session whose rule file could not be read: merged now, so
  // that the next save holds them.
  const std::wstring pending = PendingRulesPath(path);
  std::string kept;
  if (!Step([&] {
        if (files_.Exists(pending)) {
          kept = files_.ReadAll(pending);
          pendingLoaded_ = true;
        }
      })) {
    pendingUnreadable_ = true;
    return;
  }
  LoadRecords(kept);
}

void Websites::LoadRecords(std::string_view bytes) {
  // The file is written group by group: most records belong to the group
  // of the record before.
  WebsiteGroup* last = nullptr;
  ReadWebsiteRecords(ansi_, bytes, [&](std::int32_t type, std::wstring text) {
    if (text.find_first_not_of(L' ') == std::wstring::npos) return;  // blank
    const bool subdomains = text.starts_with(kSubdomainMarker);
    if (subdomains) text.erase(0, kSubdomainMarker.size());
    // A stored rule reads as a typed one, so that it matches and can be
    // edited and deleted (an older file may hold "a.com/dir/" or "a.com#x"),
    // except that a "?" stands for a character the code page cannot hold:
    // cutting there would widen a page's rule to its whole site.
    RuleKey key = Normalise(text, false);
    if (!last || last->Host() != key.host) last = &GroupFor(key.host);
    Insert(*last, std::move(key.url), type).MatchSubdomains = subdomains;
  });
}

bool Websites::SaveRuleFile() {
  ByteWriter writer(ansi_);
  for (const WebsiteGroup& group : groups_) {
    for (const Website& rule : group) {
      writer.PutInt32(rule.RuleType);
      writer.PutText(rule.MatchSubdomains ? std::wstring(kSubdomainMarker) + rule.URL : rule.URL);
    }
  }
  const std::wstring path = JoinPath(files_.DataFolder(), kWebsitesFile);
  const std::wstring pending = PendingRulesPath(path);
  if (ruleFileUnreadable_) {
    // Kept beside it instead, unless that file too could not be read.
    if (!pendingUnreadable_ && (!groups_.empty() || pendingLoaded_)) {
      keptBeside_ = Step([&] { files_.WriteAll(pending, writer.Bytes()); });
    }
    return false;
  }
  if (!Step([&] { files_.WriteAll(path, writer.Bytes()); })) return false;
  if (pendingLoaded_) Step([&] { files_.Remove(pending); });
  return true;
}

void Websites::Terminate() {
  // A second call would write the emptied rules over the file.
  if (terminated_) return;
  terminated_ = true;
  const bool saved = SaveRuleFile();
  if (saved && listImported_) {
    Step([&] {
      const std::wstring path = JoinPath(files_.DataFolder(), kServerListFile);
      if (files_.Exists(path)) files_.Remove(path);
    });
    listImported_ = false;
  }
  groupByHost_.Clear();
  groups_.clear();
}

}  // namespace qx
