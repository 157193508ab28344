#pragma once
// The hook control's port to Windows and to catchwire.dll.

#include <windows.h>

// The port's method names are also the system's A/W macros; the adapter
// calls the wide or ANSI functions by their full names.
#undef LoadLibrary
#undef CallWindowProc
#undef GetWindowText
#undef GetWindowTextLength
#undef SetWindowsHookEx
#undef IsWindow

#include "platform/HookLibrary.h"

namespace qx::win {

class Win32HookLibrary final : public HookLibrary {
 public:
  // module: the control's own file (catchwire is looked for beside it).
  explicit Win32HookLibrary(HMODULE module) : module_(module) {}

  std::wstring ControlFolder() override;
  ModuleHandle LoadLibrary(std::wstring_view path) override;
  void FreeLibrary(ModuleHandle module) override;
  ProcAddress GetProcAddress(ModuleHandle module, std::string_view name) override;
  HookHandle SetWindowsHookEx(int kind, ProcAddress procedure, ModuleHandle module,
                              std::uint32_t thread) override;
  bool UnhookWindowsHookEx(HookHandle hook) override;
  void CallbackInit(ModuleHandle module, std::int32_t notifyWindow, std::int32_t cbtHook,
                    std::int32_t msgHook, std::int32_t mouseHook, std::int32_t noBrowserCheck,
                    std::int32_t reserved) override;
  std::int32_t GetLastY(ModuleHandle module) override;
  WindowProcToken ReplaceWindowProc(Hwnd window, WindowMessageHandler& handler) override;
  void RestoreWindowProc(Hwnd window, WindowProcToken previous) override;
  std::intptr_t CallWindowProc(WindowProcToken previous, Hwnd window, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) override;
  Hwnd GetParent(Hwnd window) override;
  int GetWindowTextLength(Hwnd window) override;
  std::string GetWindowText(Hwnd window, int bufferChars) override;
  bool IsWindow(Hwnd window) override;
  std::wstring ClassName(Hwnd window) override;
  bool IsChildWindow(Hwnd window) override;
  std::wstring WindowProgramFile(Hwnd window) override;
  void ReplyToSender() override;
  void AdmitMessages(Hwnd window, std::uint32_t first, std::uint32_t last) override;

 private:
  FARPROC Export(ModuleHandle module, const char* name);

  HMODULE module_;
};

}  // namespace qx::win
