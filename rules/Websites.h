#pragma once
// The website rules: per site or page, allow pop-ups, disallow them, or kill
// every browser window that goes there. Loaded from "websites.dat" (and
// once from the older "servers.lst") when made, written back by Terminate
// at the end of the program.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiCodec.h"
#include "logging/ErrorReporter.h"
#include "platform/FileSystem.h"
#include "rules/FlatIndex.h"
#include "rules/Website.h"
#include "rules/WebsiteGroup.h"
#include "settings/Settings.h"

namespace qx {

inline constexpr std::wstring_view kWebsiteRuleAddSource = L"WebsiteRuleAdd";
inline constexpr std::wstring_view kWebsiteRuleAddMessage =
    L"An error occurred while trying to add a website rule.";

class Websites {
 public:
  // Reaches the process's error reporter only when an error is to be
  // reported: making it starts the error log, which may empty the file.
  using ErrorReporterAccess = std::function<ErrorReporter&()>;

  // Loads the rule files; every failure there skips only its own step.
  Websites(FileSystem& files, const AnsiCodec& ansi, Settings& settings,
           ErrorReporterAccess errors);
  Websites(const Websites&) = delete;
  Websites& operator=(const Websites&) = delete;

  // Nothing to do: asking for the object made and loaded it.
  void Init() {}

  // Adds or replaces the rule for the normalised URL (a replaced rule moves
  // to the end of its host's group). stripWWW drops "www." from a host of
  // three or more labels. Answers the stored rule, valid until the next Add
  // or Remove, so that the caller can set MatchSubdomains; none (reported
  // as "WebsiteRuleAdd") when it could not be added. asStored: the url is a
  // rule's own URL as the rules show it, whose "?" is no query (see
  // website::StripStoredView).
  Website* Add(std::wstring_view url, std::int32_t ruleType, bool stripWWW, bool asStored = false);
  // Removes the rule for the normalised URL, or else for the URL read as a
  // rule's own (as the rules show it); false when there is none.
  bool Remove(std::wstring_view url);
  // Adds a rule unless its normalised URL has one already, of any type: a
  // shared rule list never replaces or removes the user's own rules. The
  // options dialog's list is left alone; whoever adds a batch calls
  // RulesChanged once. Answers whether the rule was added.
  bool AddIfAbsent(std::wstring_view url, std::int32_t ruleType, bool matchSubdomains);
  // Asks the options dialog to show the rules again (the refresh hook).
  void RulesChanged();

  // May this page open pop-up windows?
  bool Allow(std::wstring_view url) const;
  // What decided Allow (or Kill) for this URL, in words.
  std::wstring ExplainAllow(std::wstring_view url) const;
  std::wstring ExplainKill(std::wstring_view url) const;
  // Must a browser window showing this URL be closed?
  bool Kill(std::wstring_view url) const;
  // The always-kill rule that closes this URL, as it was entered; empty
  // when none does.
  std::wstring KillRuleText(std::wstring_view url) const;

  const WebsiteGroup* FindGroup(std::wstring_view host) const;
  Website* FindRule(const WebsiteGroup& group, std::wstring_view url);
  // The number of host groups, not of rules.
  std::size_t Count() const { return groups_.size(); }
  // Every rule, group by group, as copies for display.
  std::vector<Website> WebsiteCollection() const;
  // The host groups in order.
  const std::list<WebsiteGroup>& Groups() const { return groups_; }
  std::list<WebsiteGroup>::const_iterator begin() const { return groups_.begin(); }
  std::list<WebsiteGroup>::const_iterator end() const { return groups_.end(); }

  // "servers.lst" was read at creation.
  bool ListImported() const { return listImported_; }

  // Called after every Add; the options dialog sets it while it is open so
  // that its website list shows the new rule.
  void SetRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }

  // The end of the object's life: writes "websites.dat", deletes an
  // imported "servers.lst" once its rules are safely written, and drops all
  // rules. Failures are passed over. When "websites.dat" could not be read,
  // the rules go to "websites.pending.dat" instead (see PendingRules.h).
  void Terminate();
  // Terminate kept the rules beside the unreadable rule file.
  bool KeptBeside() const { return keptBeside_; }

 private:
  struct RuleKey {
    std::wstring host;
    std::wstring url;
  };
  // Lower-case text with local paths made file URLs, split into host and
  // URL. Without cutQuery the text is a stored rule's: cut as Add cuts it,
  // but not at "?" (see website::StripStoredView).
  static RuleKey Normalise(std::wstring_view url, bool cutQuery);
  bool RemoveKey(const RuleKey& key);
  // The host and URL a query walks from: "www." in front unless a script.
  static RuleKey QueryStart(std::wstring_view lowerUrl);

  const WebsiteGroup* GroupOf(std::wstring_view lowerHost) const;
  // The host's group, appended when there is none.
  WebsiteGroup& GroupFor(std::wstring_view host);
  Website& Insert(WebsiteGroup& group, std::wstring url, std::int32_t ruleType);
  void Load();
  void ImportServerList();
  void LoadRuleFile();
  void LoadRecords(std::string_view bytes);
  bool SaveRuleFile();

  // Walks from the page's own name to its parent domains; visit(group,
  // url, sameSite) answers true to stop.
  template <class Visit>
  void Walk(const RuleKey& start, Visit&& visit) const;
  // The allow or disallow rule that decides for the URL, if one does.
  const Website* AllowingRule(std::wstring_view lowerUrl, const WebsiteGroup** group) const;
  const Website* KillingRule(std::wstring_view lowerUrl, const WebsiteGroup** group) const;

  FileSystem& files_;
  const AnsiCodec& ansi_;
  Settings& settings_;
  ErrorReporterAccess errors_;
  std::function<void()> refreshHook_;

  std::list<WebsiteGroup> groups_;
  FlatIndex<std::list<WebsiteGroup>::iterator> groupByHost_;
  std::uint64_t nextOrder_ = 0;
  bool listImported_ = false;
  // "websites.dat" is there but could not be read: writing over it at the
  // end would lose every rule it holds.
  bool ruleFileUnreadable_ = false;
  // "websites.pending.dat" was read (it goes once the rules are saved), or
  // is there but could not be read (it is never written over).
  bool pendingLoaded_ = false;
  bool pendingUnreadable_ = false;
  bool keptBeside_ = false;
  bool terminated_ = false;
};

}  // namespace qx
