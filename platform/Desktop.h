#pragma once
// The desktop's window and process questions. A vanished window answers as
// the system does (empty text, no parent, process 0); a call that fails
// outright throws PlatformError.

#include <string>
#include <string_view>

#include "platform/Types.h"

namespace qx {

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The window text read into a buffer of bufferChars characters (the NUL
  // included), so at most bufferChars - 1 characters come back.
  virtual std::wstring WindowText(Hwnd window, int bufferChars) = 0;
  virtual std::wstring ClassName(Hwnd window, int bufferChars) = 0;
  virtual Hwnd Parent(Hwnd window) = 0;
  virtual std::uint32_t ExStyle(Hwnd window) = 0;
  virtual ProcessId WindowProcessId(Hwnd window) = 0;
  // The 95/98/Me way: the module file name of the window.
  virtual std::wstring WindowModuleFileName(Hwnd window, int bufferChars) = 0;
  // The NT way: open the process for query-information and read access
  // (0x410), take its first module and read that module's file name.
  virtual std::wstring ProcessFirstModuleFileName(ProcessId process, int bufferChars) = 0;
  // Posts WM_CLOSE with both parameters 0; nothing is waited for.
  virtual void PostCloseMessage(Hwnd window) = 0;
  virtual OsVersionInfo Version() = 0;
  virtual ProcessId CurrentProcessId() = 0;

  // The program's own windows (its forms), hidden.
  virtual Hwnd CreateOwnWindow(std::wstring_view caption, std::wstring_view className) = 0;
  virtual void DestroyOwnWindow(Hwnd window) = 0;
  virtual void SetForegroundWindow(Hwnd window) = 0;
  // Posts message 0 with both parameters 0.
  virtual void PostNullMessage(Hwnd window) = 0;
  virtual void CursorPos(int& x, int& y) = 0;
  // Another instance of this program runs in the same user session.
  virtual bool PreviousInstance() = 0;
};

}  // namespace qx
