// "websites.dat" and the one-time import of "servers.lst": what loads, what
// is written back, and what a damaged file or a failed write leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "context/Process.h"
#include "rules/ReporterAccess.h"
#include "rules/WebsiteFiles.h"
#include "rules/WebsiteUrl.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

struct Record {
  std::int32_t type;
  std::wstring text;
};

using Loaded = std::tuple<std::wstring, std::int32_t, bool>;

class WebsitesFileTest : public ::testing::Test {
 protected:
  std::wstring Path(std::wstring_view name) { return desk.files().ProgramFile(name); }
  void Put(std::wstring_view name, std::string_view bytes) {
    desk.files().WriteAll(Path(name), bytes);
  }
  std::string Get(std::wstring_view name) { return desk.files().ReadAll(Path(name)); }
  bool Has(std::wstring_view name) { return desk.files().Exists(Path(name)); }

  // The file's bytes; ends[i] is the offset just past record i.
  std::string Encode(const std::vector<Record>& records, std::vector<std::size_t>* ends = nullptr) {
    ByteWriter writer(codec);
    for (const Record& r : records) {
      writer.PutInt32(r.type);
      writer.PutText(r.text);
      if (ends) ends->push_back(writer.Bytes().size());
    }
    return writer.Take();
  }

  // A fresh object over the files as they are now; nothing is written back.
  std::vector<Loaded> Load() {
    Websites rules(desk.files(), codec, process.settings(), Reporter(process));
    return Contents(rules);
  }
  static std::vector<Loaded> Contents(const Websites& rules) {
    std::vector<Loaded> out;
    for (const Website& w : rules.WebsiteCollection())
      out.emplace_back(w.URL, w.RuleType, w.MatchSubdomains);
    return out;
  }
  static Loaded Expected(const Record& r) {
    const bool marked = r.text.starts_with(L"*!");
    return {marked ? r.text.substr(2) : r.text, r.type, marked};
  }

  // What loading these records must give: blank ones dropped, grouped by
  // host in the order hosts first appear, a repeated URL moved to the end.
  static std::vector<Loaded> ExpectedLoad(const std::vector<Record>& records) {
    std::vector<std::pair<std::wstring, std::vector<Loaded>>> groups;
    for (const Record& r : records) {
      if (Trim(r.text).empty()) continue;
      const Loaded rule = Expected(r);
      const std::wstring host = website::HostOf(std::get<0>(rule));
      auto g = std::find_if(groups.begin(), groups.end(),
                            [&](const auto& x) { return x.first == host; });
      if (g == groups.end()) g = groups.insert(groups.end(), {host, {}});
      std::erase_if(g->second,
                    [&](const Loaded& x) { return std::get<0>(x) == std::get<0>(rule); });
      g->second.push_back(rule);
    }
    std::vector<Loaded> out;
    for (const auto& g : groups)
      out.insert(out.end(), g.second.begin(), g.second.end());
    return out;
  }

  sim::SimDesktop desk;
  Windows1252Codec codec;
  Process process{desk.platform()};
};

// Distinct hosts and paths, a marker, a blank record and a character of the
// upper half of the code page.
const std::vector<Record> kSample = {
    {1, L"a.com"},         {2, L"*!b.com/x"}, {3, L"a.com/k\u00e9"}, {2, L"   "},
    {1, L"javascript:go"}, {4, L"c.org/p"},   {2, L"*!d.b.com"},
};

TEST_F(WebsitesFileTest, LoadsRecordsWithMarkerAndDropsBlankOnes) {
  Put(kWebsitesFile, Encode(kSample));
  EXPECT_EQ(Load(), (std::vector<Loaded>{{L"a.com", 1, false},
                                         {L"a.com/k\u00e9", 3, false},
                                         {L"b.com/x", 2, true},
                                         {L"javascript:go", 1, false},
                                         {L"c.org/p", 4, false},
                                         {L"d.b.com", 2, true}}));
  EXPECT_EQ(Load(), ExpectedLoad(kSample));
}

TEST_F(WebsitesFileTest, LaterRecordForTheSameUrlReplacesTheEarlierOne) {
  Put(kWebsitesFile, Encode({{1, L"a.com"}, {1, L"a.com/x"}, {2, L"*!a.com"}}));
  EXPECT_EQ(Load(), (std::vector<Loaded>{{L"a.com/x", 1, false}, {L"a.com", 2, true}}));
}

TEST_F(WebsitesFileTest, SavesGroupByGroupAndLoadsTheSameRules) {
  Websites& rules = process.websites();
  rules.Add(L"a.com/1", kAllowPopups, false);
  rules.Add(L"b.com", kAlwaysKill, false)->MatchSubdomains = true;
  rules.Add(L"a.com/2", kDisallowPopups, false);
  rules.Add(L"c.com\u00e9", kDisallowPopups, false);
  const std::vector<Loaded> before = Contents(rules);
  process.EndOfLife();

  EXPECT_EQ(Get(kWebsitesFile),
            Encode({{1, L"a.com/1"}, {2, L"a.com/2"}, {3, L"*!b.com"}, {2, L"c.com\u00e9"}}));
  EXPECT_EQ(Load(), before);
}

TEST_F(WebsitesFileTest, UnrepresentableCharacterIsStoredAsQuestionMarkWithoutWideningTheRule) {
  process.websites().Add(L"http://a.com/\u65e5\u672c", kAlwaysKill, false);
  process.EndOfLife();
  EXPECT_EQ(Get(kWebsitesFile), Encode({{3, L"a.com/??"}}));

  Websites reloaded(desk.files(), codec, process.settings(), Reporter(process));
  EXPECT_EQ(Contents(reloaded), (std::vector<Loaded>{{L"a.com/??", 3, false}}));
  EXPECT_FALSE(reloaded.Kill(L"http://a.com/"));
  EXPECT_FALSE(reloaded.Kill(L"http://a.com/index.htm"));
}

// "*!" in front of a stored URL marks a subdomain rule, so no rule's own URL
// begins with it: a typed one, or one a scheme hid in a damaged record, would
// come back from the file as a different rule.
TEST_F(WebsitesFileTest, NoRuleUrlBeginsWithTheSubdomainMarker) {
  struct Typed {
    std::wstring url;
    bool subdomains;
    Loaded rule;
  };
  const std::vector<Typed> typed = {
      {L"http://*!a.com/x", false, {L"a.com/x", 3, false}},
      {L"*!*!b.com", false, {L"b.com", 3, false}},
      {L"http://*!https://*!c.com", false, {L"c.com", 3, false}},
      {L"http://*!d.com", true, {L"d.com", 3, true}},
  };
  Websites& rules = process.websites();
  std::vector<Loaded> expected;
  for (const Typed& t : typed) {
    rules.Add(t.url, kAlwaysKill, false)->MatchSubdomains = t.subdomains;
    expected.push_back(t.rule);
  }
  EXPECT_EQ(Contents(rules), expected);
  EXPECT_TRUE(rules.Kill(L"http://a.com/x/y"));
  process.EndOfLife();
  EXPECT_EQ(Get(kWebsitesFile),
            Encode({{3, L"a.com/x"}, {3, L"b.com"}, {3, L"c.com"}, {3, L"*!d.com"}}));
  EXPECT_EQ(Load(), expected);

  Put(kWebsitesFile, Encode({{2, L"banner:/*!e.com"}, {1, L"*!http://*!f.com/p"}}));
  const std::vector<Loaded> damaged = {{L"e.com", 2, false}, {L"f.com/p", 1, true}};
  EXPECT_EQ(Load(), damaged);
  {
    Websites again(desk.files(), codec, process.settings(), Reporter(process));
    again.Terminate();
  }
  EXPECT_EQ(Load(), damaged);
}

TEST_F(WebsitesFileTest, FileCutAtEveryOffsetLoadsEveryWholeRecord) {
  std::vector<std::size_t> ends;
  const std::string bytes = Encode(kSample, &ends);
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    Put(kWebsitesFile, bytes.substr(0, cut));
    std::vector<Record> whole;
    for (std::size_t i = 0; i < kSample.size() && ends[i] <= cut; ++i)
      whole.push_back(kSample[i]);
    EXPECT_EQ(Load(), ExpectedLoad(whole));
  }
}

TEST_F(WebsitesFileTest, BadLengthEndsTheReadingAndKeepsWhatCameBefore) {
  std::vector<std::size_t> ends;
  const std::string bytes = Encode(kSample, &ends);
  const std::int32_t badLengths[] = {-1, -2147483647 - 1, 2147483647, 1000000};
  for (std::size_t rec = 0; rec < kSample.size(); ++rec) {
    const std::size_t start = rec == 0 ? 0 : ends[rec - 1];
    for (const std::int32_t bad : badLengths) {
      SCOPED_TRACE("record " + std::to_string(rec) + ", length " + std::to_string(bad));
      std::string damaged = bytes;
      ByteWriter length(codec);
      length.PutInt32(bad);
      damaged.replace(start + 4, 4, length.Bytes());
      Put(kWebsitesFile, damaged);
      const std::vector<Record> before(kSample.begin(), kSample.begin() + static_cast<long>(rec));
      EXPECT_EQ(Load(), ExpectedLoad(before));
    }
  }
}

TEST_F(WebsitesFileTest, AnyByteDamagedLoadsWithoutHarmToEarlierRecords) {
  std::vector<std::size_t> ends;
  const std::string bytes = Encode(kSample, &ends);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (const char value : {'\x00', '\x7f', '\x80', '\xff'}) {
      std::string damaged = bytes;
      if (damaged[at] == value) continue;
      damaged[at] = value;
      SCOPED_TRACE("byte " + std::to_string(at) + " = " + std::to_string(value));
      Put(kWebsitesFile, damaged);
      Websites rules(desk.files(), codec, process.settings(), Reporter(process));
      for (std::size_t i = 0; i < kSample.size() && ends[i] <= at; ++i) {
        if (Trim(kSample[i].text).empty()) continue;
        const auto [url, type, marked] = Expected(kSample[i]);
        const WebsiteGroup* group = rules.FindGroup(website::HostOf(url));
        ASSERT_NE(group, nullptr) << ToUtf8(url);
        const Website* rule = rules.FindRule(*group, url);
        ASSERT_NE(rule, nullptr) << ToUtf8(url);
        EXPECT_EQ(rule->RuleType, type);
        EXPECT_EQ(rule->MatchSubdomains, marked);
      }
      rules.Allow(L"http://a.com/k");
      rules.Kill(L"http://d.b.com/");
    }
  }
}

TEST_F(WebsitesFileTest, FailedWriteLeavesTheOldFile) {
  const std::string old = Encode({{1, L"a.com"}});
  Put(kWebsitesFile, old);
  process.websites().Add(L"b.com", kDisallowPopups, false);
  desk.files().SetSpaceLeft(3);
  process.EndOfLife();
  desk.files().SetSpaceLeft(-1);
  EXPECT_EQ(Get(kWebsitesFile), old);
}

TEST_F(WebsitesFileTest, UnreadableFileIsNotOverwrittenAtTheEnd) {
  const std::string old = Encode({{1, L"a.com"}, {2, L"b.com"}});
  Put(kWebsitesFile, old);
  desk.failures().FailNext("Files.ReadAll");
  EXPECT_EQ(process.websites().Count(), 0u);
  process.websites().Add(L"c.com", kDisallowPopups, false);
  process.EndOfLife();
  EXPECT_EQ(Get(kWebsitesFile), old);
}

TEST_F(WebsitesFileTest, ServerListIsImportedOnceAndDeletedAfterTheSave) {
  Put(kServerListFile,
      "\"allowed.com\",#FALSE#\r\n"
      "\"http://www.Blocked.com/?x\",#TRUE#\r\n"
      "this line is not a record\r\n"
      "\"\",#TRUE#\r\n"
      "  bare.com , #true#\n"
      "\"no-flag.com\",maybe\r\n");
  Put(kWebsitesFile, Encode({{2, L"allowed.com"}, {1, L"old.com"}}));
  {
    Process first(desk.platform());
    Websites& rules = first.websites();
    EXPECT_TRUE(rules.ListImported());
    // Imported first, then the rule file, whose record for the same URL wins.
    EXPECT_EQ(Contents(rules), (std::vector<Loaded>{{L"allowed.com", 2, false},
                                                    {L"www.blocked.com", 2, false},
                                                    {L"bare.com", 2, false},
                                                    {L"old.com", 1, false}}));
    EXPECT_TRUE(Has(kServerListFile));
  }
  EXPECT_FALSE(Has(kServerListFile));
  EXPECT_EQ(
      Get(kWebsitesFile),
      Encode({{2, L"allowed.com"}, {2, L"www.blocked.com"}, {2, L"bare.com"}, {1, L"old.com"}}));
  Process second(desk.platform());
  EXPECT_FALSE(second.websites().ListImported());
  EXPECT_EQ(second.websites().WebsiteCollection().size(), 4u);
}

TEST_F(WebsitesFileTest, ServerListStaysWhenTheImportedRulesCouldNotBeSaved) {
  Put(kServerListFile, "\"a.com\",#TRUE#\r\n");
  struct Failure {
    const char* name;
    std::function<void()> inject;
  };
  const Failure failures[] = {
      {"full disk", [&] { desk.files().SetSpaceLeft(2); }},
      {"write refused", [&] { desk.failures().FailNext("Files.WriteAll"); }},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    {
      Process run(desk.platform());
      EXPECT_TRUE(run.websites().ListImported());
      f.inject();
    }
    desk.files().SetSpaceLeft(-1);
    desk.failures().Clear();
    EXPECT_TRUE(Has(kServerListFile));
    // Made empty when the rules loaded; the imported rule never reached it.
    EXPECT_EQ(Get(kWebsitesFile), "");
    desk.files().Remove(Path(kWebsitesFile));
  }
}

TEST_F(WebsitesFileTest, UnreadableServerListIsNeitherImportedNorDeleted) {
  Put(kServerListFile, "\"a.com\",#TRUE#\r\n");
  {
    Process run(desk.platform());
    desk.failures().FailNext("Files.ReadAll");
    EXPECT_FALSE(run.websites().ListImported());
    EXPECT_EQ(run.websites().Count(), 0u);
  }
  EXPECT_TRUE(Has(kServerListFile));
  Process next(desk.platform());
  EXPECT_TRUE(next.websites().ListImported());
  EXPECT_EQ(next.websites().Count(), 1u);
}

}  // namespace
}  // namespace qx
