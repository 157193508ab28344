#pragma once
// One scenario file's world: a fresh simulated desktop, the programs started
// on it, and the names the scenario gave to browsers, windows and elements.

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/DecisionObserver.h"
#include "sim/ScenarioArgs.h"
#include "sim/ScenarioParser.h"
#include "sim/SimBrowsers.h"
#include "sim/SimDesktop.h"
#include "sim/SimProgram.h"

namespace qx::sim {

class ScenarioWorld : private DecisionObserver, private ModalDriver {
 public:
  ScenarioWorld(std::ostream& out, std::string file, const std::filesystem::path& drive,
                bool trace);
  ~ScenarioWorld() override;

  // Checks (dry) or runs one step. A dry run throws ScenarioSyntaxError for
  // a line that is not a step.
  void Step(const ScenarioLine& line, bool dry);
  // Runs the file's steps in order, each echoed (texts: the file's lines).
  // A blocking dialog that the program opens runs the steps after it inside
  // its modal loop, until one of them closes it.
  void Run(const std::vector<ScenarioLine>& lines, const std::vector<std::string>& texts);
  // The end of the file: a program still running goes on as if the user
  // logged off, so that its files are written.
  void Finish();
  // Every call of the simulated desktop fails with this probability.
  void FailRandomly(double rate, std::uint64_t seed) {
    desktop_.failures().FailRandomly(rate, seed);
  }
  int Passed() const { return passed_; }
  int Failed() const { return failed_; }
  // For tests that look behind the scenario: the desktop, and the newest
  // program process that still runs (none when none does).
  SimDesktop& desktop() { return desktop_; }
  SimProgram* RunningProgram() { return Running(); }

 private:
  using Handler = void (ScenarioWorld::*)(ScenarioArgs&, bool);
  struct Named {
    std::shared_ptr<SimBrowser> browser;  // a browser window or a frame
    Hwnd window = 0;                      // another program's window or a dialog
  };

  static const std::map<std::wstring, Handler>& Handlers();
  static const std::map<std::wstring, Handler>& Expectations();

  // Around the program.
  void Os(ScenarioArgs& a, bool dry);
  void WorkArea(ScenarioArgs& a, bool dry);
  void Store(ScenarioArgs& a, bool dry);
  void File(ScenarioArgs& a, bool dry);
  void Start(ScenarioArgs& a, bool dry);
  void Answer(ScenarioArgs& a, bool dry);
  void Wait(ScenarioArgs& a, bool dry);
  void Close(ScenarioArgs& a, bool dry);
  void Logoff(ScenarioArgs& a, bool dry);
  void Crash(ScenarioArgs& a, bool dry);
  // Browsers and pages.
  void BrowserStep(ScenarioArgs& a, bool dry);
  void Go(ScenarioArgs& a, bool dry);
  void ElementStep(ScenarioArgs& a, bool dry);
  void FrameStep(ScenarioArgs& a, bool dry);
  void Script(ScenarioArgs& a, bool dry);
  void Chrome(ScenarioArgs& a, bool dry);
  void Place(ScenarioArgs& a, bool dry);
  void Quit(ScenarioArgs& a, bool dry);
  // The user at the page.
  void Click(ScenarioArgs& a, bool dry);
  void Key(ScenarioArgs& a, bool dry);
  void SingleEvent(ScenarioArgs& a, bool dry);
  void MouseMove(ScenarioArgs& a, bool dry);
  void ContextMenu(ScenarioArgs& a, bool dry);
  void NewWindow(ScenarioArgs& a, bool dry);
  void Menu(ScenarioArgs& a, bool dry);
  // Other programs, keys and the mouse.
  void WindowStep(ScenarioArgs& a, bool dry);
  void Caption(ScenarioArgs& a, bool dry);
  void Hold(ScenarioArgs& a, bool dry);
  void Mouse(ScenarioArgs& a, bool dry);
  void Tray(ScenarioArgs& a, bool dry);
  void Ui(ScenarioArgs& a, bool dry);
  // Words added beside the contract's.
  void OwnWindow(ScenarioArgs& a, bool dry);
  void Activate(ScenarioArgs& a, bool dry);
  void SlowDialog(ScenarioArgs& a, bool dry);
  void Hung(ScenarioArgs& a, bool dry);
  void LateBrowser(ScenarioArgs& a, bool dry);
  void Visible(ScenarioArgs& a, bool dry);
  void TrayRelease(ScenarioArgs& a, bool dry);
  void NoticeStep(ScenarioArgs& a, bool dry);
  void PickFile(ScenarioArgs& a, bool dry);
  void Fail(ScenarioArgs& a, bool dry);
  void User(ScenarioArgs& a, bool dry);
  // Expectations.
  void Expect(ScenarioArgs& a, bool dry);
  void ExpectRunning(ScenarioArgs& a, bool dry);
  void ExpectWindow(ScenarioArgs& a, bool dry);
  void ExpectUrl(ScenarioArgs& a, bool dry);
  void ExpectNavigated(ScenarioArgs& a, bool dry);
  void ExpectBrowsers(ScenarioArgs& a, bool dry);
  void ExpectLog(ScenarioArgs& a, bool dry);
  void ExpectEntry(ScenarioArgs& a, bool dry);
  void ExpectTotal(ScenarioArgs& a, bool dry);
  void ExpectAllowKill(ScenarioArgs& a, bool dry);
  void ExpectRule(ScenarioArgs& a, bool dry);
  void ExpectTray(ScenarioArgs& a, bool dry);
  void ExpectTip(ScenarioArgs& a, bool dry);
  void ExpectSound(ScenarioArgs& a, bool dry);
  void ExpectMessage(ScenarioArgs& a, bool dry);
  void ExpectStore(ScenarioArgs& a, bool dry);
  void ExpectRegistry(ScenarioArgs& a, bool dry);
  void ExpectFile(ScenarioArgs& a, bool dry);
  void ExpectChrome(ScenarioArgs& a, bool dry);
  void ExpectPlace(ScenarioArgs& a, bool dry);
  void ExpectUi(ScenarioArgs& a, bool dry);
  void ExpectUiOpen(const std::wstring& form, bool open);
  void ExpectProcesses(ScenarioArgs& a, bool dry);
  void ExpectDialog(ScenarioArgs& a, bool dry);
  void ExpectHelp(ScenarioArgs& a, bool dry);
  void ExpectOpened(ScenarioArgs& a, bool dry);
  void ExpectAsked(ScenarioArgs& a, bool dry);
  void ExpectMenu(ScenarioArgs& a, bool dry);
  void ExpectWhy(ScenarioArgs& a, bool dry);
  void ExpectNotice(ScenarioArgs& a, bool dry);

  // Helpers.
  void Check(bool ok, const std::string& expected, const std::string& got);
  SimProgram* Running();
  template <class F>
  void InProgram(F&& f);
  void Settle();
  std::shared_ptr<SimBrowser> BrowserOf(const std::wstring& id);
  std::shared_ptr<SimElement> ElementOf(const std::wstring& id);
  Hwnd WindowOf(const std::wstring& id);
  // "as NID": names the first window that opens during f.
  template <class F>
  void Naming(const std::optional<std::wstring>& name, F&& f);
  std::optional<std::wstring> AsName(ScenarioArgs& a);
  // The website and window rules as the program has them now (a program
  // that does not run answers from its files).
  template <class F>
  void WithProcess(F&& f);
  ProcessId ProcessFor(const std::wstring& exe);
  // The loaded dialog of that name in the newest running program that has
  // it, with that program; none when no program has it loaded.
  FormModel* Dialog(const std::wstring& name, SimProgram** program = nullptr);
  void Decided(std::wstring_view what, std::wstring_view why) override;
  // ModalDriver.
  bool RunNextStep() override;
  void ClosedUnanswered(const FormModel& form, std::string_view why) override;
  // The notification area reports these mouse messages on the icon; a menu
  // that shows meanwhile gets the choice (when given).
  void TrayMessages(const std::vector<std::uint32_t>& messages,
                    const std::optional<std::wstring>& choice);

  std::ostream& out_;
  std::string file_;
  bool trace_ = false;
  int lineNumber_ = 0;
  const std::vector<ScenarioLine>* lines_ = nullptr;
  const std::vector<std::string>* texts_ = nullptr;
  std::size_t nextLine_ = 0;
  SimDesktop desktop_;
  std::vector<std::unique_ptr<SimProgram>> programs_;
  std::map<std::wstring, Named> named_;
  std::map<std::wstring, std::shared_ptr<SimElement>> elements_;
  std::map<std::wstring, ProcessId> processes_;
  bool expectingKill_ = false;
  bool expectingNoRule_ = false;
  bool expectingUserFile_ = false;
  std::vector<DialogRequest> dialogRequests_;
  std::size_t soundsSeen_ = 0;
  std::size_t noticesSeen_ = 0;
  std::size_t messagesSeen_ = 0;
  std::size_t dialogsSeen_ = 0;
  std::size_t helpSeen_ = 0;
  std::size_t openedSeen_ = 0;
  std::size_t askedSeen_ = 0;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace qx::sim
