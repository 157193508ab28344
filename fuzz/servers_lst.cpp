// "servers.lst", the older list imported once: any text parses without a
// fault, every entry it gives becomes a rule, and the import is written to
// "websites.dat" and the list deleted.

#include "fuzz/RuleWorld.h"
#include "rules/WebsiteFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  RuleWorld world;
  const std::string_view bytes = Bytes(data, size);
  const std::vector<ServerListEntry> entries = ParseServerList(world.ansi.Decode(bytes));
  for (const ServerListEntry& e : entries)
    QX_FUZZ_CHECK(!Trim(e.site).empty());

  world.files.WriteAll(world.files.Path(kServerListFile), bytes);
  {
    Websites rules(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
    QX_FUZZ_CHECK(rules.ListImported());
    std::size_t count = 0;
    for (const WebsiteGroup& group : rules)
      count += static_cast<std::size_t>(std::distance(group.begin(), group.end()));
    // Entries for the same URL replace one another.
    QX_FUZZ_CHECK(count <= entries.size());
    QX_FUZZ_CHECK(entries.empty() == (count == 0));
    for (const WebsiteGroup& group : rules) {
      for (const Website& w : group)
        QX_FUZZ_CHECK(w.RuleType == kAllowPopups || w.RuleType == kDisallowPopups);
    }
    rules.Terminate();
  }
  QX_FUZZ_CHECK(!world.files.Exists(world.files.Path(kServerListFile)));
  QX_FUZZ_CHECK(world.files.Exists(world.files.Path(kWebsitesFile)));
  return 0;
}
