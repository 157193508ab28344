// URL unescaping as the shell's utility library does it.
#include <gmock/gmock.h>

#include "win32/browser/ShlwapiUnescaper.h"

namespace qx::win::testing {
namespace {

TEST(ShlwapiUnescaperTest, UnescapesWithoutSimplifying) {
  ShlwapiUnescaper unescaper;
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"http://a.example/x%20y", L"http://a.example/x y"},
      {L"javascript:open('%68ttp://b.example/')", L"javascript:open('http://b.example/')"},
      {L"http://a.example/a/../b/./c", L"http://a.example/a/../b/./c"},
      {L"100%", L"100%"},
      {L"", L""},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(unescaper.Unescape(in), std::optional<std::wstring>(out))
        << std::string(in.begin(), in.end());
  }
}

TEST(ShlwapiUnescaperTest, AResultThatDoesNotFitIsNone) {
  ShlwapiUnescaper unescaper;
  const std::wstring longUrl = L"http://a.example/" + std::wstring(300, L'x');
  EXPECT_EQ(unescaper.Unescape(longUrl), std::nullopt);
  const std::wstring fits = L"http://a.example/" + std::wstring(200, L'x');
  EXPECT_EQ(unescaper.Unescape(fits), std::optional<std::wstring>(fits));
}

}  // namespace
}  // namespace qx::win::testing
