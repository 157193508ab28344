#pragma once
// A request to end that reaches the program from every session: the
// installer of another user's session cannot find the main window (window
// handles are per desktop), but it can set a named event in the global
// namespace. The program waits for its event on a pool thread and answers it
// as it answers WM_CLOSE, with its orderly end.

#include <windows.h>

#include <string>

namespace qx::win {

// "Global\Quellix.Close.<process id>".
std::wstring CloseEventName(DWORD processId);

class CloseRequest {
 public:
  // Makes this process's event (SYSTEM, the Administrators and this user
  // may set it) and posts WM_CLOSE to `window` once it is set. An event of
  // that name that someone else made is not listened to: its security is
  // not ours. Failures leave the request not listening.
  explicit CloseRequest(HWND window);
  ~CloseRequest();
  CloseRequest(const CloseRequest&) = delete;
  CloseRequest& operator=(const CloseRequest&) = delete;

  bool Listening() const { return wait_ != nullptr; }

 private:
  static void CALLBACK Signalled(void* self, BOOLEAN timedOut);

  HWND window_;
  HANDLE event_ = nullptr;
  HANDLE wait_ = nullptr;
};

}  // namespace qx::win
