// The browser watch: how long the new-window decision takes with a large
// rule set, and how much memory a monitor costs for a page with many
// elements and frames. Both run the whole program on the simulated desktop.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimBrowsers.h"
#include "sim/SimDesktop.h"
#include "sim/SimProgram.h"

namespace {

using namespace qx;
using namespace qx::sim;

// ---- The new-window decision ----------------------------------------------

constexpr int kHosts = 20000;
constexpr int kBigHostRules = 2000;
constexpr std::wstring_view kBigHost = L"big.portal.com";

const std::wstring_view kWords[] = {L"news",   L"a",     L"sports",    L"ads",        L"x",
                                    L"banner", L"popup", L"index.htm", L"world",      L"2004",
                                    L"img",    L"go",    L"cgi-bin",   L"top-stories"};

std::wstring RandomPath(std::mt19937_64& rng, int maxDepth) {
  std::wstring path;
  const int depth = std::uniform_int_distribution<int>(1, maxDepth)(rng);
  for (int d = 0; d < depth; ++d) {
    path += L'/';
    path += kWords[std::uniform_int_distribution<std::size_t>(0, std::size(kWords) - 1)(rng)];
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
      path += NumberText(std::uniform_int_distribution<int>(0, 999)(rng));
    }
  }
  return path;
}

// `count` rules of all three types over 20 000 hosts; the page's host holds
// 2 000 of them. Every rule has a path, and no rule path starts with "/zz",
// so the measured pages fall through to BlockByDefault unless a test adds
// its own rule.
void AddRules(Websites& websites, int count) {
  std::mt19937_64 rng(1);
  auto type = [&] { return 1 + std::uniform_int_distribution<std::int32_t>(0, 2)(rng); };
  int added = 0;
  for (; added < count && added < kBigHostRules; ++added) {
    websites.Add(std::wstring(kBigHost) + RandomPath(rng, 5), type(), false);
  }
  for (int i = 1; added < count; ++added, i = i % (kHosts - 1) + 1) {
    websites.Add(L"site" + NumberText(i) + L".com" + RandomPath(rng, 3), type(), false);
  }
}

// After the program's monitor has decided, a window it let open does not
// open after all: the world stays the same size however often the page
// asks. A window the program caught still goes to its catcher.
class NeverOpen final : public BrowserEvents {
 public:
  void BeforeNavigate2(Browser&, Navigation&, bool&) override {}
  void NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) override {
    if (!ppDisp) cancel = true;
  }
  void NavigateComplete2(Browser&, const std::wstring&) override {}
  void DownloadComplete() override {}
  void OnQuit() override {}
  void OnFullScreen(bool) override {}
  void OnMenuBar(bool) override {}
  void OnStatusBar(bool) override {}
  void OnTheaterMode(bool) override {}
  void OnToolBar(bool) override {}
};

enum class Road { Blocked = 0, BlockedAccurateLog = 1, Allowed = 2 };

// One program on its desktop with the rules loaded and one watched page.
struct DecisionWorld {
  DecisionWorld(int rules, Road road) {
    const bool accurate = road == Road::BlockedAccurateLog;
    desk.store().Poke(L"Options", L"KeepLog", accurate ? L"True" : L"False");
    desk.store().Poke(L"Options", L"KeepAccurateLog", accurate ? L"True" : L"False");
    if (program.Start(L"auto") != StartOutcome::Running) throw std::runtime_error("no start");
    AddRules(program.process()->websites(), rules);
    std::wstring page = L"http://www." + std::wstring(kBigHost) + L"/zz/world/2004/story.htm?id=7";
    if (road == Road::Allowed) {
      program.process()->websites().Add(std::wstring(kBigHost) + L"/zz/world", 1, false);
    }
    browser = desk.browsers().OpenBrowser(page);
    program.Settle();
    guard = browser->Connect(never);
  }
  ~DecisionWorld() { program.Crash(); }

  SimDesktop desk;
  SimDialogHost dialogs;
  SimProgram program{desk, dialogs};
  std::shared_ptr<SimBrowser> browser;
  NeverOpen never;
  std::unique_ptr<Connection> guard;
};

// window.open on the page: NewWindow2 on its monitor, the decision, and what
// follows from it (a kill notification, a catch and a log entry, or nothing).
void BM_NewWindowDecision(benchmark::State& state) {
  const int rules = static_cast<int>(state.range(0));
  const auto road = static_cast<Road>(state.range(1));
  DecisionWorld world(rules, road);
  SimBrowsers& browsers = world.desk.browsers();
  const std::wstring target = L"http://www.big.portal.com/zz/next.htm";
  const std::int32_t before = world.program.process()->popupLog().TotalPopupCount();
  std::int64_t opened = 0;
  for (auto _ : state) {
    opened += browsers.ScriptOpen(*world.browser, target) != nullptr;
  }
  const std::int32_t kills = world.program.process()->popupLog().TotalPopupCount() - before;
  const bool blocked = road == Road::Blocked || road == Road::BlockedAccurateLog;
  if (opened != 0 || (blocked && kills != state.iterations()) || (!blocked && kills != 0)) {
    state.SkipWithError("the decision was not the expected one");
  }
  state.counters["kills"] = kills;
}
BENCHMARK(BM_NewWindowDecision)
    ->ArgNames({"rules", "road"})
    ->Args({0, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Unit(benchmark::kMicrosecond);

// The rule query alone, as the decision asks it.
void BM_NewWindowDecisionRuleQuery(benchmark::State& state) {
  DecisionWorld world(static_cast<int>(state.range(0)), Road::Blocked);
  Websites& websites = world.program.process()->websites();
  const std::wstring page = world.browser->LocationURL();
  int allowed = 0;
  for (auto _ : state) {
    allowed += websites.Allow(page);
  }
  benchmark::DoNotOptimize(allowed);
}
BENCHMARK(BM_NewWindowDecisionRuleQuery)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);

// ---- Memory per monitor ------------------------------------------------------

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

constexpr int kPageElements = 200;
constexpr int kPageFrames = 5;

// A page of 200 elements (links, images, inputs, text) and 5 frames, each
// frame with a page of its own.
void BuildPage(SimBrowsers& browsers, SimBrowser& page) {
  std::shared_ptr<SimElement> block;
  for (int i = 0; i < kPageElements; ++i) {
    switch (i % 5) {
      case 0:
        block = browsers.AddElement(page, L"div");
        break;
      case 1:
        browsers.AddElement(page, L"a", {{L"href", L"/item" + NumberText(i) + L".htm"}}, block);
        break;
      case 2:
        browsers.AddElement(page, L"img", {{L"src", L"/i" + NumberText(i) + L".gif"}}, block);
        break;
      case 3:
        browsers.AddElement(page, L"input", {{L"type", L"text"}, {L"name", L"f" + NumberText(i)}},
                            block);
        break;
      default:
        browsers.AddElement(page, L"span", {}, block);
        break;
    }
  }
  for (int f = 0; f < kPageFrames; ++f) {
    const auto frame = browsers.AddFrame(page, L"/frame" + NumberText(f) + L".htm");
    browsers.AddElement(*frame, L"a", {{L"href", L"/f.htm"}});
  }
}

// Heap bytes the program holds for `windows` watched browsers showing such
// pages (or blank ones), beyond what it holds with none. The pages are built
// before the program starts, so their own memory is not counted; the
// program's monitors attach to them at start-up, as to windows already open.
std::size_t ProgramHeap(int windows, bool fullPages) {
  SimDesktop desk;
  SimDialogHost dialogs;
  for (int w = 0; w < windows; ++w) {
    const auto page = desk.browsers().OpenBrowser(L"http://site" + NumberText(w) + L".com/");
    if (fullPages) BuildPage(desk.browsers(), *page);
  }
  SimProgram program(desk, dialogs);
  malloc_trim(0);
  const std::size_t before = HeapInUse();
  if (program.Start(L"auto") != StartOutcome::Running) return 0;
  program.Settle();
  const std::size_t after = HeapInUse();
  program.Crash();
  return after - before;
}

void BM_MonitorMemory(benchmark::State& state) {
  const bool fullPages = state.range(0) != 0;
  constexpr int kWindows = 100;
  double perMonitor = 0;
  for (auto _ : state) {
    const std::size_t none = ProgramHeap(0, fullPages);
    const std::size_t many = ProgramHeap(kWindows, fullPages);
    perMonitor = (static_cast<double>(many) - static_cast<double>(none)) / kWindows;
  }
  state.counters["bytes_per_monitor"] = perMonitor;
}
BENCHMARK(BM_MonitorMemory)
    ->ArgName("page_200_elements_5_frames")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
