#pragma once
// Window and process questions, the program's own hidden windows and the
// single-instance check.

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "platform/Desktop.h"
#include "platform/InstanceName.h"

namespace qx::win {

// Receives the messages of the program's own windows.
class OwnWindowMessages {
 public:
  virtual ~OwnWindowMessages() = default;
  // True when handled; result is then what the window procedure answers.
  virtual bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT& result) = 0;
};

class WinDesktop final : public Desktop {
 public:
  // instanceName: the single-instance mutex's full name; the program's own
  // lives in the session's Local\ namespace, one per logon session, and is
  // what the browser helper and the uninstaller look for.
  explicit WinDesktop(std::wstring instanceName = std::wstring(kInstanceMutexName));
  ~WinDesktop() override;
  WinDesktop(const WinDesktop&) = delete;
  WinDesktop& operator=(const WinDesktop&) = delete;

  std::wstring WindowText(Hwnd window, int bufferChars) override;
  std::wstring ClassName(Hwnd window, int bufferChars) override;
  Hwnd Parent(Hwnd window) override;
  std::uint32_t ExStyle(Hwnd window) override;
  ProcessId WindowProcessId(Hwnd window) override;
  std::wstring WindowModuleFileName(Hwnd window, int bufferChars) override;
  // Falls back to the process image name when the modules cannot be listed
  // (a 32-bit process seen from a 64-bit one).
  std::wstring ProcessFirstModuleFileName(ProcessId process, int bufferChars) override;
  void PostCloseMessage(Hwnd window) override;
  OsVersionInfo Version() override;
  ProcessId CurrentProcessId() override;

  Hwnd CreateOwnWindow(std::wstring_view caption, std::wstring_view className) override;
  void DestroyOwnWindow(Hwnd window) override;
  void SetForegroundWindow(Hwnd window) override;
  void PostNullMessage(Hwnd window) override;
  void CursorPos(int& x, int& y) override;
  // The first call takes the instance mutex; true when another process of
  // the same user in this session holds it already.
  bool PreviousInstance() override;

  // The main window of another running instance (class className, another
  // process); none when there is none.
  static Hwnd FindInstanceWindow(std::wstring_view className);
  // Where the own windows' messages go; none: to DefWindowProc.
  void SetMessageHandler(OwnWindowMessages* handler) { handler_ = handler; }
  // Makes the window of a window class that is more than a plain hidden
  // window (a dialog from its template); null leaves it to the port.
  using WindowMaker = std::function<HWND(std::wstring_view className)>;
  void SetWindowMaker(WindowMaker maker) { maker_ = std::move(maker); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::wstring MutexName() const;

  std::wstring instanceName_;
  HANDLE instanceMutex_ = nullptr;
  bool first_ = false;
  OwnWindowMessages* handler_ = nullptr;
  WindowMaker maker_;
};

}  // namespace qx::win
