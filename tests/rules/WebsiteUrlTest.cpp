// The website rules' URL helpers: stored rules depend on their exact forms.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "rules/WebsiteUrl.h"

namespace qx::website {
namespace {

struct TextCase {
  std::wstring_view in;
  std::wstring_view out;
};

std::string Show(std::wstring_view text) {
  return "\"" + ToUtf8(text) + "\"";
}

TEST(WebsiteUrl, StripQueryCutsQueryFragmentAndOneTrailingSlash) {
  const TextCase cases[] = {
      {L"http://a.com/x?y=1#z", L"http://a.com/x"},
      {L"http://a.com/x#frag?not-a-query", L"http://a.com/x"},
      {L"http://a.com/", L"http://a.com"},
      {L"http://a.com/dir//", L"http://a.com/dir/"},
      {L"http://a.com/dir\\", L"http://a.com/dir"},
      {L"http://a.com/dir/?q", L"http://a.com/dir"},
      {L"JavaScript:go('/?x')#", L"JavaScript:go('/?x')#"},
      {L"javascript", L"javascript"},
      {L"?only", L""},
      {L"", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StripQuery(c.in), c.out) << Show(c.in);
}

TEST(WebsiteUrl, HostOfTakesTheNameBetweenSchemeAndPath) {
  const TextCase cases[] = {
      {L"HTTP://WWW.Example.COM/Path", L"www.example.com"},
      {L"http://a.com:8080/x", L"a.com:8080"},
      {L"ftp://user:pw@a.com/x", L"user:pw@a.com"},
      {L"a.com/dir", L"a.com"},
      {L"a.com\\dir", L"a.com"},
      {L"a.com\\dir/x", L"a.com\\dir"},
      {L"file:///c:/dir/x.htm", L"c:"},
      {L"c:\\dir\\x.htm", L"dir"},
      {L"http:/", L""},
      {L"http:", L"http:"},
      {L"mailto:x@a.com", L"mailto:x@a.com"},
      {L"javascript:void(0)", L"javascript:"},
      {L"JAVASCRIPT:", L"javascript:"},
      {L"", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HostOf(c.in), c.out) << Show(c.in);
}

TEST(WebsiteUrl, StripProtocolDropsSchemeAndSlashesOnly) {
  const TextCase cases[] = {
      {L"HTTP://A.com/X", L"a.com/x"},
      {L"file:///c:/x", L"c:/x"},
      {L"A.com/X", L"A.com/X"},  // no scheme: unchanged, letter case too
      {L"mailto:X@a.com", L"mailto:X@a.com"},
      {L"javascript:Go()", L"javascript:Go()"},
      {L"http:", L"http:"},
      {L"http://", L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StripProtocol(c.in), c.out) << Show(c.in);
}

TEST(WebsiteUrl, DoubleDotAndStripToDot) {
  EXPECT_TRUE(HasDoubleDot(L"www.a.com"));
  EXPECT_TRUE(HasDoubleDot(L"a..b"));
  EXPECT_FALSE(HasDoubleDot(L"a.com"));
  EXPECT_FALSE(HasDoubleDot(L"intranet"));
  EXPECT_FALSE(HasDoubleDot(L""));
  EXPECT_EQ(StripToDot(L"www.a.com/x.htm"), L"a.com/x.htm");
  EXPECT_EQ(StripToDot(L"a."), L"");
  EXPECT_EQ(StripToDot(L"intranet"), L"intranet");
}

TEST(WebsiteUrl, RuleLocalPathsBecomeFileUrls) {
  const TextCase cases[] = {
      {L"c:", L"file://c:"},
      {L"c:/", L"file://c:/"},
      {L"c:/pages/a.htm", L"file://c:/pages/a.htm"},
      {L"c://x", L"c://x"},
      {L"c:/\\x", L"c:/\\x"},
      {L"c:\\pages", L"c:\\pages"},
      {L"http://a.com", L"http://a.com"},
      {L"c", L"c"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RuleLocalPathToFileUrl(std::wstring(c.in)), c.out) << Show(c.in);
}

TEST(WebsiteUrl, PageLocalPathsBecomeFileUrlsWithEscapedBlanks) {
  const TextCase cases[] = {
      {L"c:\\my pages\\a.htm", L"file://c:/my%20pages/a.htm"},
      {L"c:\\", L"file://c:/"},
      {L"c:\\\\x", L"c:\\\\x"},
      {L"\\\\server\\share\\a b.htm", L"file://server/share/a%20b.htm"},
      {L"\\\\\\x", L"\\\\\\x"},
      {L"c:/x y", L"c:/x y"},
      {L"http://a.com/x y", L"http://a.com/x y"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PageLocalPathToFileUrl(c.in), c.out) << Show(c.in);
}

}  // namespace
}  // namespace qx::website
