// A shared rule list (a filter list or a hosts file) of any bytes: reading
// it never fails, every line is counted once, every rule it gives is
// imported and then kills its own address, and importing an export of the
// imported rules gives back every rule it wrote.

#include <tuple>
#include <vector>

#include "base/Text.h"
#include "fuzz/RuleWorld.h"
#include "rules/RuleListExport.h"
#include "rules/RuleListImport.h"

namespace qx::fuzz {
namespace {

using Rule = std::tuple<std::wstring, std::int32_t, bool>;

std::vector<Rule> Contents(const Websites& rules) {
  std::vector<Rule> out;
  for (const Website& w : rules.WebsiteCollection())
    out.emplace_back(w.URL, w.RuleType, w.MatchSubdomains);
  return out;
}

// Lines with something on them, as the reader splits them after a UTF-8
// byte-order mark (not for UTF-16, which the reader converts first).
std::size_t ContentLines(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::size_t lines = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    const std::string_view line = bytes.substr(0, end);
    if (line.find_first_not_of(" \t") != std::string_view::npos) ++lines;
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
  }
  return lines;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const std::string_view bytes = Bytes(data, size);
  RuleWorld world;
  const ParsedList list = ParseRuleList(bytes, world.ansi);
  QX_FUZZ_CHECK(list.linesTaken + list.SkippedLines() == list.lines);
  QX_FUZZ_CHECK(list.rules.size() >= list.linesTaken);
  const bool utf16 =
      size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
  if (!utf16) QX_FUZZ_CHECK(list.lines == ContentLines(bytes));

  Websites rules(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
  const ImportCounts counts = ImportRuleList(rules, bytes, world.ansi);
  QX_FUZZ_CHECK(!ImportMessage(counts).empty());
  if (!list.isList) {
    QX_FUZZ_CHECK(counts.added == 0 && counts.alreadyThere == 0 && rules.Count() == 0);
    return 0;
  }
  QX_FUZZ_CHECK(counts.added + counts.alreadyThere == list.rules.size());
  for (const ListRule& rule : list.rules)
    QX_FUZZ_CHECK(rules.Kill(L"http://" + rule.url));

  const RuleListExport out = ExportRuleList(rules, LocalTime{});
  QX_FUZZ_CHECK(out.written + out.leftOut == counts.added);
  std::vector<Rule> written;
  for (const Website& w : rules.WebsiteCollection()) {
    if (FilterLineOf(w)) written.emplace_back(w.URL, w.RuleType, w.MatchSubdomains);
  }
  Websites again(world.files, world.ansi, world.settings, RuleWorld::NoErrors());
  QX_FUZZ_CHECK(ImportRuleList(again, out.text, world.ansi).added == out.written);
  QX_FUZZ_CHECK(Contents(again) == written);
  return 0;
}
