#pragma once
// Windows and processes of the simulated desktop: captions, classes,
// parents, owners, extended styles, owning processes and their program
// files, and the close message.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Connection.h"
#include "platform/Desktop.h"
#include "sim/FailureInjector.h"
#include "sim/SinkList.h"

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

// Told of every window change at once, while the window is being created or
// changed, as a system-wide hook procedure is: what a simulated hook library
// turns into its notifications.
class WindowListener {
 public:
  virtual ~WindowListener() = default;
  virtual void WindowCreated(const SimWindow& /*window*/) {}
  virtual void CaptionChanged(const SimWindow& /*window*/) {}
  virtual void WindowActivated(const SimWindow& /*window*/) {}
  virtual void WindowDestroyed(const SimWindow& /*window*/) {}
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
  // The window comes to the foreground.
  void Activate(Hwnd window);
  Hwnd Foreground() const { return foreground_; }
  // Destroys the window with its child windows and the windows it owns.
  void DestroyWindow(Hwnd window);
  // What the window does when a posted close message reaches it; without a
  // handler it is destroyed.
  void SetCloseHandler(Hwnd window, std::function<void()> handler);
  std::unique_ptr<Connection> Listen(WindowListener& listener) { return listeners_.Add(listener); }
  const SimWindow* Find(Hwnd window) const;
  SimWindow* Find(Hwnd window);
  bool IsOpen(Hwnd window) const;
  // Delivers the close messages posted so far: each window closes.
  std::vector<Hwnd> DeliverPostedCloses();
  const std::vector<Hwnd>& PostedCloses() const { return posted_; }
  // Every running process of this program file that has no open window ends,
  // as a browser's process ends with its last window.
  void EndWindowlessProcesses(std::wstring_view programFile);
  // Lets go of the records of destroyed windows, and of ended processes that
  // no window names. Every call of the program answers a destroyed window
  // or an ended process as it answers an unknown one, and handles are never
  // given out again, so only a scenario's expectations could tell; a long
  // run calls this between its steps, a scenario never does.
  void ForgetClosed();

  void SetVersion(const OsVersionInfo& version) { version_ = version; }
  const OsVersionInfo& CurrentVersion() const { return version_; }
  // The handle the next window gets; 64-bit Windows hands out handles whose
  // bit 31 is set (as sign-extended values), which a test may ask for.
  void SetNextHandle(Hwnd next) { nextWindow_ = next; }
  // The program handles a message that another process's thread sent and
  // waits for (the hook library's dialog reports): until it is answered,
  // COM refuses the program's calls into other processes.
  void BeginSentMessage() { sends_.push_back(false); }
  void AnswerSentMessage() {
    if (!sends_.empty()) sends_.back() = true;
  }
  void EndSentMessage() {
    if (!sends_.empty()) sends_.pop_back();
  }
  bool InsideUnansweredSend() const { return !sends_.empty() && !sends_.back(); }
  // The program's own process, as CurrentProcessId answers it.
  void SetCurrentProcess(ProcessId process) { current_ = process; }
  void SetCursor(int x, int y) { cursorX_ = x, cursorY_ = y; }
  // The same, read by the simulated desktop itself (no failure injected).
  ProcessId CurrentProcess() const { return current_; }

 private:
  const SimWindow* Live(Hwnd window) const;

  FailureInjector& failures_;
  std::map<Hwnd, SimWindow> windows_;
  std::map<ProcessId, SimProcess> processes_;
  std::vector<Hwnd> posted_;
  std::map<Hwnd, std::function<void()>> closeHandlers_;
  SinkList<WindowListener> listeners_;
  Hwnd foreground_ = 0;
  OsVersionInfo version_{5, 1, 2600, 2, L"Service Pack 2"};
  ProcessId current_ = 0;
  int cursorX_ = 1000;
  int cursorY_ = 740;
  Hwnd nextWindow_ = 0x10010;
  ProcessId nextProcess_ = 1000;
  std::vector<bool> sends_;  // one per sent message being handled: answered yet
};

}  // namespace qx::sim
