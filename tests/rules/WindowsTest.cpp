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

TEST_F(WindowsTest, ExactRuleForOneProgramKillsOnlyItsWholeCaption) {
  rules().Add(L"C:\\Windows\\Notepad.exe", L"Untitled - Notepad", kCaptionEquals);
  ExpectKill({
      {kNotepad, L"Untitled - Notepad", true},
      {kNotepad, L"  UNTITLED - notepad  ", true},
      {kNotepad, L"Untitled - Notepad (2)", false},
      {kNotepad, L"Untitled", false},
      {kPaint, L"Untitled - Notepad", false},
  });
  rules().Add(L"_general", L"Untitled - Notepad", kCaptionEquals);
  ExpectKill({{kPaint, L"untitled - notepad", true}, {kPaint, L"Untitled - Notepad!", false}});
}

TEST_F(WindowsTest, ProgramRulesAndGeneralRulesBothApply) {
  rules().Add(kNotepad, L"secret", kCaptionContains);
  rules().Add(L"", L"advert", kCaptionContains);
  ExpectKill({
      {kNotepad, L"my secret file", true},
      {kNotepad, L"an advert", true},
      {kPaint, L"my secret file", false},
      {kPaint, L"an advert", true},
      {L"c:\\other.exe", L"ADVERT", true},
  });
}

TEST_F(WindowsTest, ExactRuleNeverMatchesAPartOfTheCaption) {
  rules().Add(L"", L"Alert", kCaptionEquals);
  rules().Add(L"", L"unrelated phrase", kCaptionContains);
  ExpectKill({{kNotepad, L"Alert", true}, {kNotepad, L"Red Alert", false}});
}

TEST_F(WindowsTest, OtherStatusValuesAreKeptButNeverMatch) {
  const Window* rule = rules().Add(L"", L"odd", 3);
  ASSERT_NE(rule, nullptr);
  EXPECT_EQ(rule->Status, 3);
  rules().Add(L"", L"other phrase", kCaptionContains);
  ExpectKill({{kNotepad, L"odd", false}, {kNotepad, L"very odd", false}});
  EXPECT_EQ(rules().ContainsRuleCount(), 1);
}

TEST_F(WindowsTest, ReplacingExactByPhraseLeavesOneRuleAndCountsThePhrase) {
  rules().Add(kNotepad, L"Pop", kCaptionEquals);
  EXPECT_EQ(rules().ContainsRuleCount(), 0);
  ExpectKill({{kNotepad, L"Pop up", false}});

  const Window* phrase = rules().Add(kNotepad, L"  POP ", kCaptionContains);
  ASSERT_NE(phrase, nullptr);
  EXPECT_EQ(phrase->Caption, L"POP");
  EXPECT_EQ(phrase->Program, kNotepad);
  EXPECT_EQ(rules().ContainsRuleCount(), 1);
  const WindowGroup* group = rules().FindGroup(kNotepad);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->Count(), 1u);
  EXPECT_EQ(rules().FindRule(*group, L"pop"), phrase);
  ExpectKill({{kNotepad, L"Pop up", true}});

  // And back: the phrase is no longer counted or matched.
  rules().Add(kNotepad, L"pop", kCaptionEquals);
  EXPECT_EQ(rules().ContainsRuleCount(), 0);
  ExpectKill({{kNotepad, L"Pop up", false}, {kNotepad, L"POP", true}});
}

TEST_F(WindowsTest, ReplacedRuleMovesToTheEndOfItsGroup) {
  rules().Add(L"", L"one", kCaptionEquals);
  rules().Add(L"", L"two", kCaptionEquals);
  rules().Add(L"", L"ONE", kCaptionContains);
  std::vector<std::wstring> captions;
  for (const WindowGroup& group : rules().GetWindowCollections()) {
    for (const Window& rule : group)
      captions.push_back(rule.Caption);
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"two", L"ONE"}));
}

TEST_F(WindowsTest, RemoveNormalisesItsArgumentsAndDropsEmptyGroups) {
  rules().Add(L"", L"a", kCaptionContains);
  rules().Add(kNotepad, L"b", kCaptionEquals);
  rules().Add(kNotepad, L"c", kCaptionContains);
  EXPECT_EQ(rules().Count(), 2u);
  EXPECT_EQ(rules().ContainsRuleCount(), 2);

  EXPECT_FALSE(rules().Remove(kPaint, L"b"));
  EXPECT_FALSE(rules().Remove(kNotepad, L"x"));
  EXPECT_TRUE(rules().Remove(L"C:\\WINDOWS\\NOTEPAD.EXE", L"  C "));
  EXPECT_EQ(rules().ContainsRuleCount(), 1);
  EXPECT_TRUE(rules().Remove(kNotepad, L"B"));
  EXPECT_EQ(rules().FindGroup(kNotepad), nullptr);
  EXPECT_EQ(rules().Count(), 1u);
  EXPECT_TRUE(rules().Remove(L"", L"a"));
  EXPECT_EQ(rules().Count(), 0u);
  EXPECT_EQ(rules().ContainsRuleCount(), 0);
  ExpectKill({{kNotepad, L"a b c", false}});
}

TEST_F(WindowsTest, KillForAProgramWithoutGroupGoesToTheGeneralRules) {
  rules().Add(kNotepad, L"x", kCaptionEquals);
  rules().Add(L"", L"spam", kCaptionContains);
  ExpectKill(
      {{L"c:\\unknown.exe", L"Spam!", true}, {L"", L"spam", true}, {L"_GENERAL", L"spam", true}});
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

TEST_F(WindowsTest, NonAsciiCaptionsIgnoreLetterCase) {
  rules().Add(L"", L"\u00c9T\u00c9 SALE", kCaptionContains);
  rules().Add(L"", L"\u0391\u0392\u0393", kCaptionEquals);
  ExpectKill({{kNotepad, L"big \u00e9t\u00e9 sale now", true},
              {kNotepad, L"\u03b1\u03b2\u03b3", true},
              {kNotepad, L"\u03b1\u03b2", false}});
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
