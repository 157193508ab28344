// The rule files around the rules: a missing one is made when the rules
// load; one that is there but cannot be read is never written over, and the
// rules added meanwhile wait beside it until it reads again.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "context/Process.h"
#include "rules/PendingRules.h"
#include "rules/WebsiteFiles.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

// The two kinds of rules, seen the same way: add one by name, list them.
struct RuleKind {
  const char* name;
  std::wstring_view file;
  std::function<void(Process&, const std::wstring&)> add;
  std::function<std::vector<std::wstring>(Process&)> names;
};

const std::vector<RuleKind>& Kinds() {
  static const std::vector<RuleKind> kinds = {
      {"website rules", kWebsitesFile,
       [](Process& p, const std::wstring& name) { p.websites().Add(name, kAllowPopups, false); },
       [](Process& p) {
         std::vector<std::wstring> out;
         for (const Website& w : p.websites().WebsiteCollection())
           out.push_back(w.URL);
         return out;
       }},
      {"window rules", kWindowsFile,
       [](Process& p, const std::wstring& name) { p.windows().Add(L"", name, kCaptionEquals); },
       [](Process& p) {
         std::vector<std::wstring> out;
         for (const WindowGroup& g : p.windows().GetWindowCollections()) {
           for (const Window& w : g)
             out.push_back(w.Caption);
         }
         return out;
       }},
  };
  return kinds;
}

using Names = std::vector<std::wstring>;

class PendingRulesTest : public ::testing::Test {
 protected:
  std::wstring Path(std::wstring_view name) { return desk.files().ProgramFile(name); }
  bool Has(std::wstring_view name) { return desk.files().Exists(Path(name)); }
  std::string Get(std::wstring_view name) { return desk.files().ReadAll(Path(name)); }
  std::wstring Pending(const RuleKind& kind) { return PendingRulesPath(kind.file); }
  // One run of the program: adds these rules, the rule file unreadable
  // when asked.
  Names Run(const RuleKind& kind, const Names& added, bool unreadable) {
    Process run(desk.platform());
    if (unreadable) desk.failures().FailNext("Files.ReadAll");
    Names loaded = kind.names(run);
    desk.failures().Clear();
    for (const std::wstring& name : added)
      kind.add(run, name);
    return loaded;
  }

  sim::SimDesktop desk;
};

TEST(PendingRulesPathTest, SitsBesideTheRuleFile) {
  EXPECT_EQ(PendingRulesPath(L"C:\\Program Files\\Quellix\\websites.dat"),
            L"C:\\Program Files\\Quellix\\websites.pending.dat");
  EXPECT_EQ(PendingRulesPath(L"windows.dat"), L"windows.pending.dat");
  EXPECT_EQ(PendingRulesPath(L"C:\\dir.x\\rules"), L"C:\\dir.x\\rules.pending");
}

TEST_F(PendingRulesTest, AMissingRuleFileIsMadeEmptyWhenTheRulesLoad) {
  for (const RuleKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Process run(desk.platform());
    kind.names(run);
    EXPECT_TRUE(Has(kind.file));
    EXPECT_EQ(Get(kind.file), "");
  }
}

TEST_F(PendingRulesTest, AFolderThatTakesNoFileStillLoadsAndSavesLater) {
  for (const RuleKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    {
      Process run(desk.platform());
      desk.failures().FailNext("Files.WriteAll");
      EXPECT_TRUE(kind.names(run).empty());
      EXPECT_FALSE(Has(kind.file));
      kind.add(run, L"kept.example");
    }
    // Not taken for an unreadable file: the end writes it.
    EXPECT_TRUE(Has(kind.file));
    EXPECT_FALSE(Has(Pending(kind)));
  }
}

TEST_F(PendingRulesTest, RulesAddedWhileTheFileCannotBeReadWaitBesideItAndAreMerged) {
  for (const RuleKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Run(kind, {L"old.example"}, false);
    const std::string old = Get(kind.file);

    // Twice unreadable: the file stays as it is, the new rules pile up beside it.
    EXPECT_TRUE(Run(kind, {L"first.example"}, true).empty());
    EXPECT_EQ(Run(kind, {L"second.example"}, true), (Names{L"first.example"}));
    EXPECT_EQ(Get(kind.file), old);
    EXPECT_TRUE(Has(Pending(kind)));
    const std::string log = Get(L"ErrorLog.txt");
    EXPECT_NE(log.find(ToUtf8(std::wstring(kind.file)) + " could not be read"), std::string::npos);
    EXPECT_NE(log.find(ToUtf8(Pending(kind))), std::string::npos);

    // Readable again: merged, saved into the rule file, and the side file goes.
    EXPECT_EQ(Run(kind, {}, false), (Names{L"old.example", L"first.example", L"second.example"}));
    EXPECT_FALSE(Has(Pending(kind)));
    EXPECT_EQ(Run(kind, {}, false), (Names{L"old.example", L"first.example", L"second.example"}));
  }
}

TEST_F(PendingRulesTest, ASideFileThatCannotBeReadIsNeverWrittenOver) {
  for (const RuleKind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Run(kind, {}, false);
    Run(kind, {L"waiting.example"}, true);
    const std::string waiting = Get(Pending(kind));
    {
      Process run(desk.platform());
      // The rule file, then the side file.
      desk.failures().FailNext("Files.ReadAll", 2);
      kind.names(run);
      desk.failures().Clear();
      kind.add(run, L"lost.example");
    }
    EXPECT_EQ(Get(Pending(kind)), waiting);
    EXPECT_EQ(Run(kind, {}, false), (Names{L"waiting.example"}));
  }
}

}  // namespace
}  // namespace qx
