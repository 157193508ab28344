#pragma once
// When and how the browser helper starts the program.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/SettingsStore.h"
#include "win32/compat/Lock.h"

namespace qx::win {

// True for the Windows shell's own process: it loads browser helpers too, for
// its folder windows, but "run whenever Internet Explorer runs" does not mean
// "at log-on".
bool IsShellHost(std::wstring_view hostExePath);

// True when this user's stored start mode (Options, "StartMode") is 2,
// "whenever Internet Explorer runs", read as the program reads it: decimal
// text or a number value; anything else, or nothing stored, is mode 0. The
// installer registers the helper for every user of the machine; each user's
// own choice decides.
bool StartsWithBrowser(SettingsStore& store);

// True when the program's instance mutex exists in this session.
bool ProgramRuns();

// The program file beside the module: "<module folder>\Quellix.exe".
std::wstring ProgramBeside(std::wstring_view modulePath);

// Starts the program at most once at a time from this process: between the
// start and the moment the new program holds its instance mutex, a second
// browser window must not start it again. Thread-safe: the browser runs its
// windows on several threads.
class Launcher {
 public:
  Launcher() = default;
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;
  ~Launcher();

  // Starts `program` with the command word "auto" unless the program runs or
  // the one started last is still alive. Answers whether it started it; a
  // failing start (a missing file) answers false and changes nothing.
  bool StartUnlessRunning(const std::wstring& program);

 private:
  win::compat::Lock lock_;
  HANDLE started_ = nullptr;  // the process started last, or none
};

}  // namespace qx::win
