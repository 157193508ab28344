#pragma once
// The simulated desktop: one in-memory Windows session with a real folder
// for drive C:, handing out every port the core needs.

#include <filesystem>
#include <memory>

#include "base/AnsiCodec.h"
#include "platform/Platform.h"
#include "sim/FailureInjector.h"
#include "sim/RecordingHookControl.h"
#include "sim/SimBrowsers.h"
#include "sim/SimClock.h"
#include "sim/SimDialogs.h"
#include "sim/SimFileOpenDialog.h"
#include "sim/SimFileSystem.h"
#include "sim/SimModalLoop.h"
#include "sim/SimRandom.h"
#include "sim/SimRegistry.h"
#include "sim/SimSettingsStore.h"
#include "sim/SimShell.h"
#include "sim/SimTray.h"
#include "sim/SimUiServices.h"
#include "sim/SimUrlUnescaper.h"
#include "sim/SimWindowManager.h"

namespace qx::sim {

inline constexpr std::wstring_view kProgramFile = L"C:\\Program Files\\Quellix\\Quellix.exe";

class SimDesktop {
 public:
  // driveRoot: a host directory for drive C: (left in place); without one a
  // fresh temporary directory is made and removed with the desktop.
  explicit SimDesktop(std::filesystem::path driveRoot = {});
  ~SimDesktop();
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  Platform& platform() { return *platform_; }
  FailureInjector& failures() { return failures_; }
  SimSettingsStore& store() { return store_; }
  SimRegistry& registry() { return registry_; }
  SimFileSystem& files() { return files_; }
  SimClock& clock() { return clock_; }
  SimRandom& random() { return random_; }
  SimWindowManager& windows() { return windows_; }
  SimShell& shell() { return shell_; }
  SimMessageBoxes& messages() { return messages_; }
  SimErrorDialog& errorDialog() { return errorDialog_; }
  RecordingHookControl& hookControl() { return hookControl_; }
  SimUiThread& ui() { return ui_; }
  SimKeyboard& keyboard() { return keyboard_; }
  SimSound& sound() { return sound_; }
  SimWorkArea& workArea() { return workArea_; }
  SimNotificationArea& tray() { return tray_; }
  SimPictures& pictures() { return pictures_; }
  SimPopupMenus& menus() { return menus_; }
  SimInputBox& inputBox() { return inputBox_; }
  SimFileOpenDialog& fileOpen() { return fileOpen_; }
  // The loop the blocking dialogs (error dialog, input box) run while shown.
  SimModalLoop& modal() { return modal_; }
  // The browsers, their pages and the shell's window list.
  SimBrowsers& browsers() { return browsers_; }
  // Moves the virtual clock on; timers tick on the way.
  void Advance(std::int64_t ms) { ui_.Advance(ms); }
  const std::filesystem::path& DriveRoot() const { return root_; }
  // The simulated system; the user's folders follow its layout.
  void SetVersion(const OsVersionInfo& version);
  // A standard user (true) or an administrator (the default).
  void SetStandardUser(bool standard);
  // The program's folder below the user's application-data folder.
  std::wstring UserDataFolder() const;
  // The program's process on the desktop.
  ProcessId ProgramProcess() const { return programProcess_; }
  // Lets go of what the desktop records only for a scenario's expectations:
  // destroyed windows, ended processes, closed browsers and their pages (see
  // SimWindowManager::ForgetClosed, SimBrowsers::ForgetClosed).
  void ForgetClosed();
  // A process for a program run: the desktop's own program process the first
  // time, a new one of the same program file after that.
  ProcessId ClaimProgramProcess();

 private:
  bool ownsRoot_ = false;
  std::filesystem::path root_;
  FailureInjector failures_;
  Windows1252Codec ansi_;
  SimSettingsStore store_{failures_};
  SimRegistry registry_{failures_};
  SimFileSystem files_;
  SimClock clock_{failures_};
  SimRandom random_;
  SimWindowManager windows_{failures_};
  SimShell shell_{failures_};
  SimMessageBoxes messages_{failures_};
  SimModalLoop modal_;
  SimErrorDialog errorDialog_;
  SimProcessControl process_;
  RecordingHookControl hookControl_{failures_};
  SimUiThread ui_{failures_, clock_};
  SimKeyboard keyboard_{failures_};
  SimSound sound_;
  SimWorkArea workArea_{failures_};
  SimNotificationArea tray_{failures_};
  SimPictures pictures_{failures_, files_};
  SimPopupMenus menus_{failures_};
  SimInputBox inputBox_{failures_, modal_};
  SimFileOpenDialog fileOpen_{failures_};
  SimUrlUnescaper unescaper_{failures_};
  SimBrowsers browsers_{failures_, windows_};
  ProcessId programProcess_ = 0;
  bool programProcessClaimed_ = false;
  std::unique_ptr<Platform> platform_;
};

}  // namespace qx::sim
