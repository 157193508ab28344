#include "monitor/StartupModule.h"

#include "base/Text.h"
#include "context/Process.h"
#include "monitor/DataFolder.h"
#include "monitor/MainForm.h"
#include "platform/PlatformError.h"
#include "ui/DialogHost.h"
#include "ui/ErrorFormPrompt.h"

namespace qx {
namespace {

struct Switch {
  std::wstring_view line;
  std::wstring_view option;
  std::wstring_view value;
  std::wstring_view message;  // "" for none
};

constexpr Switch kSwitches[] = {
    {L"+allowhttps", L"AllowHTTPS", L"True",
     L"Quellix will now allow pop-up windows for all HTTPS sites"},
    {L"-allowhttps", L"AllowHTTPS", L"False",
     L"Quellix will no longer automatically allow pop-up windows for HTTPS sites"},
    {L"+syscheck", L"SystemWindowCheck", L"True", L""},
    {L"-syscheck", L"SystemWindowCheck", L"False", L""},
    {L"+explorerfix", L"ExplorerFix", L"True", L"ExplorerFix is now enabled."},
    {L"-explorerfix", L"ExplorerFix", L"False", L"ExplorerFix is now disabled."},
    {L"+jsloopfix", L"JSLoopFix", L"True", L"JSLoopFix is now enabled."},
    {L"-jsloopfix", L"JSLoopFix", L"False", L"JSLoopFix is now disabled."},
};

}  // namespace

StartOutcome Main(std::wstring_view commandLine, Platform& platform, DialogHost& dialogs,
                  std::unique_ptr<Process>& process, std::unique_ptr<MainForm>& form) {
  const std::wstring line = LowerCase(Trim(commandLine));
  if (line == L"options") {
    bool another = false;
    Step([&] { another = platform.desktop.PreviousInstance(); });
    if (another) Step([&] { dialogs.ShowExtraOptionsModal(); });
  }
  for (const Switch& s : kSwitches) {
    if (line != s.line) continue;
    // The switches write the store directly and do not check the write.
    Step([&] { platform.store.Put(kAppName, L"Options", s.option, s.value); });
    if (!s.message.empty()) Step([&] { platform.messages.ShowMessage(s.message, kAppName); });
    return StartOutcome::Ended;
  }

  Step([&] {
    const LocalTime now = platform.clock.Now();
    platform.random.Seed(static_cast<std::uint32_t>(SecondsSinceMidnight(now) * 1000.0f));
  });
  bool another = false;
  Step([&] { another = platform.desktop.PreviousInstance(); });
  if (another) return StartOutcome::Ended;

  // Once, before anything opens a file: where the rules and logs live.
  platform.files.SetDataFolder(ChooseDataFolder(platform.files));
  process = std::make_unique<Process>(platform);
  UseErrorForm(*process);
  process->settings();
  float startTime = 0;
  Step([&] { startTime = SecondsSinceMidnight(platform.clock.Now()); });
  form = std::make_unique<MainForm>(*process, dialogs, startTime);
  form->Load();
  return StartOutcome::Running;
}

}  // namespace qx
