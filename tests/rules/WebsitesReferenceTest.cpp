// The indexed rules against the plain-list model on thousands of random rule
// sets: the same groups and order, and the same answer for every URL.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "rules/ReferenceRules.h"
#include "rules/ReporterAccess.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

// URLs from a small vocabulary, so that hosts, paths and rules collide often.
class UrlMaker {
 public:
  explicit UrlMaker(std::uint64_t seed) : rng_(seed) {}

  std::wstring Url() {
    if (Chance(8)) return Pick(kScripts);
    std::wstring url = Pick(kSchemes);
    if (Chance(12)) {
      url += Pick(kLocal);
    } else {
      url += Host();
    }
    const int parts = Below(3);
    for (int i = 0; i < parts; ++i)
      url += Pick(kPaths);
    url += Pick(kTails);
    for (auto& c : url) {
      if (Chance(10)) c = static_cast<wchar_t>(std::towupper(c));
    }
    return url;
  }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int oneIn) { return Below(oneIn) == 0; }

 private:
  std::wstring Host() {
    std::wstring host;
    const int labels = 1 + Below(4);
    for (int i = 0; i < labels; ++i) {
      if (i) host += L'.';
      host += Pick(kLabels);
    }
    return host;
  }
  template <std::size_t N>
  std::wstring Pick(const std::wstring_view (&options)[N]) {
    return std::wstring(options[Below(static_cast<int>(N))]);
  }

  static constexpr std::wstring_view kSchemes[] = {L"",        L"http://",  L"https://",
                                                   L"HTTP://", L"file:///", L"ftp://"};
  static constexpr std::wstring_view kLabels[] = {L"www", L"a", L"b", L"ex", L"com", L"x-y"};
  static constexpr std::wstring_view kLocal[] = {L"c:", L"c:/pages", L"intranet", L"\\\\srv"};
  static constexpr std::wstring_view kPaths[] = {L"/",  L"/d",     L"/dir", L"/directory",
                                                 L"/x", L"/x.htm", L"\\x",  L"/a.b"};
  static constexpr std::wstring_view kTails[] = {L"", L"", L"/", L"?q=1", L"#f", L"?a/b#c"};
  static constexpr std::wstring_view kScripts[] = {L"javascript:", L"javascript:a",
                                                   L"JavaScript:a.b", L"javascript:ab()"};
  std::mt19937_64 rng_;
};

std::vector<reference::SiteGroup> Snapshot(const Websites& rules) {
  std::vector<reference::SiteGroup> out;
  for (const WebsiteGroup& group : rules) {
    reference::SiteGroup g{group.Host(), {}};
    for (const Website& w : group)
      g.rules.push_back({w.URL, w.RuleType, w.MatchSubdomains});
    out.push_back(std::move(g));
  }
  return out;
}

TEST(WebsitesReference, IndexedRulesAnswerAsThePlainListsDo) {
  sim::SimDesktop desk;
  Process process(desk.platform());
  Settings& settings = process.settings();
  UrlMaker make(20240601);
  constexpr int kRuleSets = 2000;
  constexpr int kQueries = 60;
  int allowDiffs = 0;
  int killDiffs = 0;
  int structureDiffs = 0;
  int killsSeen = 0;
  int refusalsSeen = 0;
  for (int set = 0; set < kRuleSets; ++set) {
    reference::Options options{make.Chance(4), make.Chance(4), !make.Chance(3)};
    settings.SetIgnoreLocal(options.ignoreLocal);
    settings.SetAllowHTTPS(options.allowHttps);
    settings.SetBlockByDefault(options.blockByDefault);

    Websites rules(desk.files(), desk.platform().ansi, settings, Reporter(process));
    reference::ReferenceWebsites model;
    const int ops = 1 + make.Below(make.Chance(10) ? 300 : 40);
    for (int op = 0; op < ops; ++op) {
      const std::wstring url = make.Url();
      if (make.Chance(6)) {
        EXPECT_EQ(rules.Remove(url), model.Remove(url)) << ToUtf8(url);
        continue;
      }
      const std::int32_t type = make.Chance(15) ? make.Below(6) : 1 + make.Below(3);
      const bool stripWww = make.Chance(2);
      const bool subdomains = make.Chance(3);
      Website* rule = rules.Add(url, type, stripWww);
      ASSERT_NE(rule, nullptr);
      rule->MatchSubdomains = subdomains;
      model.Add(url, type, stripWww, subdomains);
    }
    if (Snapshot(rules) != model.Groups()) ++structureDiffs;

    for (int q = 0; q < kQueries; ++q) {
      const std::wstring url = make.Url();
      const bool allow = model.Allow(url, options);
      const bool kill = model.Kill(url, options);
      if (rules.Allow(url) != allow) {
        ++allowDiffs;
        ADD_FAILURE() << "Allow " << ToUtf8(url) << " in rule set " << set;
      }
      if (rules.Kill(url) != kill) {
        ++killDiffs;
        ADD_FAILURE() << "Kill " << ToUtf8(url) << " in rule set " << set;
      }
      killsSeen += kill;
      refusalsSeen += !allow;
    }
    if (allowDiffs + killDiffs > 10) break;
  }
  EXPECT_EQ(structureDiffs, 0);
  EXPECT_EQ(allowDiffs, 0);
  EXPECT_EQ(killDiffs, 0);
  // The random sets must really exercise both answers.
  EXPECT_GT(killsSeen, kRuleSets);
  EXPECT_GT(refusalsSeen, kRuleSets);
}

TEST(WebsitesReference, SavedAndLoadedRulesAnswerAsBefore) {
  sim::SimDesktop desk;
  Process process(desk.platform());
  UrlMaker make(77);
  for (int set = 0; set < 200; ++set) {
    reference::ReferenceWebsites model;
    desk.files().WriteAll(desk.files().ProgramFile(L"websites.dat"), "");
    Websites rules(desk.files(), desk.platform().ansi, process.settings(), Reporter(process));
    const int ops = 1 + make.Below(60);
    for (int op = 0; op < ops; ++op) {
      const std::wstring url = make.Url();
      const std::int32_t type = 1 + make.Below(3);
      const bool stripWww = make.Chance(2);
      const bool subdomains = make.Chance(3);
      rules.Add(url, type, stripWww)->MatchSubdomains = subdomains;
      model.Add(url, type, stripWww, subdomains);
    }
    rules.Terminate();
    EXPECT_EQ(rules.Count(), 0u);
    // What the saved records must load as: a record whose text is blank is
    // dropped (a rule with an empty URL, as "c://" gives, and no subdomain
    // marker does not come back), and each stored URL is read again.
    reference::ReferenceWebsites stored;
    for (const auto& group : model.Groups()) {
      for (const auto& rule : group.rules) {
        if (!rule.matchSubdomains && Trim(rule.url).empty()) continue;
        stored.AddStored(rule.url, rule.type, rule.matchSubdomains);
      }
    }
    Websites reloaded(desk.files(), desk.platform().ansi, process.settings(), Reporter(process));
    ASSERT_EQ(Snapshot(reloaded), stored.Groups()) << "rule set " << set;
  }
}

}  // namespace
}  // namespace qx
