// The website rules' URL helpers on any text, and the rules themselves: the
// quick views give exactly what the copying helpers give, and a rule added
// for any text can be removed again by the same text.

#include "fuzz/RuleWorld.h"
#include "rules/WebsiteUrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const std::wstring url = Text(Bytes(data, size));
  const std::wstring lower = LowerCase(url);

  const std::wstring query = website::StripQuery(url);
  if (website::IsScriptUrl(url)) {
    QX_FUZZ_CHECK(query == url);
    QX_FUZZ_CHECK(website::HostOf(url) == website::kScriptScheme);
  } else {
    QX_FUZZ_CHECK(url.starts_with(query));
  }
  const std::wstring host = website::HostOf(url);
  QX_FUZZ_CHECK(host == L"unknown" || LowerCase(host) == host);
  QX_FUZZ_CHECK(website::StripQueryView(lower) == website::StripQuery(lower));
  QX_FUZZ_CHECK(website::HostView(lower) == website::HostOf(lower));
  QX_FUZZ_CHECK(website::StripProtocolView(lower) == website::StripProtocol(lower));
  const auto dots = std::count(url.begin(), url.end(), L'.');
  QX_FUZZ_CHECK(website::HasDoubleDot(url) == (dots >= 2));
  const std::wstring_view rest = website::StripToDot(url);
  QX_FUZZ_CHECK(url.ends_with(rest));
  const std::wstring page = website::PageLocalPathToFileUrl(lower);
  QX_FUZZ_CHECK(page == lower || page.starts_with(L"file:"));
  const std::wstring rule = website::RuleLocalPathToFileUrl(lower);
  QX_FUZZ_CHECK(rule == lower || rule == L"file://" + lower);

  RuleWorld world;
  Websites rules(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
  QX_FUZZ_CHECK(rules.Add(url, kDisallowPopups, false) != nullptr);
  QX_FUZZ_CHECK(rules.Count() == 1);
  static_cast<void>(rules.Allow(url));
  static_cast<void>(rules.Kill(url));
  static_cast<void>(rules.ExplainAllow(url));
  static_cast<void>(rules.ExplainKill(url));
  QX_FUZZ_CHECK(rules.Remove(url));
  QX_FUZZ_CHECK(rules.Count() == 0);
  // A rule added with "www." dropped is found under the same key again.
  QX_FUZZ_CHECK(rules.Add(url, kAlwaysKill, true) != nullptr);
  QX_FUZZ_CHECK(rules.Count() == 1);
  return 0;
}
