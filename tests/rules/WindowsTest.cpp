// What the window rules kill, and how the message hook follows them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

constexpr std::wstring_view kNotepad = L"c:\\windows\\notepad.exe";
constexpr std::wstring_view kPaint = L"c:\\windows\\mspaint.exe";

struct Seen {
  std::wstring_view program;
  std::wstring_view caption;
  bool killed;
};

class WindowsTest : public ::testing::Test {
 protected:
  Windows& rules() { return process.windows(); }
  void ExpectKill(std::initializer_list<Seen> windows) {
    for (const Seen& w : windows) {
      EXPECT_EQ(rules().Kill(w.program, w.caption), w.killed)
          << ToUtf8(w.program) << " \"" << ToUtf8(w.caption) << "\"";
    }
  }
  const std::vector<std::string>& HookCalls() { return desk.hookControl().Calls(); }

  sim::SimDesktop desk;
  Process process{desk.platform()};
};

TEST_F(WindowsTest, PhraseRuleForAllProgramsKillsAnyCaptionContainingIt) {
  rules().Add(L"", L"  Free Prize ", kCaptionContains);
  ExpectKill({
      {kNotepad, L"You won a FREE PRIZE today", true},
      {kPaint, L"free prize", true},
      {L"", L"Claim your fReE pRiZe!", true},
      {kNotepad, L"Free  Prize", false},
      {kNotepad, L"Free Priz", false},
      {kNotepad, L"", false},
  });
}

TEST_F(WindowsTest, BlankCaptionIsRefused) {
  EXPECT_EQ(rules().Add(L"", L"   ", kCaptionContains), nullptr);
  EXPECT_EQ(rules().Add(kNotepad, L"", kCaptionEquals), nullptr);
  EXPECT_EQ(rules().Count(), 0u);
  EXPECT_TRUE(HookCalls().empty());
  ExpectKill({{kNotepad, L"anything", false}, {kNotepad, L"", false}});
}

TEST_F(WindowsTest, MessageHookFollowsTheRules) {
  rules().Add(L"", L"a", kCaptionContains);
  EXPECT_EQ(HookCalls(), (std::vector<std::string>{"InstallMsgHook"}));
  rules().Add(kNotepad, L"b", kCaptionEquals);
  rules().Remove(L"", L"a");
  EXPECT_EQ(HookCalls().back(), "InstallMsgHook");
  desk.hookControl().ClearCalls();
  rules().Remove(kNotepad, L"not there");
  EXPECT_TRUE(HookCalls().empty());
  rules().Remove(kNotepad, L"b");
  EXPECT_EQ(HookCalls(), (std::vector<std::string>{"RemoveMsgHook"}));
}

TEST_F(WindowsTest, FailingHookControlDoesNotStopTheRules) {
  desk.failures().FailAlways("HookControl");
  ASSERT_NE(rules().Add(L"", L"a", kCaptionContains), nullptr);
  ExpectKill({{kNotepad, L"cat", true}});
  EXPECT_TRUE(rules().Remove(L"", L"a"));
  EXPECT_EQ(rules().Count(), 0u);
}

TEST_F(WindowsTest, AddAsksTheOpenOptionsDialogToRefresh) {
  int refreshes = 0;
  rules().SetRefreshHook([&] { ++refreshes; });
  rules().Add(L"", L"a", kCaptionContains);
  rules().Remove(L"", L"a");
  EXPECT_EQ(refreshes, 1);
  rules().SetRefreshHook([] { throw PlatformError(91, L"Object variable not set"); });
  EXPECT_NE(rules().Add(L"", L"b", kCaptionContains), nullptr);
  EXPECT_EQ(HookCalls().back(), "InstallMsgHook");
}

TEST_F(WindowsTest, KillingRuleNamesTheRuleThatKills) {
  rules().Add(L"", L"Free Prize", kCaptionContains);
  rules().Add(kNotepad, L"Untitled - Notepad", kCaptionEquals);
  rules().Add(kNotepad, L"secret", kCaptionContains);
  rules().Add(kPaint, L"odd", 7);
  struct Case {
    std::wstring_view program;
    std::wstring_view caption;
    const wchar_t* rule;  // nullptr: none
    const wchar_t* group;
  };
  const Case cases[] = {
      {kNotepad, L"  UNTITLED - notepad ", L"Untitled - Notepad", L"c:\\windows\\notepad.exe"},
      {kNotepad, L"my Secret diary", L"secret", L"c:\\windows\\notepad.exe"},
      // The program's own rules first, then those for all programs.
      {kNotepad, L"a free prize secret", L"secret", L"c:\\windows\\notepad.exe"},
      {kPaint, L"win a FREE PRIZE", L"Free Prize", L"_general"},
      {kPaint, L"Untitled - Notepad", nullptr, nullptr},
      // A rule of another kind never kills, and is never named.
      {kPaint, L"odd", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const Window* rule = rules().KillingRule(c.program, c.caption);
    EXPECT_EQ(rule != nullptr, rules().Kill(c.program, c.caption)) << ToUtf8(c.caption);
    if (c.rule == nullptr) {
      EXPECT_EQ(rule, nullptr) << ToUtf8(c.caption);
      continue;
    }
    ASSERT_NE(rule, nullptr) << ToUtf8(c.caption);
    EXPECT_EQ(rule->Caption, c.rule);
    EXPECT_EQ(rule->Program, c.group);
  }
}

}  // namespace
}  // namespace qx
