// "websites.dat" as found on disk: loading never fails, and what was loaded
// is written back so that the next start loads exactly the same rules.

#include <tuple>
#include <vector>

#include "base/Text.h"
#include "fuzz/RuleWorld.h"
#include "rules/WebsiteFiles.h"
#include "rules/WebsiteUrl.h"

namespace qx::fuzz {
namespace {

using Rule = std::tuple<std::wstring, std::wstring, std::int32_t, bool>;

std::vector<Rule> Contents(const Websites& rules) {
  std::vector<Rule> out;
  for (const WebsiteGroup& group : rules) {
    for (const Website& w : group)
      out.emplace_back(group.Host(), w.URL, w.RuleType, w.MatchSubdomains);
  }
  return out;
}

// Loading reads a stored URL as a rule's URL again. A URL in the form a rule
// gets when it is made reads back as itself; one that is not (a hand-made
// file, or a URL with two schemes such as "http://http://x") loses one more
// scheme on every start, so only the first kind must survive unchanged.
// Likewise a stored URL is cleaned as a typed one is, one trailing slash a
// time: a rule still ending in a slash (made from an address ending in
// "//") loses one more at the next start, and then reads back as itself.
bool Settled(const Rule& rule) {
  const std::wstring& url = std::get<1>(rule);
  const std::wstring local = website::RuleLocalPathToFileUrl(url);
  return website::StripProtocol(local) == url && website::HostOf(local) == std::get<0>(rule) &&
         website::StripStoredView(url) == url;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  RuleWorld world;
  world.files.WriteAll(world.files.Path(kWebsitesFile), Bytes(data, size));

  std::vector<Rule> loaded;
  {
    Websites rules(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
    loaded = Contents(rules);
    std::size_t records = 0;
    ReadWebsiteRecords(world.ansi, Bytes(data, size),
                       [&](std::int32_t, std::wstring) { ++records; });
    QX_FUZZ_CHECK(loaded.size() <= records);
    for (const Rule& r : loaded) {
      QX_FUZZ_CHECK(LowerCase(std::get<1>(r)) == std::get<1>(r));
      // Every loaded rule is found again by its own host and URL.
      const WebsiteGroup* group = rules.FindGroup(std::get<0>(r));
      QX_FUZZ_CHECK(group != nullptr);
    }
    rules.Terminate();
  }
  const std::string saved = world.files.ReadAll(world.files.Path(kWebsitesFile));
  // What was written is whole: records to the last byte.
  std::size_t savedRecords = 0;
  qx::ByteReader reader(world.ansi, saved);
  while (reader.Remaining() > 0) {
    QX_FUZZ_CHECK(reader.GetInt32().has_value());
    QX_FUZZ_CHECK(reader.GetText().has_value());
    ++savedRecords;
  }
  QX_FUZZ_CHECK(savedRecords == loaded.size());

  bool settled = true;
  for (const Rule& r : loaded)
    settled = settled && Settled(r);
  // A rule whose URL came out blank (a stored text of nothing but a scheme,
  // or a scheme and blanks) is written as a blank record, which loading
  // passes over: it could never match anything, since its host has no dot.
  const auto blanks = std::erase_if(
      loaded, [](const Rule& r) { return Trim(std::get<1>(r)).empty() && !std::get<3>(r); });
  Websites again(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
  if (settled) QX_FUZZ_CHECK(Contents(again) == loaded);
  again.Terminate();
  if (settled && blanks == 0) {
    QX_FUZZ_CHECK(world.files.ReadAll(world.files.Path(kWebsitesFile)) == saved);
  }
  return 0;
}
