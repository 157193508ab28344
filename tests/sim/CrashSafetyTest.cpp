// A crash after any step of a scenario: the program dies at once, and a
// new start goes on from what was on disk. The rule files are never left
// torn, every rule saved before the crash is loaded again and survives the
// next normal end, settings written through are in force again, the
// context-menu scripts left active are switched off at that end, and the
// restarted program watches browsers as any start does.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "rules/WebsiteFiles.h"
#include "rules/Windows.h"
#include "sim/ScenarioParser.h"
#include "sim/ScenarioWorld.h"

namespace qx::sim {
namespace {

using Record = std::vector<std::wstring>;  // the fields of one record, as text

// Reads a rule file record by record; false when the bytes are not whole
// records to the last byte (a torn or half-written file).
bool ReadWhole(const std::string& bytes, int texts, std::multiset<Record>& records) {
  const Windows1252Codec ansi;
  ByteReader reader(ansi, bytes);
  while (reader.Remaining() > 0) {
    Record r;
    const auto type = reader.GetInt32();
    if (!type) return false;
    r.push_back(NumberText(*type));
    for (int i = 0; i < texts; ++i) {
      auto text = reader.GetText();
      if (!text) return false;
      r.push_back(*text);
    }
    records.insert(r);
  }
  return true;
}

struct Disk {
  std::string websites, windows;
  bool hasWebsites = false, hasWindows = false;
  std::vector<std::optional<std::wstring>> options;
};

Disk Snapshot(SimDesktop& desk) {
  Disk d;
  const auto sites = desk.files().ProgramFile(kWebsitesFile);
  const auto wins = desk.files().ProgramFile(kWindowsFile);
  d.hasWebsites = desk.files().Exists(sites);
  d.hasWindows = desk.files().Exists(wins);
  if (d.hasWebsites) d.websites = desk.files().ReadAll(sites);
  if (d.hasWindows) d.windows = desk.files().ReadAll(wins);
  for (std::size_t i = 0; i < kOptionCount; ++i)
    d.options.push_back(desk.store().Peek(L"Options", InfoOf(static_cast<Option>(i)).valueName));
  return d;
}

ScenarioLine Line(std::string_view text) {
  ParsedScenario parsed = ParseScenario(text);
  EXPECT_FALSE(parsed.error);
  return parsed.lines.at(0);
}

std::vector<ScenarioLine> Lines(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  ParsedScenario parsed = ParseScenario(buffer.str());
  EXPECT_FALSE(parsed.error) << file;
  return parsed.lines;
}

class CrashSafetyTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CrashSafetyTest, CrashAfterEveryStepLosesOnlyWhatIsWrittenAtTheEnd) {
  const std::string file = std::string(QX_SOURCE_DIR) + "/" + GetParam();
  const std::vector<ScenarioLine> lines = Lines(file);
  ASSERT_FALSE(lines.empty());
  for (std::size_t k = 0; k <= lines.size(); ++k) {
    SCOPED_TRACE(file + ": crash after step " + std::to_string(k) +
                 (k > 0 ? " (line " + std::to_string(lines[k - 1].number) + ")" : ""));
    std::ostringstream out;
    ScenarioWorld world(out, file, {}, false);
    for (std::size_t i = 0; i < k; ++i)
      world.Step(lines[i], false);
    SimDesktop& desk = world.desktop();
    const Disk before = Snapshot(desk);
    const bool wasRunning = world.RunningProgram() != nullptr;

    // Every program process dies.
    while (world.RunningProgram())
      world.Step(Line("crash"), false);
    const Disk crashed = Snapshot(desk);
    EXPECT_EQ(crashed.websites, before.websites);
    EXPECT_EQ(crashed.windows, before.windows);
    EXPECT_EQ(crashed.options, before.options);
    std::multiset<Record> savedSites, savedWindows;
    EXPECT_TRUE(ReadWhole(crashed.websites, 1, savedSites));
    EXPECT_TRUE(ReadWhole(crashed.windows, 2, savedWindows));
    // A rename never replaces a file: with both names present (a script of
    // the user's own beside the program's), both stay as they are.
    const bool bothNames = desk.files().Exists(desk.files().ProgramFile(L"blocksite.script")) &&
                           desk.files().Exists(desk.files().ProgramFile(L"blocksite.script2"));
    if (wasRunning) {
      // The scripts stay active: the marker pages tell the user to start
      // the program.
      EXPECT_TRUE(desk.files().Exists(desk.files().ProgramFile(L"blocksite.script")));
    }

    world.Step(Line("start"), false);
    SimProgram* program = world.RunningProgram();
    ASSERT_NE(program, nullptr);
    ASSERT_NE(program->process(), nullptr);
    Process& process = *program->process();
    // Settings written through before the crash are in force.
    for (std::size_t i = 0; i < kOptionCount; ++i) {
      const auto option = static_cast<Option>(i);
      if (!before.options[i]) continue;
      SCOPED_TRACE(ToUtf8(InfoOf(option).valueName));
      if (option == Option::StartMode || option == Option::SoundFileName) continue;
      const Settings::Value v = process.settings().Get(option);
      if (InfoOf(option).type == OptionType::Bool) {
        EXPECT_EQ(v, Settings::Value(ParseBoolean(*before.options[i]).value_or(false)));
      } else if (InfoOf(option).type == OptionType::Int) {
        EXPECT_EQ(v, Settings::Value(ParseInt32(*before.options[i]).value_or(0)));
      } else {
        EXPECT_EQ(v, Settings::Value(*before.options[i]));
      }
    }
    std::size_t loadedSites = 0;
    for (const WebsiteGroup& g : process.websites())
      loadedSites += static_cast<std::size_t>(std::distance(g.begin(), g.end()));
    EXPECT_LE(loadedSites, savedSites.size());
    EXPECT_EQ(loadedSites == 0, savedSites.empty());

    // The restarted program watches a new browser: a page without a rule
    // that opens a window by script is judged as any page is.
    const std::wstring probe = L"http://crash-probe.invalid/";
    bool blocks = false;
    program->Run([&] {
      blocks = program->form() != nullptr && program->form()->BlockingActive() &&
               !process.websites().Allow(probe);
    });
    world.Step(Line("browser crashprobe url http://crash-probe.invalid/"), false);
    world.Step(Line("script crashprobe open http://crash-probe-ad.invalid/ as crashpop"), false);
    const int failedBefore = world.Failed();
    world.Step(Line("expect window crashpop open"), false);
    EXPECT_EQ(world.Failed() - failedBefore, blocks ? 1 : 0) << out.str();

    // A normal end writes every rule back whole and switches the scripts
    // off.
    while (world.RunningProgram())
      world.Step(Line("close"), false);
    std::multiset<Record> endSites, endWindows;
    const auto sitesPath = desk.files().ProgramFile(kWebsitesFile);
    const auto winsPath = desk.files().ProgramFile(kWindowsFile);
    ASSERT_TRUE(desk.files().Exists(sitesPath));
    EXPECT_TRUE(ReadWhole(desk.files().ReadAll(sitesPath), 1, endSites));
    EXPECT_TRUE(ReadWhole(desk.files().Exists(winsPath) ? desk.files().ReadAll(winsPath) : "", 2,
                          endWindows));
    for (const Record& r : savedSites) {
      // A stored URL is written back as it was loaded (lower case).
      Record lowered = r;
      lowered[1] = LowerCase(r[1]);
      EXPECT_TRUE(endSites.count(lowered) > 0) << ToUtf8(r[1]);
    }
    for (const Record& r : savedWindows) {
      Record keyed = r;
      keyed[1] = Trim(r[1]);
      keyed[2] = r[2].empty() ? std::wstring(kAllPrograms) : LowerCase(r[2]);
      if (keyed[1].empty()) continue;
      EXPECT_TRUE(endWindows.count(keyed) > 0) << ToUtf8(r[1]);
    }
    EXPECT_TRUE(desk.files().Exists(desk.files().ProgramFile(L"blocksite.script2")));
    if (!bothNames) {
      EXPECT_FALSE(desk.files().Exists(desk.files().ProgramFile(L"blocksite.script")));
    }
    if (HasFailure()) return;  // one crash point's report is enough
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CrashSafetyTest,
                         ::testing::Values("tests/scenarios/crash.scn",
                                           "tests/scenarios/scripts.scn",
                                           "tests/scenarios/windowwatch.scn",
                                           "tests/scenarios/dialogs_rules.scn",
                                           "tests/scenarios/startup.scn", "examples/tour.scn"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           std::string name = std::filesystem::path(param.param).stem().string();
                           return name;
                         });

}  // namespace
}  // namespace qx::sim
