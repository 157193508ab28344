// A bounded soak on the simulated desktop: one program with 10 000 website
// rules and a hundred window rules lives through N mixed events (windows
// appearing and changing captions, browsers opening pages and pop-ups,
// clicks, timers). It reports the resident set size at start, after
// warm-up and at the end, and checks that every kill the desktop saw was
// counted and logged: the session's count, the entries in "log.dat" and the
// stored total all agree. Between batches the desktop forgets what it keeps
// only for a scenario's expectations (closed windows and browsers, ended
// processes, past pages nobody holds), so what remains of the growth is the
// program's.

#include <cxxopts.hpp>

#include <deque>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <variant>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "logging/LogFileReader.h"
#include "logging/PopupLog.h"
#include "rules/WebsiteFiles.h"
#include "rules/Windows.h"
#include "sim/SimDesktop.h"
#include "sim/SimProgram.h"

namespace {

using namespace qx;
using namespace qx::sim;

constexpr int kSites = 2500;   // of each of the four kinds of website rule
constexpr int kPhrases = 100;  // window rules for all programs
constexpr std::size_t kLiveWindows = 40;
constexpr std::size_t kBrowsers = 6;
constexpr long kBatch = 1000;  // events between two tidy-ups of the desktop

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

std::wstring N(int n) {
  return NumberText(n);
}

void WriteRules(SimDesktop& desktop) {
  ByteWriter sites(desktop.platform().ansi);
  for (int i = 0; i < kSites; ++i) {
    sites.PutInt32(kDisallowPopups), sites.PutText(L"*!ads" + N(i) + L".example");
    sites.PutInt32(kAllowPopups), sites.PutText(L"shop" + N(i) + L".example");
    sites.PutInt32(kAlwaysKill), sites.PutText(L"kill" + N(i) + L".example/pop");
    sites.PutInt32(kDisallowPopups), sites.PutText(L"news" + N(i) + L".example/live");
  }
  desktop.files().WriteAll(desktop.files().ProgramFile(kWebsitesFile), sites.Bytes());
  ByteWriter windows(desktop.platform().ansi);
  for (int i = 0; i < kPhrases; ++i) {
    windows.PutInt32(kCaptionContains), windows.PutText(L"spam offer " + N(i));
    windows.PutText(kAllPrograms);
  }
  desktop.files().WriteAll(desktop.files().ProgramFile(kWindowsFile), windows.Bytes());
}

struct Counts {
  long windowKills = 0;    // other programs' windows the program closed
  long popupsStopped = 0;  // script pop-ups that never became a window
  long browserKills = 0;   // browser windows the program closed
  long popupsAllowed = 0;
  long events = 0;
};

class Soak {
 public:
  explicit Soak(std::uint64_t seed) : rng_(seed), program_(desktop_) {
    WriteRules(desktop_);
    program_.Start(L"");
    other_ = desktop_.windows().StartProcess(L"c:\\program files\\other\\other.exe");
  }

  bool Running() const { return program_.Running(); }

  void Event() {
    ++counts_.events;
    const int kind = Draw(100);
    if (kind < 25) {
      NewWindow();
    } else if (kind < 40) {
      ChangeCaption();
    } else if (kind < 60) {
      Navigate();
    } else if (kind < 80) {
      ScriptPopup();
    } else if (kind < 90) {
      ClickLink();
    } else {
      desktop_.Advance(Draw(3000));
      Settle();
    }
  }

  // Between batches of events: browser processes whose windows have all
  // closed end, as they do on a real desktop, and the desktop lets go of its
  // records of closed windows, ended processes, closed browsers and past
  // pages nobody holds, which a scenario's expectations need and a long run
  // does not.
  void Tidy() {
    desktop_.windows().EndWindowlessProcesses(kDefaultBrowserExe);
    desktop_.ForgetClosed();
  }

  // Ends the program as at log-off, so that the session is written.
  void End() { program_.Logoff(); }

  std::int32_t SessionTotal() {
    std::int32_t total = -1;
    program_.Run([&] { total = program_.process()->popupLog().TotalPopupCount(); });
    return total;
  }
  long LoggedEntries() {
    const auto path = desktop_.files().ProgramFile(L"log.dat");
    if (!desktop_.files().Exists(path)) return 0;
    long n = 0;
    ReadPastSessions(desktop_.files().ReadAll(path), desktop_.platform().ansi,
                     [&](const std::vector<LogEntry>& s) { n += static_cast<long>(s.size()); });
    return n;
  }
  // Browser monitors the program holds, browser windows open now, and
  // browser windows the simulated desktop made in all.
  std::size_t Monitors() {
    std::size_t n = 0;
    program_.Run([&] { n = program_.form()->Browsers().Count(); });
    return n;
  }
  std::size_t OpenBrowsers() { return desktop_.browsers().OpenWindows().size(); }
  std::size_t BrowsersEverMade() { return desktop_.browsers().MadeCount(); }
  std::optional<std::wstring> StoredTotal() {
    return desktop_.store().Peek(L"Data", L"PopupCount");
  }
  const Counts& counts() const { return counts_; }

 private:
  int Draw(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(rng_); }

  void Settle() {
    program_.Run([&] { desktop_.windows().DeliverPostedCloses(); });
    program_.Settle();
  }

  std::wstring Caption() {
    // A third of the captions carry a phrase of a window rule.
    const int n = Draw(kPhrases);
    if (Draw(3) == 0) return L"Special SPAM OFFER " + N(n) + L" today";
    return L"Document " + N(n) + L" - Editor";
  }

  void Forget(Hwnd window) {
    if (!desktop_.windows().IsOpen(window)) ++counts_.windowKills;
  }

  void NewWindow() {
    Hwnd window = 0;
    program_.Run(
        [&] { window = desktop_.windows().CreateWindow(other_, Caption(), L"OtherWindow"); });
    Settle();
    if (!desktop_.windows().IsOpen(window)) {
      ++counts_.windowKills;
      return;
    }
    windows_.push_back(window);
    if (windows_.size() > kLiveWindows) {
      desktop_.windows().DestroyWindow(windows_.front());
      windows_.pop_front();
      Settle();
    }
  }

  void ChangeCaption() {
    if (windows_.empty()) return NewWindow();
    const std::size_t i = static_cast<std::size_t>(Draw(static_cast<int>(windows_.size())));
    program_.Run([&] { desktop_.windows().SetText(windows_[i], Caption()); });
    Settle();
    if (!desktop_.windows().IsOpen(windows_[i])) {
      ++counts_.windowKills;
      windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  std::wstring Page() {
    const int n = Draw(kSites);
    switch (Draw(5)) {
      case 0:
        return L"http://www.ads" + N(n) + L".example/page" + N(Draw(50)) + L".htm";
      case 1:
        return L"http://shop" + N(n) + L".example/cart?id=" + N(Draw(1000));
      case 2:
        return L"http://news" + N(n) + L".example/live/today";
      case 3:
        return L"http://kill" + N(n) + L".example/pop/" + N(Draw(9));
      default:
        return L"http://plain" + N(n) + L".example/";
    }
  }

  SimBrowser& Browser() {
    const std::size_t i = static_cast<std::size_t>(Draw(kBrowsers));
    if (browsers_.size() < kBrowsers) browsers_.resize(kBrowsers);
    auto& b = browsers_[i];
    if (!b || !b->IsOpen()) {
      program_.Run([&] { b = desktop_.browsers().OpenBrowser(L"http://start.example/"); });
      Settle();
    }
    return *b;
  }

  void Navigate() {
    SimBrowser& browser = Browser();
    if (!browser.IsOpen()) return;
    program_.Run([&] { desktop_.browsers().Go(browser, Page()); });
    Settle();
    if (!browser.IsOpen()) ++counts_.browserKills;
  }

  void Closed(const std::shared_ptr<SimBrowser>& window) {
    if (!window) {
      ++counts_.popupsStopped;
      return;
    }
    if (!window->IsOpen()) {
      ++counts_.browserKills;
      return;
    }
    ++counts_.popupsAllowed;
    program_.Run([&] { desktop_.browsers().Quit(*window); });
    Settle();
  }

  void ScriptPopup() {
    SimBrowser& browser = Browser();
    if (!browser.IsOpen()) return;
    std::shared_ptr<SimBrowser> popup;
    program_.Run([&] { popup = desktop_.browsers().ScriptOpen(browser, Page()); });
    Settle();
    Closed(popup);
  }

  void ClickLink() {
    SimBrowser& browser = Browser();
    if (!browser.IsOpen()) return;
    // Within one event the desktop's list of browsers only grows.
    const std::size_t before = desktop_.browsers().Opened().size();
    program_.Run([&] {
      auto link = desktop_.browsers().AddElement(browser, L"a",
                                                 {{L"href", Page()}, {L"target", L"_blank"}});
      desktop_.browsers().Click(*link);
    });
    Settle();
    const auto& opened = desktop_.browsers().Opened();
    Closed(opened.size() > before ? opened.back() : nullptr);
  }

  std::mt19937_64 rng_;
  SimDesktop desktop_;
  SimProgram program_;
  ProcessId other_ = 0;
  std::deque<Hwnd> windows_;
  std::vector<std::shared_ptr<SimBrowser>> browsers_;
  Counts counts_;
};

}  // namespace

namespace {

struct SoakArgs {
  long events = 0;
  std::uint64_t seed = 1;
  long maxGrowthMb = 0;
};

// The arguments, or the exit status when the run ends here (help, or a bad
// argument named on standard error).
std::variant<SoakArgs, int> ParseArguments(int argc, char** argv) {
  cxxopts::Options options("quellix-soak", "A long run of mixed events on the simulated desktop");
  options.add_options()("events", "number of events",
                        cxxopts::value<long>()->default_value("1000000"))(
      "seed", "seed of the event mix", cxxopts::value<std::uint64_t>()->default_value("1"))(
      "max-growth-mb", "fail when the resident set grows more than this after warm-up",
      cxxopts::value<long>()->default_value("0"))("h,help", "this help");
  SoakArgs args;
  try {
    const auto parsed = options.parse(argc, argv);
    if (parsed.count("help")) {
      std::cout << options.help() << "\n";
      return 0;
    }
    args.events = parsed["events"].as<long>();
    args.seed = parsed["seed"].as<std::uint64_t>();
    args.maxGrowthMb = parsed["max-growth-mb"].as<long>();
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
  if (args.events <= 0) {
    std::cerr << "--events must be positive\n";
    return 2;
  }
  return args;
}

// What a run left: its counts and the resident set along the way.
struct SoakResult {
  Counts counts;
  long startKb = 0, loadedKb = 0, warmKb = 0, endKb = 0;
  std::int32_t total = 0;
  std::size_t monitors = 0, open = 0, made = 0;
  long logged = 0;
  std::optional<std::wstring> stored;
};

std::optional<SoakResult> Run(const SoakArgs& args) {
  SoakResult r;
  r.startKb = ResidentKb();
  Soak soak(args.seed);
  r.loadedKb = ResidentKb();
  // Warm-up: the first fifth, by whose end the allocator's pools, the
  // program's session log and the desktop's live windows have reached their
  // working size; from there on the resident set should stay flat.
  const long warmUp = std::max(1L, args.events / 5);
  r.warmKb = r.loadedKb;
  for (long i = 0; i < args.events; ++i) {
    if (!soak.Running()) {
      std::cout << "FAIL: the program ended after " << i << " events\n";
      return std::nullopt;
    }
    soak.Event();
    if ((i + 1) % kBatch == 0 || i + 1 == warmUp) soak.Tidy();
    if (i + 1 == warmUp) r.warmKb = ResidentKb();
    if ((i + 1) % 100000 == 0) {
      std::cout << "  " << (i + 1) << " events, VmRSS " << ResidentKb() << " kB\n" << std::flush;
    }
  }
  soak.Tidy();
  r.endKb = ResidentKb();
  r.total = soak.SessionTotal();
  r.monitors = soak.Monitors();
  r.open = soak.OpenBrowsers();
  r.made = soak.BrowsersEverMade();
  soak.End();
  r.counts = soak.counts();
  r.logged = soak.LoggedEntries();
  r.stored = soak.StoredTotal();
  return r;
}

// Prints the run's figures and its faults; true when there are none.
bool Report(const SoakArgs& args, const SoakResult& r) {
  const Counts& c = r.counts;
  const long kills = c.windowKills + c.popupsStopped + c.browserKills;
  std::cout << "events " << c.events << " (seed " << args.seed << ")\n"
            << "kills seen " << kills << ": windows " << c.windowKills << ", pop-ups stopped "
            << c.popupsStopped << ", browsers closed " << c.browserKills << "; pop-ups allowed "
            << c.popupsAllowed << "\n"
            << "counted " << r.total << ", logged " << r.logged << ", stored total "
            << (r.stored ? ToUtf8(*r.stored) : "(none)") << "\n"
            << "browser monitors " << r.monitors << " for " << r.open << " open windows (" << r.made
            << " made in all)\n"
            << "VmRSS kB: start " << r.startKb << ", rules loaded " << r.loadedKb
            << ", after warm-up " << r.warmKb << ", end " << r.endKb << "\n";
  bool ok = true;
  if (r.total != kills || r.logged != kills || r.stored != NumberText(kills)) {
    std::cout << "FAIL: every kill must be counted, logged and stored\n";
    ok = false;
  }
  // The program lets go of the monitor of every window that closed.
  if (r.monitors > r.open) {
    std::cout << "FAIL: the program holds monitors of closed windows\n";
    ok = false;
  }
  if (args.maxGrowthMb > 0 && r.endKb - r.warmKb > args.maxGrowthMb * 1024) {
    std::cout << "FAIL: the resident set grew by " << (r.endKb - r.warmKb) / 1024
              << " MB after warm-up\n";
    ok = false;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = ParseArguments(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const SoakArgs& args = std::get<SoakArgs>(parsed);
  const auto result = Run(args);
  const bool ok = result && Report(args, *result);
  std::cout << (ok ? "1 passed, 0 failed\n" : "0 passed, 1 failed\n");
  return ok ? 0 : 1;
}
