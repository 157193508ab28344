// The browser watch's URL helpers on any text: hosts come out lower-case,
// cuts are prefixes of what they cut, and comparing through the platform's
// unescaping agrees with the program's own scan.

#include "browser/UrlCompare.h"
#include "fuzz/FuzzSupport.h"
#include "sim/FailureInjector.h"
#include "sim/SimUrlUnescaper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const auto [first, second] = SplitAtNul(Bytes(data, size));
  const std::wstring a = Text(first);
  const std::wstring b = Text(second);
  sim::FailureInjector failures;
  sim::SimUrlUnescaper unescaper(failures);

  const std::wstring host = browser_url::HostOf(a);
  QX_FUZZ_CHECK(LowerCase(host) == host);
  QX_FUZZ_CHECK(host.size() <= a.size() + 7);
  const std::wstring query = browser_url::StripQuery(a);
  QX_FUZZ_CHECK(a.starts_with(query) && query.find(L'?') == std::wstring::npos);
  const std::wstring trimmed = browser_url::TrimPath(a);
  const auto kept = a.find_first_not_of(L"/\\.");
  QX_FUZZ_CHECK(trimmed.empty() || a.compare(kept, trimmed.size(), trimmed) == 0);
  QX_FUZZ_CHECK(trimmed.empty() ||
                std::wstring_view(L"/\\.").find(trimmed[0]) == std::wstring::npos);

  const std::wstring unescaped = browser_url::UnescapeLong(a);
  QX_FUZZ_CHECK(unescaped.size() <= a.size());
  if (a.find(L'%') == std::wstring::npos) QX_FUZZ_CHECK(unescaped == a);
  // The platform's answer and the program's scan agree wherever both apply.
  QX_FUZZ_CHECK(browser_url::Unescape(unescaper, a) == unescaped);

  QX_FUZZ_CHECK(browser_url::UrlCompare(unescaper, a, a));
  QX_FUZZ_CHECK(browser_url::UrlCompare(unescaper, a, b) ==
                browser_url::UrlCompare(unescaper, b, a));
  // Letter case never matters.
  QX_FUZZ_CHECK(browser_url::UrlCompare(unescaper, a, LowerCase(a)));
  return 0;
}
