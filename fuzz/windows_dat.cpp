// "windows.dat" as found on disk: loading never fails, the message hook
// follows the rules, and what was loaded is written back so that the next
// start loads exactly the same rules.

#include <tuple>
#include <vector>

#include "base/ByteCodec.h"
#include "fuzz/RuleWorld.h"
#include "rules/Windows.h"

namespace qx::fuzz {
namespace {

using Rule = std::tuple<std::wstring, std::wstring, std::int32_t>;

std::vector<Rule> Contents(const Windows& rules) {
  std::vector<Rule> out;
  for (const WindowGroup& group : rules) {
    for (const Window& w : group)
      out.emplace_back(w.Program, w.Caption, w.Status);
  }
  return out;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  RuleWorld world;
  world.files.WriteAll(world.files.Path(kWindowsFile), Bytes(data, size));

  std::vector<Rule> loaded;
  {
    Windows rules(world.files, world.ansi, world.hooks);
    loaded = Contents(rules);
    std::int32_t phrases = 0;
    for (const Rule& r : loaded) {
      const auto& [program, caption, status] = r;
      QX_FUZZ_CHECK(!caption.empty() && caption == Trim(caption));
      QX_FUZZ_CHECK(!program.empty() && program == LowerCase(program));
      if (status == kCaptionContains) ++phrases;
      // A rule for exactly this caption kills its window.
      if (status == kCaptionContains || status == kCaptionEquals) {
        QX_FUZZ_CHECK(rules.Kill(program, caption));
      }
    }
    QX_FUZZ_CHECK(rules.ContainsRuleCount() == phrases);
    // The message hook is installed exactly when rules loaded.
    const auto& calls = world.hooks.Calls();
    QX_FUZZ_CHECK(loaded.empty() == calls.empty());
    rules.Terminate();
  }
  const std::string saved = world.files.ReadAll(world.files.Path(kWindowsFile));
  qx::ByteReader reader(world.ansi, saved);
  std::size_t savedRecords = 0;
  while (reader.Remaining() > 0) {
    QX_FUZZ_CHECK(reader.GetInt32().has_value());
    QX_FUZZ_CHECK(reader.GetText().has_value());
    QX_FUZZ_CHECK(reader.GetText().has_value());
    ++savedRecords;
  }
  QX_FUZZ_CHECK(savedRecords == loaded.size());

  Windows again(world.files, world.ansi, world.hooks);
  QX_FUZZ_CHECK(Contents(again) == loaded);
  again.Terminate();
  QX_FUZZ_CHECK(world.files.ReadAll(world.files.Path(kWindowsFile)) == saved);
  return 0;
}
