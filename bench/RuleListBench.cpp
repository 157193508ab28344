// Importing a shared rule list: the real EasyList (76 050 lines, 1 314
// pop-up rules taken) into an empty set of website rules, as "Import..."
// does; and the reading alone.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/EasyList.h"
#include "context/Process.h"
#include "rules/FilterList.h"
#include "rules/RuleListImport.h"
#include "sim/SimDesktop.h"

namespace {

using namespace qx;

void BM_ImportEasyList(benchmark::State& state) {
  const std::string list = bench::ReadEasyList();
  if (list.empty()) return state.SkipWithError("EasyList missing: run scripts/install-deps.sh");
  sim::SimDesktop desk;
  Process process(desk.platform());
  const auto reporter = [&process]() -> ErrorReporter& { return process.errors(); };
  std::size_t added = 0;
  for (auto _ : state) {
    state.PauseTiming();  // an empty rule set, as a new user has
    auto rules = std::make_unique<Websites>(desk.files(), desk.platform().ansi, process.settings(),
                                            reporter);
    state.ResumeTiming();
    added = ImportRuleList(*rules, list, desk.platform().ansi).added;
    state.PauseTiming();  // dropping the rules is not part of importing them
    rules.reset();
    state.ResumeTiming();
  }
  state.counters["rules_added"] = static_cast<double>(added);
  process.Abandon();
}

void BM_ParseEasyList(benchmark::State& state) {
  const std::string list = bench::ReadEasyList();
  if (list.empty()) return state.SkipWithError("EasyList missing: run scripts/install-deps.sh");
  const Windows1252Codec ansi;
  for (auto _ : state)
    benchmark::DoNotOptimize(ParseRuleList(list, ansi).rules.size());
}

BENCHMARK(BM_ImportEasyList)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEasyList)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
