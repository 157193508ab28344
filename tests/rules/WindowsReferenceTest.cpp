// The indexed window rules against the plain-list model on random rule sets.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "rules/ReferenceRules.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

TEST(WindowsReference, IndexedRulesAnswerAsThePlainListsDo) {
  sim::SimDesktop desk;
  std::mt19937_64 rng(99);
  auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const std::wstring_view programs[] = {L"",          L"_general",  L"c:\\a.exe",
                                        L"C:\\A.EXE", L"c:\\b.exe", L"c:\\c.exe"};
  const std::wstring_view words[] = {L"pop", L"Up",   L"ad", L"\u00c9t\u00e9",
                                     L" ",   L"free", L"p",  L"o"};
  auto caption = [&](int maxWords) {
    std::wstring c;
    const int n = below(maxWords + 1);
    for (int i = 0; i < n; ++i)
      c += words[below(8)];
    return c;
  };
  int kills = 0;
  int queries = 0;
  for (int set = 0; set < 1500; ++set) {
    Windows rules(desk.files(), desk.platform().ansi, desk.hookControl());
    reference::ReferenceWindows model;
    const int ops = 1 + below(set % 10 == 0 ? 200 : 25);
    for (int op = 0; op < ops; ++op) {
      const std::wstring_view program = programs[below(6)];
      const std::wstring text = caption(3);
      if (below(5) == 0) {
        ASSERT_EQ(rules.Remove(program, text), model.Remove(program, text));
      } else {
        const std::int32_t status = below(12) == 0 ? 3 : 1 + below(2);
        rules.Add(program, text, status);
        model.Add(program, text, status);
      }
      ASSERT_EQ(rules.ContainsRuleCount(), model.ContainsRuleCount());
      ASSERT_EQ(rules.Count(), model.groups.size());
      // Ask now and then while rules change, so that a stale phrase index
      // would be caught.
      if (below(3) == 0) {
        const std::wstring_view asked = programs[below(6)];
        const std::wstring c = caption(4);
        ASSERT_EQ(rules.Kill(asked, c), model.Kill(asked, c)) << set;
      }
    }
    std::size_t g = 0;
    for (const WindowGroup& group : rules.GetWindowCollections()) {
      ASSERT_EQ(group.Program(), model.groups[g].program);
      ASSERT_EQ(group.Count(), model.groups[g].rules.size());
      std::size_t r = 0;
      for (const Window& rule : group) {
        EXPECT_EQ(rule.Caption, model.groups[g].rules[r].caption);
        EXPECT_EQ(rule.Status, model.groups[g].rules[r].status);
        ++r;
      }
      ++g;
    }
    for (int q = 0; q < 40; ++q) {
      const std::wstring_view program = programs[below(6)];
      const std::wstring c = caption(5);
      const bool expected = model.Kill(program, c);
      ASSERT_EQ(rules.Kill(program, c), expected)
          << "set " << set << " " << ToUtf8(program) << " \"" << ToUtf8(c) << "\"";
      kills += expected;
      ++queries;
    }
  }
  EXPECT_GT(kills, queries / 10);
  EXPECT_LT(kills, queries - queries / 10);
}

}  // namespace
}  // namespace qx
