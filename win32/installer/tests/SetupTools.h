#pragma once
// What the installer's tests share: files, the registry, processes, and
// another process's windows driven as a user would (the installer's wizard,
// the program's dialogs).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qx::setup::test {

constexpr DWORD kPatience = 60000;  // Wine starts programs slowly

// A file beside this test program.
std::wstring Beside(const std::wstring& name);
// A file of the build, named by its path on the build machine (Wine's Z:).
std::wstring BuiltFile(const char* unixPath);
bool Exists(const std::wstring& path);
bool SameText(const std::wstring& a, const std::wstring& b);
std::string ReadAll(const std::wstring& path);  // "<missing>" when it cannot
void Touch(const std::wstring& path);
// SHGetFolderPath's CSIDL_APPDATA for this user, followed by "\Quellix".
std::wstring UserDataFolder();
// Removes a folder and what is in it; nothing when it is not there.
void RemoveFolder(const std::wstring& path);

// `view` is 0 (this program's) or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0);
DWORD ReadNumber(HKEY root, const std::wstring& key, const wchar_t* name, REGSAM view = 0);
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
void WriteText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);

bool WaitFor(const std::function<bool()>& done, DWORD ms = kPatience);

// Runs a program and answers its exit code (-1 when it does not start).
// With `children`, the programs it started are waited for too and their
// exit code is the answer (an uninstaller runs as a copy of itself).
long RunProgram(const std::wstring& program, const std::wstring& arguments, bool children = false);

// The instance mutex of the program exists in this session.
bool ProgramRuns();

struct ProcessInfo {
  DWORD id;
  DWORD parent;
  std::wstring name;  // the program file's name
};
std::vector<ProcessInfo> Processes();
// The running processes whose program file is `path`.
std::vector<DWORD> ProcessesOf(const std::wstring& path);

// A started process, ended by force if the test leaves it running.
class Started {
 public:
  Started(const std::wstring& program, const std::wstring& arguments);
  ~Started();
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  bool Ok() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  bool Ended(DWORD ms = kPatience) const;
  DWORD ExitCode() const;

 private:
  PROCESS_INFORMATION info_{};
};

// Windows of other processes.
HWND TopWindow(DWORD process, const wchar_t* className, const wchar_t* caption = nullptr);
HWND TopWindowTitled(const wchar_t* caption);
// A descendant for which `match` is true, or nullptr.
HWND Descendant(HWND parent, const std::function<bool(HWND)>& match);
HWND DescendantWithText(HWND parent, const std::wstring& text);
std::wstring TextOf(HWND window);
// A click as the control reports it to its window (WM_COMMAND, posted).
void Click(HWND control);
// The texts of one column of a list view in another process.
std::vector<std::wstring> ListColumn(HWND list, int column);

// The installer's or uninstaller's wizard: the outer window, its buttons
// (1 Next/Install/Finish/Close, 2 Cancel) and the page shown inside.
class Wizard {
 public:
  explicit Wizard(const wchar_t* caption) : caption_(caption) {}
  ~Wizard();
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;
  bool Appeared();
  HWND Window() const { return window_; }
  // Presses button 1 as soon as it is enabled, until `arrived` holds.
  bool NextUntil(const std::function<bool()>& arrived);
  void Press(int id) const;
  // The progress page shows its details list.
  bool OnProgressPage() const;
  // The details list of the progress page, once it says "Completed".
  std::vector<std::wstring> Details();
  bool Closed() const { return !IsWindow(window_); }

 private:
  const wchar_t* caption_;
  HWND window_ = nullptr;
};

}  // namespace qx::setup::test
