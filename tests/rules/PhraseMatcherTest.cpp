// The one-pass phrase search against trying every phrase in turn.
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
  const PhraseMatcher m(Views(phrases));
  const struct {
    std::wstring_view text;
    bool found;
  } cases[] = {
      {L"abcd", true}, {L"abcx", true},  {L"abc", false},   {L"xxzzc", true},
      {L"zzzc", true}, {L"zz", false},   {L"", false},      {L"ab cd", false},
      {L"bcd", true},  {L"aabcx", true}, {L"abcbcd", true}, {L"\u00e9bcd", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(m.AnyIn(c.text), c.found) << ToUtf8(c.text);
}

TEST(PhraseMatcher, EmptySetMatchesNothingAndEmptyPhraseEverything) {
  EXPECT_FALSE(PhraseMatcher().AnyIn(L"anything"));
  EXPECT_FALSE(PhraseMatcher(std::vector<std::wstring_view>{}).AnyIn(L"anything"));
  EXPECT_TRUE(PhraseMatcher(std::vector<std::wstring_view>{L"x", L""}).AnyIn(L""));
}

TEST(PhraseMatcher, AgreesWithTryingEveryPhrase) {
  std::mt19937 rng(5);
  const std::wstring alphabet = L"ab c\u00e9\u4e2d";
  auto text = [&](int maxLength) {
    std::wstring s;
    const int n = std::uniform_int_distribution<int>(1, maxLength)(rng);
    for (int i = 0; i < n; ++i)
      s += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
    return s;
  };
  int found = 0;
  for (int set = 0; set < 500; ++set) {
    std::vector<std::wstring> phrases;
    const int count = std::uniform_int_distribution<int>(1, 40)(rng);
    for (int i = 0; i < count; ++i)
      phrases.push_back(text(6));
    const PhraseMatcher m(Views(phrases));
    for (int q = 0; q < 50; ++q) {
      const std::wstring t = text(20);
      const bool expected = Naive(phrases, t);
      ASSERT_EQ(m.AnyIn(t), expected) << "set " << set << " text " << ToUtf8(t);
      found += expected;
    }
  }
  EXPECT_GT(found, 1000);
  EXPECT_LT(found, 24000);
}

}  // namespace
}  // namespace qx
