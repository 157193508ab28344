#pragma once
// Windows and processes of the simulated desktop: captions, classes,
// parents, owners, extended styles, owning processes and their program
// files, and the close message.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

struct SimWindow {
  Hwnd handle = 0;
  std::wstring text;
  std::wstring className;
  Hwnd parent = 0;
  Hwnd owner = 0;
  std::uint32_t exStyle = 0;
  ProcessId process = 0;
  bool open = true;
};

struct SimProcess {
  ProcessId id = 0;
  std::wstring programFile;
  bool running = true;
  // Processes of other users or the system cannot be opened for reading.
  bool accessDenied = false;
};

class SimWindowManager final : public Desktop {
 public:
  explicit SimWindowManager(FailureInjector& failures) : failures_(failures) {}

  // Desktop
  std::wstring WindowText(Hwnd window, int bufferChars) override;
  std::wstring ClassName(Hwnd window, int bufferChars) override;
  Hwnd Parent(Hwnd window) override;
  std::uint32_t ExStyle(Hwnd window) override;
  ProcessId WindowProcessId(Hwnd window) override;
  std::wstring WindowModuleFileName(Hwnd window, int bufferChars) override;
  std::wstring ProcessFirstModuleFileName(ProcessId process, int bufferChars) override;
  void PostCloseMessage(Hwnd window) override;
  OsVersionInfo Version() override;
  ProcessId CurrentProcessId() override;
  Hwnd CreateOwnWindow(std::wstring_view caption, std::wstring_view className) override;
  void DestroyOwnWindow(Hwnd window) override;
  void SetForegroundWindow(Hwnd window) override;
  void PostNullMessage(Hwnd window) override;
  void CursorPos(int& x, int& y) override;
  bool PreviousInstance() override;

  // The world
  ProcessId StartProcess(std::wstring programFile);
  void EndProcess(ProcessId process);
  SimProcess* FindProcess(ProcessId process);
  Hwnd CreateWindow(ProcessId process, std::wstring text, std::wstring className, Hwnd parent = 0,
                    std::uint32_t exStyle = 0, Hwnd owner = 0);
  void SetText(Hwnd window, std::wstring text);
  void DestroyWindow(Hwnd window);
  const SimWindow* Find(Hwnd window) const;
  SimWindow* Find(Hwnd window);
  bool IsOpen(Hwnd window) const;
  // Delivers the close messages posted so far: each window closes.
  std::vector<Hwnd> DeliverPostedCloses();
  const std::vector<Hwnd>& PostedCloses() const { return posted_; }

  void SetVersion(const OsVersionInfo& version) { version_ = version; }
  // The program's own process, as CurrentProcessId answers it.
  void SetCurrentProcess(ProcessId process) { current_ = process; }
  Hwnd Foreground() const { return foreground_; }
  void SetCursor(int x, int y) { cursorX_ = x, cursorY_ = y; }

 private:
  const SimWindow* Live(Hwnd window) const;

  FailureInjector& failures_;
  std::map<Hwnd, SimWindow> windows_;
  std::map<ProcessId, SimProcess> processes_;
  std::vector<Hwnd> posted_;
  OsVersionInfo version_{5, 1, 2600, 2, L"Service Pack 2"};
  ProcessId current_ = 0;
  Hwnd foreground_ = 0;
  int cursorX_ = 1000;
  int cursorY_ = 740;
  Hwnd nextWindow_ = 0x10010;
  ProcessId nextProcess_ = 1000;
};

}  // namespace qx::sim
