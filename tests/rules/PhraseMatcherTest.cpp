// The one-pass phrase search against trying every phrase in turn, with the
// full table and (budget 0) stepping through the trie.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "rules/PhraseMatcher.h"

namespace qx {
namespace {

bool Naive(const std::vector<std::wstring>& phrases, std::wstring_view text) {
  for (const auto& p : phrases) {
    if (text.find(p) != std::wstring_view::npos) return true;
  }
  return false;
}

std::vector<std::wstring_view> Views(const std::vector<std::wstring>& phrases) {
  return {phrases.begin(), phrases.end()};
}

TEST(PhraseMatcher, FindsPhrasesThatOnlyAFallBackReaches) {
  // "abcx" fails after "abc"; "bcd" must still be found in "abcd", and "c"
  // inside a longer partial match.
  const std::vector<std::wstring> phrases = {L"abcx", L"bcd", L"zzc"};
  const struct {
    std::wstring_view text;
    bool found;
  } cases[] = {
      {L"abcd", true}, {L"abcx", true},  {L"abc", false},   {L"xxzzc", true},
      {L"zzzc", true}, {L"zz", false},   {L"", false},      {L"ab cd", false},
      {L"bcd", true},  {L"aabcx", true}, {L"abcbcd", true}, {L"\u00e9bcd", true},
  };
  for (const std::size_t budget : {PhraseMatcher::kTableBudget, std::size_t{0}}) {
    const PhraseMatcher m(Views(phrases), budget);
    for (const auto& c : cases)
      EXPECT_EQ(m.AnyIn(c.text), c.found) << ToUtf8(c.text) << " budget " << budget;
  }
}

TEST(PhraseMatcher, EmptySetMatchesNothingAndEmptyPhraseEverything) {
  EXPECT_FALSE(PhraseMatcher().AnyIn(L"anything"));
  EXPECT_FALSE(PhraseMatcher(std::vector<std::wstring_view>{}).AnyIn(L"anything"));
  EXPECT_TRUE(PhraseMatcher(std::vector<std::wstring_view>{L"x", L""}).AnyIn(L""));
  EXPECT_TRUE(PhraseMatcher(std::vector<std::wstring_view>{L"x", L""}, 0).AnyIn(L""));
}

// A small alphabet gives deep fall-back chains; a wider one gives nodes with
// many children, which keep their ASCII children in a row when there is no
// table.
struct Alphabet {
  std::wstring_view letters;
  int minPhrase;
  int maxPhrase;
  int maxPhrases;
  std::size_t tableBudget;
};

class PhraseMatcherAgrees : public ::testing::TestWithParam<Alphabet> {};

TEST_P(PhraseMatcherAgrees, WithTryingEveryPhrase) {
  const Alphabet alphabet = GetParam();
  std::mt19937 rng(5);
  auto text = [&](int minLength, int maxLength) {
    std::wstring s;
    const int n = std::uniform_int_distribution<int>(minLength, maxLength)(rng);
    for (int i = 0; i < n; ++i) {
      s += alphabet.letters[std::uniform_int_distribution<std::size_t>(
          0, alphabet.letters.size() - 1)(rng)];
    }
    return s;
  };
  int found = 0;
  for (int set = 0; set < 500; ++set) {
    std::vector<std::wstring> phrases;
    const int count = std::uniform_int_distribution<int>(1, alphabet.maxPhrases)(rng);
    for (int i = 0; i < count; ++i)
      phrases.push_back(text(alphabet.minPhrase, alphabet.maxPhrase));
    const PhraseMatcher m(Views(phrases), alphabet.tableBudget);
    for (int q = 0; q < 50; ++q) {
      const std::wstring t = text(1, 20);
      const bool expected = Naive(phrases, t);
      ASSERT_EQ(m.AnyIn(t), expected) << "set " << set << " text " << ToUtf8(t);
      found += expected;
    }
  }
  // Both answers must come up often.
  EXPECT_GT(found, 1000);
  EXPECT_LT(found, 500 * 50 - 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Alphabets, PhraseMatcherAgrees,
    ::testing::Values(Alphabet{L"ab c\u00e9\u4e2d", 1, 6, 40, PhraseMatcher::kTableBudget},
                      Alphabet{L"ab c\u00e9\u4e2d", 1, 6, 40, 0},
                      Alphabet{L"abcdefghijklmnopqrst \u00e9\u4e2d", 2, 4, 300,
                               PhraseMatcher::kTableBudget},
                      Alphabet{L"abcdefghijklmnopqrst \u00e9\u4e2d", 2, 4, 300, 0}));

}  // namespace
}  // namespace qx
