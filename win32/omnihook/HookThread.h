#pragma once
// The thread that owns the control's global hooks. Windows runs a hook of
// the other bitness in the thread that set it ("the system executes the hook
// in the hooking app's context; specifically, on the thread that called
// SetWindowsHookEx. This means that the hooking application must continue to
// pump messages or it might block the normal functioning of the 64-bit
// processes", SetWindowsHookEx, Remarks). Set from the program's own thread,
// every such call of every program of the other bitness would wait for that
// thread, busy or not; this thread only answers them (the library passes
// them on at once) and is never busy. It runs while a hook is set.

#include <windows.h>

namespace qx::win {

class HookThread {
 public:
  HookThread() = default;
  ~HookThread();
  HookThread(const HookThread&) = delete;
  HookThread& operator=(const HookThread&) = delete;

  // SetWindowsHookExA(kind, procedure, module, 0) on the hook thread; null
  // when it fails or the thread cannot run.
  HHOOK Set(int kind, HOOKPROC procedure, HINSTANCE module);
  // UnhookWindowsHookEx on the thread that set the hook.
  bool Unhook(HHOOK hook);

  // The thread's id while it runs, else 0.
  DWORD Id() const { return id_; }

 private:
  struct Request;
  static DWORD WINAPI Main(void* self);
  bool Start();
  void End();
  bool Ask(Request& request);

  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
  int hooks_ = 0;
};

}  // namespace qx::win
