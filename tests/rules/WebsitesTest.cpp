// What the website rules do beside matching: the options dialog told, the
// error log left alone, lookups. How rules match is compared with the
// plain-list model in WebsitesReferenceTest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"
#include "ui/ErrorFormPrompt.h"

namespace qx {
namespace {

struct Query {
  std::wstring_view url;
  bool expected;
};

class WebsitesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unmatched sites allowed, so that every "false" below comes from a rule.
    process.settings().SetBlockByDefault(false);
  }
  Websites& rules() { return process.websites(); }

  void ExpectAllow(std::initializer_list<Query> queries) {
    for (const Query& q : queries)
      EXPECT_EQ(rules().Allow(q.url), q.expected) << ToUtf8(q.url);
  }

  sim::SimDesktop desk;
  Process process{desk.platform()};
  ErrorFormPrompt& prompt = UseErrorForm(process);
};

TEST_F(WebsitesTest, DisallowedTwoLabelDomainCoversItselfAndItsWwwName) {
  rules().Add(L"example.com", kDisallowPopups, true);
  ExpectAllow({
      {L"http://example.com", false},
      {L"http://example.com/", false},
      {L"http://EXAMPLE.com/page.htm?x=1", false},
      {L"http://www.example.com/", false},
      {L"https://www.example.com/a/b", false},
      {L"http://shop.example.com/", true},
      {L"http://www.shop.example.com/", true},
      {L"http://example.org/", true},
  });
}

TEST_F(WebsitesTest, CountIsTheNumberOfHosts) {
  EXPECT_EQ(rules().Count(), 0u);
  rules().Add(L"http://a.com/one.htm", kAllowPopups, true);
  rules().Add(L"http://a.com/two.htm", kDisallowPopups, true);
  EXPECT_EQ(rules().Count(), 1u);
  EXPECT_EQ(rules().WebsiteCollection().size(), 2u);
  rules().Add(L"b.com", kAllowPopups, true);
  EXPECT_EQ(rules().Count(), 2u);
  std::vector<std::wstring> hosts;
  for (const WebsiteGroup& group : rules())
    hosts.push_back(group.Host());
  EXPECT_EQ(hosts, (std::vector<std::wstring>{L"a.com", L"b.com"}));
}

TEST_F(WebsitesTest, AddAsksTheOpenOptionsDialogToRefresh) {
  int refreshes = 0;
  rules().SetRefreshHook([&] { ++refreshes; });
  rules().Add(L"a.com", kAllowPopups, false);
  rules().Add(L"b.com", kAllowPopups, false);
  rules().Remove(L"a.com");
  EXPECT_EQ(refreshes, 2);
  rules().SetRefreshHook(nullptr);
  rules().Add(L"c.com", kAllowPopups, false);
  EXPECT_EQ(refreshes, 2);
}

TEST_F(WebsitesTest, FailedRefreshIsReportedAndTheRuleStillReturned) {
  rules().SetRefreshHook(
      [] { throw PlatformError(91, L"Object variable not set", L"OptionsForm"); });
  Website* rule = rules().Add(L"a.com", kDisallowPopups, false);
  ASSERT_NE(rule, nullptr);
  rule->MatchSubdomains = true;
  EXPECT_FALSE(rules().Allow(L"http://x.a.com/"));

  ASSERT_EQ(desk.errorDialog().Shown().size(), 1u);
  EXPECT_NE(desk.errorDialog().Shown()[0].info.find(std::wstring(kWebsiteRuleAddMessage)),
            std::wstring::npos);
  const std::string log = desk.files().ReadAll(desk.files().ProgramFile(L"ErrorLog.txt"));
  EXPECT_NE(log.find("WebsiteRuleAdd"), std::string::npos);
}

TEST_F(WebsitesTest, MakingTheRulesDoesNotStartTheErrorLogAfresh) {
  // With EventLog off the log is emptied when the logger starts, which
  // must wait for the first error of the run.
  process.settings().SetEventLog(false);
  const std::wstring log = desk.files().ProgramFile(L"ErrorLog.txt");
  desk.files().WriteAll(log, "earlier run\r\n");
  rules().Add(L"a.com", kAllowPopups, false);
  EXPECT_EQ(desk.files().ReadAll(log), "earlier run\r\n");
}

TEST_F(WebsitesTest, FindGroupAndFindRuleIgnoreLetterCase) {
  rules().Add(L"a.com/Page", kAllowPopups, false);
  const WebsiteGroup* group = rules().FindGroup(L"A.Com");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Count(), 1u);
  const Website* rule = rules().FindRule(*group, L"A.COM/PAGE");
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->URL, L"a.com/page");
  EXPECT_EQ(rules().FindRule(*group, L"a.com/pag"), nullptr);
  EXPECT_EQ(rules().FindGroup(L"b.com"), nullptr);
}

}  // namespace
}  // namespace qx
