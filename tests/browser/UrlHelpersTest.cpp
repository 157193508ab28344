#include <gtest/gtest.h>

#include "base/Text.h"
#include "browser/BrowserMonitor.h"
#include "browser/UrlCompare.h"
#include "sim/FailureInjector.h"
#include "sim/SimUrlUnescaper.h"

namespace qx {
namespace {

using namespace browser_url;

TEST(BrowserHostOf, TakesTheHostWithoutWww) {
  struct Case {
    const wchar_t* url;
    const wchar_t* host;
  };
  const Case cases[] = {
      {L"http://www.Example.COM/path?q", L"example.com"},
      {L"https://a.b.example.com:8080/x", L"a.b.example.com:8080"},
      {L"example.com/page", L"example.com"},  // no scheme: read as http
      {L"file://C:\\dir\\x.html", L"c:"},
      {L"C:\\dir\\x.html", L"dir"},  // the drive letter is taken for a scheme
      {L"http:\\\\www.x.org\\y", L"x.org"},
      {L"about:blank", L"blank"},
      {L"", L""},
      {L"http://", L""},
      {L"http://wwwx.org/", L"wwwx.org"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HostOf(c.url), c.host) << ToUtf8(c.url);
}

TEST(BrowserUrlHelpers, StripQueryAndTrimPath) {
  EXPECT_EQ(StripQuery(L"http://x/a?b?c"), L"http://x/a");
  EXPECT_EQ(StripQuery(L"http://x/a"), L"http://x/a");
  EXPECT_EQ(TrimPath(L"../cgi/submit.php/"), L"cgi/submit.php");
  EXPECT_EQ(TrimPath(L"\\./x\\"), L"x");
  EXPECT_EQ(TrimPath(L"x//"), L"x/");
  EXPECT_EQ(TrimPath(L"..."), L"");
}

TEST(BrowserUnescape, ShortTextsGoThroughThePlatformLongOnesThroughOurScan) {
  sim::FailureInjector failures;
  sim::SimUrlUnescaper platform(failures);
  EXPECT_EQ(Unescape(platform, L""), L"");
  EXPECT_EQ(Unescape(platform, L"a%20b%2"), L"a b%2");
  failures.FailNext("Shell.UrlUnescape");
  EXPECT_EQ(Unescape(platform, L"a%20b"), L"a%20b");  // a failure leaves the text

  std::wstring longText(300, L'x');
  longText += L"%41%zz%4";
  const std::wstring expected = std::wstring(300, L'x') + L"A%zz%4";
  EXPECT_EQ(Unescape(platform, longText), expected);
  EXPECT_EQ(Unescape(platform, longText).find(L'\0'), std::wstring::npos);
}

TEST(BrowserUrlCompare, IgnoresEscapesBlanksAndCase) {
  sim::FailureInjector failures;
  sim::SimUrlUnescaper platform(failures);
  EXPECT_TRUE(UrlCompare(platform, L"javascript:open('A%20B')", L" JavaScript:open('a b') "));
  EXPECT_FALSE(UrlCompare(platform, L"javascript:go()", L"javascript:go(1)"));
}

TEST(ScriptLoopRewrite, BoundsEveryWhileLoop) {
  struct Case {
    const wchar_t* url;
    std::optional<std::wstring> rewritten;
  };
  const Case cases[] = {
      {L"javascript:while(x)f()",
       L"javascript:for(qxtimeout = 0;(qxtimeout<1000) && !(x);qxtimeout++)f()"},
      {L"javascript:WHILE (a) b(); while(c)d()",
       L"javascript:for(qxtimeout = 0;(qxtimeout<1000) && !(a);qxtimeout++) b(); "
       L"for(qxtimeout = 0;(qxtimeout<1000) && !(c);qxtimeout++)d()"},
      {L"javascript:f()", L"javascript:f()"},
      // The condition ends at the first ")": a nested call is cut short.
      {L"javascript:while(f(x))g()",
       L"javascript:for(qxtimeout = 0;(qxtimeout<1000) && !(f(x);qxtimeout++))g()"},
      {L"javascript:var awhile=1", std::nullopt},
      {L"javascript:alert('wait a while')", std::nullopt},
      // No condition after the word: left as it is (the loop as written
      // would never advance).
      {L"javascript:while", std::nullopt},
      {L"javascript:while x", std::nullopt},
      {L"javascript:while)x(", std::nullopt},
      {L"javascript:while(x)f();while", std::nullopt},
      {L"javascript:while(x", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RewriteScriptLoops(c.url), c.rewritten) << ToUtf8(c.url);
}

TEST(ScriptLoopRewrite, TerminatesOnLongHostileInput) {
  std::wstring url = L"javascript:";
  for (int i = 0; i < 2000; ++i)
    url += L"while(";
  EXPECT_EQ(RewriteScriptLoops(url), std::nullopt);
  std::wstring many = L"javascript:";
  for (int i = 0; i < 2000; ++i)
    many += L"while(1)x;";
  const auto rewritten = RewriteScriptLoops(many);
  ASSERT_TRUE(rewritten.has_value());
  EXPECT_EQ(LowerCase(*rewritten).find(L"while"), std::wstring::npos);
}

}  // namespace
}  // namespace qx
