// The rule queries run on every new browser window, every navigation and
// every caption change of any program, and the rule file loads at start-up.
// Each is measured beside a straightforward implementation (a hash from
// host or program to a plain list searched from the front), in the same run.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "bench/EasyList.h"
#include "context/Process.h"
#include "rules/RuleListImport.h"
#include "rules/WebsiteFiles.h"
#include "rules/WebsiteUrl.h"
#include "sim/SimDesktop.h"

namespace {

using namespace qx;

// ---- Website rules -------------------------------------------------------

constexpr int kSiteRules = 100000;
constexpr int kHosts = 20000;
constexpr int kBigHostRules = 2000;
constexpr std::wstring_view kBigHost = L"big.portal.com";

struct SiteRuleSpec {
  std::wstring url;
  std::int32_t type;
  bool subdomains;
};

std::wstring SmallHost(int i) {
  switch (i % 3) {
    case 0:
      return L"site" + NumberText(i) + L".com";
    case 1:
      return L"www.site" + NumberText(i) + L".net";
    default:
      return L"shop.site" + NumberText(i) + L".org";
  }
}

const std::wstring_view kWords[] = {L"news",   L"a",       L"sports",    L"ads",        L"x",
                                    L"banner", L"popup",   L"index.htm", L"world",      L"2004",
                                    L"img",    L"cgi-bin", L"go",        L"top-stories"};

std::wstring RandomPath(std::mt19937_64& rng, int maxDepth) {
  std::wstring path;
  const int depth = std::uniform_int_distribution<int>(0, maxDepth)(rng);
  for (int d = 0; d < depth; ++d) {
    path += L'/';
    path += kWords[std::uniform_int_distribution<std::size_t>(0, std::size(kWords) - 1)(rng)];
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
      path += NumberText(std::uniform_int_distribution<int>(0, 999)(rng));
    }
  }
  return path;
}

// 100 000 rules over 20 000 hosts; one host holds 2 000 of them, with paths
// of many different lengths.
std::vector<SiteRuleSpec> MakeSiteRules() {
  std::mt19937_64 rng(1);
  std::vector<SiteRuleSpec> rules;
  rules.reserve(kSiteRules);
  auto type = [&] { return 1 + std::uniform_int_distribution<std::int32_t>(0, 2)(rng); };
  auto flag = [&] { return std::uniform_int_distribution<int>(0, 3)(rng) == 0; };
  while (static_cast<int>(rules.size()) < kBigHostRules) {
    rules.push_back({std::wstring(kBigHost) + RandomPath(rng, 5), type(), flag()});
  }
  for (int i = 1; static_cast<int>(rules.size()) < kSiteRules; i = i % (kHosts - 1) + 1) {
    rules.push_back({SmallHost(i) + RandomPath(rng, 3), type(), flag()});
  }
  return rules;
}

std::vector<std::wstring> MakePages() {
  std::mt19937_64 rng(2);
  std::vector<std::wstring> pages;
  for (int i = 0; i < 4096; ++i) {
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    const int host = std::uniform_int_distribution<int>(1, kHosts - 1)(rng);
    std::wstring url = L"http://";
    if (kind < 4) {
      url += (kind == 0 ? L"www." : L"") + std::wstring(kBigHost);
    } else if (kind < 8) {
      url += (kind == 4 ? L"www." : L"") + SmallHost(host);
    } else {
      url += L"ads.tracker" + NumberText(host) + L".example.com";
    }
    url += RandomPath(rng, 6) + L"?id=" + NumberText(i);
    pages.push_back(std::move(url));
  }
  return pages;
}

// The straightforward structure: a hash from host to the host's rules in a
// plain list, searched from the front for the first applying rule.
class PlainWebsites {
 public:
  explicit PlainWebsites(const Settings& settings) : settings_(settings) {}

  void Add(std::wstring_view rawUrl, std::int32_t type, bool subdomains) {
    std::wstring url = website::RuleLocalPathToFileUrl(LowerCase(rawUrl));
    url = website::StripQuery(url);
    const std::wstring host = website::HostOf(url);
    url = website::StripProtocol(url);
    auto& rules = groups_[host];
    std::erase_if(rules, [&](const Rule& r) { return r.url == url; });
    rules.push_back({std::move(url), type, subdomains});
  }

  bool Allow(std::wstring_view page) const {
    int decision = -1;
    Walk(LowerCase(page), [&](const std::vector<Rule>& rules, std::wstring_view url, bool same) {
      for (const Rule& r : rules) {
        if (!url.starts_with(r.url) || !(r.subdomains || same)) continue;
        if (r.type == 1 || r.type == 2) {
          decision = r.type == 1;
          return true;
        }
      }
      return false;
    });
    return decision < 0 ? !settings_.BlockByDefault() : decision == 1;
  }

  bool Kill(std::wstring_view page) const {
    bool kill = false;
    Walk(website::PageLocalPathToFileUrl(LowerCase(page)),
         [&](const std::vector<Rule>& rules, std::wstring_view url, bool same) {
           for (const Rule& r : rules) {
             if (url.starts_with(r.url) && (r.type == 3 || r.type == 4) && (r.subdomains || same)) {
               return kill = true;
             }
           }
           return false;
         });
    return kill;
  }

 private:
  struct Rule {
    std::wstring url;
    std::int32_t type;
    bool subdomains;
  };

  template <class Visit>
  void Walk(const std::wstring& lower, Visit&& visit) const {
    const std::wstring cut = website::StripQuery(lower);
    std::wstring host = website::HostOf(cut);
    std::wstring url = website::StripProtocol(cut);
    if (host != website::kScriptScheme) {
      host = L"www." + host;
      url = L"www." + url;
    }
    bool same = true;
    std::wstring_view h = host;
    std::wstring_view u = url;
    for (;;) {
      const auto it = groups_.find(std::wstring(h));
      if (it != groups_.end() && visit(it->second, u, same)) return;
      if (h == website::kScriptScheme || !website::HasDoubleDot(h)) return;
      same = h.starts_with(L"www.");
      h = website::StripToDot(h);
      u = website::StripToDot(u);
    }
  }

  const Settings& settings_;
  std::unordered_map<std::wstring, std::vector<Rule>> groups_;
};

// One process with the rules loaded both ways; with `easyList`, the pop-up
// rules of the real EasyList imported on top.
struct SiteWorld {
  explicit SiteWorld(bool easyList = false) {
    for (const SiteRuleSpec& r : MakeSiteRules()) {
      process.websites().Add(r.url, r.type, false)->MatchSubdomains = r.subdomains;
      plain.Add(r.url, r.type, r.subdomains);
    }
    if (easyList) {
      imported =
          ImportRuleList(process.websites(), bench::ReadEasyList(), desk.platform().ansi).added;
    }
    process.Abandon();
  }
  std::size_t imported = 0;
  sim::SimDesktop desk;
  Process process{desk.platform()};
  PlainWebsites plain{process.settings()};
  std::vector<std::wstring> pages = MakePages();
};

template <class Ask>
void RunPages(benchmark::State& state, const std::vector<std::wstring>& pages, Ask&& ask) {
  std::size_t i = 0;
  int yes = 0;
  for (auto _ : state) {
    yes += ask(pages[i]);
    i = (i + 1) % pages.size();
  }
  state.counters["answered_yes"] = benchmark::Counter(yes, benchmark::Counter::kAvgIterations);
}

void BM_WebsitesAllow(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, w.pages, [&](const std::wstring& p) { return w.process.websites().Allow(p); });
}
void BM_WebsitesAllow_Plain(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, w.pages, [&](const std::wstring& p) { return w.plain.Allow(p); });
}
void BM_WebsitesKill(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, w.pages, [&](const std::wstring& p) { return w.process.websites().Kill(p); });
}
// The same pages with EasyList's 1 314 pop-up rules (1 300 more hosts)
// added to the 100 000: an import must not slow down every navigation.
void BM_WebsitesKillWithEasyList(benchmark::State& state) {
  SiteWorld w(true);
  if (w.imported == 0) return state.SkipWithError("EasyList missing: run scripts/install-deps.sh");
  RunPages(state, w.pages, [&](const std::wstring& p) { return w.process.websites().Kill(p); });
}
void BM_WebsitesKill_Plain(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, w.pages, [&](const std::wstring& p) { return w.plain.Kill(p); });
}

// Only the pages on the host with 2 000 rules: the worst case of both.
std::vector<std::wstring> BigHostPages(const std::vector<std::wstring>& pages) {
  std::vector<std::wstring> big;
  for (const auto& p : pages) {
    if (p.find(kBigHost) != std::wstring::npos) big.push_back(p);
  }
  return big;
}
void BM_WebsitesAllowBigHost(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, BigHostPages(w.pages),
           [&](const std::wstring& p) { return w.process.websites().Allow(p); });
}
void BM_WebsitesAllowBigHost_Plain(benchmark::State& state) {
  SiteWorld w;
  RunPages(state, BigHostPages(w.pages), [&](const std::wstring& p) { return w.plain.Allow(p); });
}

// "websites.dat" with the same 100 000 rules, as the program writes it
// (group by group), loaded as the program starts.
void WriteSiteRuleFile(sim::SimDesktop& desk) {
  Process process(desk.platform());
  for (const SiteRuleSpec& r : MakeSiteRules())
    process.websites().Add(r.url, r.type, false)->MatchSubdomains = r.subdomains;
  process.websites().Terminate();
}

Websites::ErrorReporterAccess Reporter(Process& process) {
  return [&process]() -> ErrorReporter& { return process.errors(); };
}

void BM_WebsitesLoad(benchmark::State& state) {
  sim::SimDesktop desk;
  WriteSiteRuleFile(desk);
  Process process(desk.platform());
  for (auto _ : state) {
    auto rules = std::make_unique<Websites>(desk.files(), desk.platform().ansi, process.settings(),
                                            Reporter(process));
    benchmark::DoNotOptimize(rules->Count());
    state.PauseTiming();  // dropping the rules is not part of loading them
    rules.reset();
    state.ResumeTiming();
  }
  process.Abandon();
}
void BM_WebsitesLoad_Plain(benchmark::State& state) {
  sim::SimDesktop desk;
  WriteSiteRuleFile(desk);
  Process process(desk.platform());
  for (auto _ : state) {
    auto rules = std::make_unique<PlainWebsites>(process.settings());
    const std::string bytes = desk.files().ReadAll(desk.files().ProgramFile(kWebsitesFile));
    ReadWebsiteRecords(desk.platform().ansi, bytes, [&](std::int32_t type, std::wstring text) {
      if (Trim(text).empty()) return;
      const bool marked = text.starts_with(L"*!");
      rules->Add(marked ? std::wstring_view(text).substr(2) : text, type, marked);
    });
    benchmark::DoNotOptimize(rules.get());
    state.PauseTiming();
    rules.reset();
    state.ResumeTiming();
  }
  process.Abandon();
}

// ---- Window rules --------------------------------------------------------

constexpr int kWindowRules = 10000;

std::wstring Word(std::mt19937_64& rng) {
  std::wstring w;
  const int n = std::uniform_int_distribution<int>(3, 9)(rng);
  for (int i = 0; i < n; ++i)
    w += static_cast<wchar_t>(L'a' + std::uniform_int_distribution<int>(0, 25)(rng));
  return w;
}

std::wstring Words(std::mt19937_64& rng, int min, int max) {
  std::wstring text;
  const int n = std::uniform_int_distribution<int>(min, max)(rng);
  for (int i = 0; i < n; ++i)
    text += (i ? L" " : L"") + Word(rng);
  return text;
}

std::wstring ProgramPath(int i) {
  return L"c:\\program files\\app" + NumberText(i) + L"\\app" + NumberText(i) + L".exe";
}

struct WindowRuleSpec {
  std::wstring program;
  std::wstring caption;
  std::int32_t status;
};

// 10 000 rules, half of them phrases; half of all rules for every program.
std::vector<WindowRuleSpec> MakeWindowRules() {
  std::mt19937_64 rng(3);
  std::vector<WindowRuleSpec> rules;
  for (int i = 0; i < kWindowRules; ++i) {
    const bool phrase = i % 2 == 0;
    const bool general = i % 4 < 2;
    rules.push_back({general ? L"" : ProgramPath(i % 40),
                     phrase ? Words(rng, 1, 2) : Words(rng, 2, 6),
                     phrase ? kCaptionContains : kCaptionEquals});
  }
  return rules;
}

struct Caption {
  std::wstring program;
  std::wstring caption;
};

// Most captions match no rule; one in ten holds a phrase or is an exact
// caption of some rule.
std::vector<Caption> MakeCaptions() {
  std::mt19937_64 rng(4);
  const std::vector<WindowRuleSpec> rules = MakeWindowRules();
  std::vector<Caption> captions;
  for (int i = 0; i < 4096; ++i) {
    std::wstring caption = Words(rng, 2, 8) + L" - Application " + NumberText(i);
    if (i % 10 == 0) {
      const WindowRuleSpec& r =
          rules[std::uniform_int_distribution<std::size_t>(0, rules.size() - 1)(rng)];
      caption = r.status == kCaptionContains ? L"Re: " + r.caption + L" - Mail" : r.caption;
    }
    for (auto& c : caption) {
      if (std::uniform_int_distribution<int>(0, 5)(rng) == 0)
        c = static_cast<wchar_t>(std::towupper(c));
    }
    captions.push_back({ProgramPath(std::uniform_int_distribution<int>(0, 59)(rng)), caption});
  }
  return captions;
}

// The straightforward structure: a hash from program to its rules, the exact
// caption found by a hash, the phrases tried one by one.
class PlainWindows {
 public:
  void Add(std::wstring_view program, std::wstring_view caption, std::int32_t status) {
    Group& g = groups_[program.empty() ? L"_general" : LowerCase(program)];
    const std::wstring key = LowerCase(Trim(caption));
    g.exact[key] = status;
    g.rules.push_back({key, status});
    if (status == kCaptionContains) ++phrases_;
  }
  bool Kill(std::wstring_view program, std::wstring_view caption) const {
    const std::wstring lower = LowerCase(Trim(caption));
    const std::wstring key = LowerCase(program);
    return KillIn(key, lower) || (key != L"_general" && KillIn(L"_general", lower));
  }

 private:
  struct Group {
    std::unordered_map<std::wstring, std::int32_t> exact;
    std::vector<std::pair<std::wstring, std::int32_t>> rules;
  };
  bool KillIn(const std::wstring& program, const std::wstring& lower) const {
    const auto g = groups_.find(program);
    if (g == groups_.end()) return false;
    const auto e = g->second.exact.find(lower);
    if (e != g->second.exact.end() && (e->second == 1 || e->second == 2)) return true;
    if (phrases_ == 0) return false;
    for (const auto& [text, status] : g->second.rules) {
      if (status == kCaptionContains && lower.find(text) != std::wstring::npos) return true;
    }
    return false;
  }
  std::unordered_map<std::wstring, Group> groups_;
  int phrases_ = 0;
};

struct WindowWorld {
  WindowWorld() {
    for (const WindowRuleSpec& r : MakeWindowRules()) {
      process.windows().Add(r.program, r.caption, r.status);
      plain.Add(r.program, r.caption, r.status);
    }
    // The phrase index is built on first use, as after loading the file.
    process.windows().Kill(L"", L"");
    process.Abandon();
  }
  sim::SimDesktop desk;
  Process process{desk.platform()};
  PlainWindows plain;
  std::vector<Caption> captions = MakeCaptions();
};

template <class Ask>
void RunCaptions(benchmark::State& state, const std::vector<Caption>& captions, Ask&& ask) {
  std::size_t i = 0;
  int yes = 0;
  for (auto _ : state) {
    yes += ask(captions[i]);
    i = (i + 1) % captions.size();
  }
  state.counters["answered_yes"] = benchmark::Counter(yes, benchmark::Counter::kAvgIterations);
}

void BM_WindowsKill(benchmark::State& state) {
  WindowWorld w;
  RunCaptions(state, w.captions,
              [&](const Caption& c) { return w.process.windows().Kill(c.program, c.caption); });
}
void BM_WindowsKill_Plain(benchmark::State& state) {
  WindowWorld w;
  RunCaptions(state, w.captions,
              [&](const Caption& c) { return w.plain.Kill(c.program, c.caption); });
}

#define QX_RULES_BENCH(name) \
  BENCHMARK(name)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kNanosecond)

QX_RULES_BENCH(BM_WebsitesAllow);
QX_RULES_BENCH(BM_WebsitesAllow_Plain);
QX_RULES_BENCH(BM_WebsitesKill);
QX_RULES_BENCH(BM_WebsitesKillWithEasyList);
QX_RULES_BENCH(BM_WebsitesKill_Plain);
QX_RULES_BENCH(BM_WebsitesAllowBigHost);
QX_RULES_BENCH(BM_WebsitesAllowBigHost_Plain);
QX_RULES_BENCH(BM_WindowsKill);
QX_RULES_BENCH(BM_WindowsKill_Plain);
BENCHMARK(BM_WebsitesLoad)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebsitesLoad_Plain)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
