// Shared rule lists: what a filter list's or a hosts file's lines give, what
// an import adds beside the user's rules and says, and what an export writes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "rules/FilterList.h"
#include "rules/RuleListExport.h"
#include "rules/RuleListImport.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

constexpr std::string_view kHeader = "[Adblock Plus 2.0]\n";

struct Query {
  std::wstring_view url;
  bool expected;
};

struct LineCase {
  std::string_view line;
  // The rule the line gives, or empty and the reason it is skipped.
  std::wstring_view url;
  bool subdomains;
  ListSkip reason;
};

void ExpectLines(std::string_view header, std::initializer_list<LineCase> cases) {
  const Windows1252Codec ansi;
  for (const LineCase& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    const ParsedList list = ParseRuleList(std::string(header) + std::string(c.line), ansi);
    const std::size_t headerLines = header.empty() ? 0 : 1;
    EXPECT_EQ(list.lines, headerLines + 1);
    if (!c.url.empty()) {
      ASSERT_EQ(list.rules.size(), 1u);
      EXPECT_EQ(list.rules[0].url, c.url);
      EXPECT_EQ(list.rules[0].subdomains, c.subdomains);
      EXPECT_EQ(list.SkippedLines(), headerLines);
    } else {
      EXPECT_TRUE(list.rules.empty());
      EXPECT_EQ(list.Skipped(c.reason), 1u + (c.reason == ListSkip::Comment ? headerLines : 0));
      EXPECT_EQ(list.SkippedLines(), headerLines + 1);
    }
  }
}

TEST(FilterListTest, PopupFiltersForASiteOrAnAddressAreTaken) {
  ExpectLines(kHeader, {
                           {"||ads.example^$popup", L"ads.example", true, {}},
                           {"||Ads.Example.com^$popup,third-party", L"Ads.Example.com", true, {}},
                           {"||ads.example^*$popup", L"ads.example", true, {}},
                           {"||ads.example/pop/up.php$popup", L"ads.example/pop/up.php", true, {}},
                           {"||ads.example/pop^$popup", L"ads.example/pop", true, {}},
                           {"||ads.example:8080^$popup", L"ads.example:8080", true, {}},
                           {"||ads.example$3p,popup", L"ads.example", true, {}},
                           {"|http://ads.example/x$popup", L"ads.example/x", false, {}},
                           {"|HTTPS://ads.example^$popup", L"ads.example", false, {}},
                           {"  ||ads.example^$popup  ", L"ads.example", true, {}},
                       });
}

TEST(FilterListTest, EverythingElseIsSkippedUnderItsReason) {
  ExpectLines(kHeader,
              {
                  {"! Title: a list", {}, false, ListSkip::Comment},
                  {"[Adblock Plus 1.1]", {}, false, ListSkip::Comment},
                  {"example.com##.ad", {}, false, ListSkip::Cosmetic},
                  {"##.banner", {}, false, ListSkip::Cosmetic},
                  {"example.com#@#.ad", {}, false, ListSkip::Cosmetic},
                  {"example.com#?#div:has(.ad)", {}, false, ListSkip::Cosmetic},
                  {"@@||ads.example^$popup", {}, false, ListSkip::Exception},
                  {"||ads.example^", {}, false, ListSkip::NotPopup},
                  {"||ads.example^$script,third-party", {}, false, ListSkip::NotPopup},
                  {"||ads.example^$~popup", {}, false, ListSkip::NotPopup},
                  {"/banner/ads.", {}, false, ListSkip::NotPopup},
                  {"example.com", {}, false, ListSkip::NotPopup},
                  {"||ads.example^$popup,domain=news.example", {}, false, ListSkip::Narrower},
                  {"||ads.example^$popup,~third-party", {}, false, ListSkip::Narrower},
                  {"||ads.example^$popup,first-party", {}, false, ListSkip::Narrower},
                  {"||ads.example^$popup,script", {}, false, ListSkip::Narrower},
                  {"||ads.example/go?id=1$popup", {}, false, ListSkip::Narrower},
                  {"||ads.example^|$popup", {}, false, ListSkip::Narrower},
                  {"/pop[0-9]+\\.example/$popup", {}, false, ListSkip::RegularExpression},
                  {"||ads.example/*/pop$popup", {}, false, ListSkip::Wildcard},
                  {"||ads.*.example^$popup", {}, false, ListSkip::Wildcard},
                  {"||ads.example^pop$popup", {}, false, ListSkip::Wildcard},
                  {"/popunder.$popup", {}, false, ListSkip::NoSite},
                  {"&pop=1$popup", {}, false, ListSkip::NoSite},
                  {"|javascript:x$popup", {}, false, ListSkip::NoSite},
                  {"||ads^$popup", {}, false, ListSkip::NoSite},
                  {"||.example^$popup", {}, false, ListSkip::NoSite},
                  {"$popup", {}, false, ListSkip::NoSite},
                  {"||a.example/go:/b.example/$popup", {}, false, ListSkip::NoSite},
                  {"||ads example^$popup", {}, false, ListSkip::Unreadable},
                  {"||ads.\x01"
                   "example^$popup",
                   {},
                   false,
                   ListSkip::Unreadable},
              });
}

TEST(FilterListTest, HostsFileEntries) {
  ExpectLines("", {
                      {"0.0.0.0 ads.example", L"ads.example", false, {}},
                      {"127.0.0.1\tads.example  # a tracker", L"ads.example", false, {}},
                      {"::1 ads.example", L"ads.example", false, {}},
                      {"ads.example", L"ads.example", false, {}},
                      {"ads.example # bare, with a comment", L"ads.example", false, {}},
                      {"# a comment", {}, false, ListSkip::Comment},
                      {"127.0.0.1 localhost", {}, false, ListSkip::LocalName},
                      {"::1 localhost ip6-localhost ip6-loopback", {}, false, ListSkip::LocalName},
                      {"255.255.255.255 broadcasthost", {}, false, ListSkip::LocalName},
                      {"127.0.0.1 localhost.localdomain", {}, false, ListSkip::LocalName},
                      {"192.168.1.20 nas.example", {}, false, ListSkip::Redirection},
                      {"0.0.0.0 !!! ???", {}, false, ListSkip::Unreadable},
                  });
  // One line may name several hosts.
  const ParsedList list =
      ParseRuleList("0.0.0.0 a.example localhost b.example\n", Windows1252Codec());
  ASSERT_EQ(list.rules.size(), 2u);
  EXPECT_EQ(list.rules[1].url, L"b.example");
  EXPECT_EQ(list.linesTaken, 1u);
  EXPECT_EQ(list.SkippedLines(), 0u);
}

TEST(FilterListTest, WhatIsNotAListAtAll) {
  const Windows1252Codec ansi;
  struct Case {
    std::string_view text;
    bool isList;
  };
  const Case cases[] = {
      {"", false},
      {"\n\n  \n", false},
      {"Dear user,\nthank you for your letter.\nRegards\n", false},
      {std::string_view("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20), false},
      {"{\n\"a\": 1\n}\n", false},
      {"# only comments\n# here\n", false},
      // A list's marks, but mostly lines that are not rules of any kind.
      {"[Adblock Plus 2.0]\nthis is not\na filter list\n", false},
      {"[Adblock Plus 2.0]\n! nothing yet\n", true},
      {"127.0.0.1 localhost\n", true},
      {"ads.example\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(ParseRuleList(c.text, ansi).isList, c.isList);
  }
}

TEST(FilterListTest, EncodingsAndLineEnds) {
  const Windows1252Codec ansi;
  // Notepad's "Unicode": UTF-16 with its byte-order mark.
  std::string utf16 = "\xFF\xFE";
  for (const char c : std::string_view("0.0.0.0 a.example\r\n0.0.0.0 b.example"))
    utf16 += std::string{c, '\0'};
  EXPECT_EQ(ParseRuleList(utf16, ansi).rules.size(), 2u);
  // A UTF-8 byte-order mark before the header; old Mac line ends.
  const ParsedList mac = ParseRuleList(
      "\xEF\xBB\xBF[Adblock Plus 2.0]\r||a.example^$popup\r||b.example/\xC3\xA9t\xC3\xA9$popup",
      ansi);
  EXPECT_TRUE(mac.isList);
  EXPECT_EQ(mac.Skipped(ListSkip::Comment), 1u);
  ASSERT_EQ(mac.rules.size(), 2u);
  EXPECT_EQ(mac.rules[1].url, L"b.example/\u00E9t\u00E9");
  // Bytes that are not UTF-8 are read in the ANSI code page.
  const ParsedList ansiList = ParseRuleList("||b.example/\xE9t\xE9$popup\n", ansi);
  ASSERT_EQ(ansiList.rules.size(), 1u);
  EXPECT_EQ(ansiList.rules[0].url, L"b.example/\u00E9t\u00E9");
  // A line of any length.
  const std::string longLine = "||a.example/" + std::string(1'000'000, 'x') + "$popup";
  EXPECT_EQ(ParseRuleList(longLine, ansi).rules.at(0).url.size(), 1'000'010u);
}

class RuleListImportTest : public ::testing::Test {
 protected:
  ImportCounts Import(std::string_view text) {
    return ImportRuleList(process.websites(), text, desk.platform().ansi);
  }
  const Website* Rule(std::wstring_view host, std::wstring_view url) {
    const WebsiteGroup* group = process.websites().FindGroup(host);
    return group ? process.websites().FindRule(*group, url) : nullptr;
  }

  sim::SimDesktop desk;
  Process process{desk.platform()};
};

TEST_F(RuleListImportTest, AddsBesideTheUsersRulesAndCountsWhatWasThere) {
  Websites& rules = process.websites();
  rules.Add(L"http://shop.example/", kAllowPopups, false);
  rules.Add(L"http://ads.example/", kAlwaysKill, false);
  int refreshes = 0;
  rules.SetRefreshHook([&] { ++refreshes; });
  const ImportCounts counts = Import(
      "[Adblock Plus 2.0]\n! Title: test\n||shop.example^$popup\n||ads.example^$popup\n"
      "||pop.example^$popup\n||pop.example^$popup,third-party\n|http://x.pop.example/a$popup\n"
      "||pop.example^$popup,domain=a.example\n");
  EXPECT_TRUE(counts.isList);
  EXPECT_EQ(counts.added, 2u);
  EXPECT_EQ(counts.alreadyThere, 3u);
  EXPECT_EQ(refreshes, 1) << "one refresh for the whole list";
  // The user's rules stay as they were: type and subdomains.
  EXPECT_EQ(Rule(L"shop.example", L"shop.example")->RuleType, kAllowPopups);
  EXPECT_FALSE(Rule(L"ads.example", L"ads.example")->MatchSubdomains);
  EXPECT_TRUE(Rule(L"pop.example", L"pop.example")->MatchSubdomains);
  EXPECT_EQ(Rule(L"x.pop.example", L"x.pop.example/a")->RuleType, kAlwaysKill);
  EXPECT_TRUE(rules.Kill(L"http://deep.down.pop.example/page"));
  EXPECT_FALSE(rules.Kill(L"http://deep.ads.example/"));
  EXPECT_TRUE(rules.Allow(L"http://shop.example/"));

  EXPECT_EQ(Import("Dear user,\nnot a list\n").added, 0u);
  EXPECT_EQ(rules.WebsiteCollection().size(), 4u);
}

TEST(RuleListMessageTest, TheCountsInWords) {
  struct Case {
    std::size_t added;
    std::size_t there;
    std::vector<std::pair<ListSkip, std::size_t>> skipped;
    std::wstring_view text;
  };
  const Case cases[] = {
      {120,
       4,
       {{ListSkip::NotPopup, 180}, {ListSkip::Narrower, 700}},
       L"Added 120 rules; 4 were already there; 880 lines skipped: 700 narrower than a whole "
       L"site, 180 not pop-up rules."},
      {1,
       1,
       {{ListSkip::Comment, 1}},
       L"Added 1 rule; 1 was already there; 1 line skipped: 1 comment."},
      {3, 0, {}, L"Added 3 rules."},
      {0, 2, {}, L"Added no rules; 2 were already there."},
      {0,
       0,
       {{ListSkip::Unreadable, 2}, {ListSkip::Cosmetic, 2}, {ListSkip::NotPopup, 1}},
       L"Added no rules; 5 lines skipped: 2 element-hiding rules, 2 unreadable, 1 not a pop-up "
       L"rule."},
      {0,
       0,
       {{ListSkip::Exception, 1},
        {ListSkip::RegularExpression, 1},
        {ListSkip::Wildcard, 1},
        {ListSkip::NoSite, 1},
        {ListSkip::LocalName, 1},
        {ListSkip::Redirection, 1}},
       L"Added no rules; 6 lines skipped: 1 exception, 1 regular expression, 1 with a wildcard, 1 "
       L"not naming a site, 1 local name, 1 redirection."},
  };
  for (const Case& c : cases) {
    ImportCounts counts{.added = c.added, .alreadyThere = c.there, .isList = true};
    for (const auto& [reason, n] : c.skipped)
      counts.skipped[static_cast<std::size_t>(reason)] = n;
    EXPECT_EQ(ImportMessage(counts), c.text);
  }
  EXPECT_EQ(ImportMessage(ImportCounts{}),
            L"Nothing was imported: the file is not a filter list or a hosts file.");
}

TEST_F(RuleListImportTest, ExportWritesTheAlwaysKillRulesAndReadsBackAsThem) {
  Websites& rules = process.websites();
  rules.Add(L"http://ads.example/", kAlwaysKill, false)->MatchSubdomains = true;
  rules.Add(L"http://allowed.example/", kAllowPopups, false);
  rules.Add(L"http://pop.example/win/open.php?x=1", kAlwaysKill, false);
  rules.Add(L"http://ads.example/caf\u00E9", kAlwaysKill, false)->MatchSubdomains = true;
  rules.Add(L"http://exact.example", kAlwaysKillOld, false);
  rules.Add(L"javascript:open('x')", kAlwaysKill, false);
  rules.Add(L"http://star.example/a*b", kAlwaysKill, false);
  rules.Add(L"http://slash.example/a//", kAlwaysKill, false);
  const RuleListExport out = ExportRuleList(rules, LocalTime{.year = 2004, .month = 6, .day = 1});
  EXPECT_EQ(out.text,
            "[Adblock Plus 2.0]\r\n"
            "! Title: Quellix always-kill rules\r\n"
            "! Last modified: 2004-06-01\r\n"
            "||ads.example^$popup\r\n"
            "||ads.example/caf\xC3\xA9$popup\r\n"
            "|http://pop.example/win/open.php$popup\r\n"
            "|http://exact.example^$popup\r\n");
  EXPECT_EQ(out.written, 4u);
  EXPECT_EQ(out.leftOut, 3u);
  EXPECT_EQ(ExportMessage(out), L"Exported 4 rules; 3 could not be written as filter rules.");
  EXPECT_EQ(ExportMessage(RuleListExport{.text = "", .written = 1, .leftOut = 1}),
            L"Exported 1 rule; 1 could not be written as a filter rule.");

  sim::SimDesktop otherDesk;
  Process other(otherDesk.platform());
  const ImportCounts counts = ImportRuleList(other.websites(), out.text, otherDesk.platform().ansi);
  EXPECT_EQ(counts.added, 4u);
  EXPECT_EQ(ImportMessage(counts), L"Added 4 rules; 3 lines skipped: 3 comments.");
  std::vector<std::tuple<std::wstring, bool>> before;
  std::vector<std::tuple<std::wstring, bool>> after;
  for (const Website& w : rules.WebsiteCollection()) {
    if (FilterLineOf(w)) before.emplace_back(w.URL, w.MatchSubdomains);
  }
  for (const Website& w : other.websites().WebsiteCollection()) {
    EXPECT_EQ(w.RuleType, kAlwaysKill);
    after.emplace_back(w.URL, w.MatchSubdomains);
  }
  EXPECT_EQ(after, before);
  other.Abandon();
}

// ---- The real EasyList --------------------------------------------------

std::string ReadEasyList() {
  std::ifstream in(QX_EASYLIST, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(RuleListImportTest, TheRealEasyList) {
  const std::string list = ReadEasyList();
  ASSERT_FALSE(list.empty()) << QX_EASYLIST
                             << " is missing: scripts/install-deps.sh fetches it (npm package "
                                "ad-block 4.1.7)";
  const ParsedList parsed = ParseRuleList(list, desk.platform().ansi);
  EXPECT_EQ(parsed.lines, 76050u);
  const auto skipped = [&](ListSkip r) { return parsed.Skipped(r); };
  EXPECT_EQ(skipped(ListSkip::Comment), 442u);
  EXPECT_EQ(skipped(ListSkip::Cosmetic), 32719u);
  EXPECT_EQ(skipped(ListSkip::Exception), 5522u);
  EXPECT_EQ(skipped(ListSkip::NotPopup), 35673u);
  EXPECT_EQ(skipped(ListSkip::Narrower), 164u);
  EXPECT_EQ(skipped(ListSkip::RegularExpression), 0u);
  EXPECT_EQ(skipped(ListSkip::Wildcard), 84u);
  EXPECT_EQ(skipped(ListSkip::NoSite), 132u);
  EXPECT_EQ(skipped(ListSkip::LocalName), 0u);
  EXPECT_EQ(skipped(ListSkip::Redirection), 0u);
  EXPECT_EQ(skipped(ListSkip::Unreadable), 0u);
  EXPECT_EQ(parsed.linesTaken, 1314u);

  Websites& rules = process.websites();
  rules.Add(L"http://popcash.net/", kAllowPopups, false);
  const ImportCounts counts = ImportRuleList(rules, list, desk.platform().ansi);
  EXPECT_EQ(ImportMessage(counts),
            L"Added 1313 rules; 1 was already there; 74736 lines skipped: 35673 not pop-up rules, "
            L"32719 element-hiding rules, 5522 exceptions, 442 comments, 164 narrower than a whole "
            L"site, 132 not naming a site, 84 with wildcards.");
  const Query kills[] = {
      {L"http://popads.net/", true},                           // ||popads.net^$popup,third-party
      {L"http://c1.popads.net/serve/?z=1", true},              // and its subdomains
      {L"http://ad.doubleclick.net/ddm/trackclk/N1;x", true},  // a path
      {L"http://ad.doubleclick.net/ddm/activity/", false},
      {L"http://chaturbate.com/affiliates/in/", true},
      {L"http://chaturbate.com/", false},
      {L"http://adcash.com/", true},                             // ||adcash.com^$popup,third-party
      {L"http://pagead2.googlesyndication.com/pagead/", false},  // a request, not a pop-up
      {L"http://popcash.net/go", false},  // the user's allow rule stays and decides
      {L"http://news.example/", false},
  };
  for (const Query& q : kills)
    EXPECT_EQ(rules.Kill(q.url), q.expected) << ToUtf8(q.url);
  // The import is written and read back like any rule the user made.
  rules.Terminate();
  Websites reloaded(desk.files(), desk.platform().ansi, process.settings(),
                    [&]() -> ErrorReporter& { return process.errors(); });
  EXPECT_EQ(reloaded.WebsiteCollection().size(), 1314u);
  EXPECT_TRUE(reloaded.Kill(L"http://c1.popads.net/"));
}

}  // namespace
}  // namespace qx
