#pragma once
// What the hook control needs from the operating system and from the hook
// library catchwire: loading it, setting and removing the global hooks,
// taking over the control's window, and reading window captions.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace qx {

using ModuleHandle = std::uintptr_t;
using HookHandle = std::uintptr_t;
using ProcAddress = std::uintptr_t;
using WindowProcToken = std::uintptr_t;

inline constexpr int kWhCbt = 5;
inline constexpr int kWhMouse = 7;
inline constexpr int kWhCallWndProcRet = 12;

inline constexpr std::uint32_t kWmApp = 0x8000;
inline constexpr std::uint32_t kHookNotifyDialog = kWmApp + 1;
inline constexpr std::uint32_t kHookNotifyText = kWmApp + 2;
inline constexpr std::uint32_t kHookNotifyButtonDown = kWmApp + 3;
inline constexpr std::uint32_t kHookNotifyButtonUp = kWmApp + 4;

// Receives the messages of a window whose procedure was replaced.
class WindowMessageHandler {
 public:
  virtual ~WindowMessageHandler() = default;
  virtual std::intptr_t WindowProc(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) = 0;
};

class HookLibrary {
 public:
  virtual ~HookLibrary() = default;
  // The folder of the control's own file, without a trailing backslash.
  virtual std::wstring ControlFolder() = 0;
  // LoadLibraryA; 0 on failure.
  virtual ModuleHandle LoadLibrary(std::wstring_view path) = 0;
  virtual void FreeLibrary(ModuleHandle module) = 0;
  // GetProcAddress; 0 on failure.
  virtual ProcAddress GetProcAddress(ModuleHandle module, std::string_view name) = 0;
  // SetWindowsHookExA; 0 on failure.
  virtual HookHandle SetWindowsHookEx(int kind, ProcAddress procedure, ModuleHandle module,
                                      std::uint32_t thread) = 0;
  virtual bool UnhookWindowsHookEx(HookHandle hook) = 0;
  // The library's exports; both throw PlatformError when they cannot be
  // bound (the library is missing).
  virtual void CallbackInit(ModuleHandle module, std::int32_t notifyWindow, std::int32_t cbtHook,
                            std::int32_t msgHook, std::int32_t mouseHook,
                            std::int32_t noBrowserCheck, std::int32_t reserved) = 0;
  virtual std::int32_t GetLastY(ModuleHandle module) = 0;
  // SetWindowLongA(GWL_WNDPROC): the window's messages go to the handler;
  // answers the previous procedure.
  virtual WindowProcToken ReplaceWindowProc(Hwnd window, WindowMessageHandler& handler) = 0;
  virtual void RestoreWindowProc(Hwnd window, WindowProcToken previous) = 0;
  virtual std::intptr_t CallWindowProc(WindowProcToken previous, Hwnd window, std::uint32_t message,
                                       std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual Hwnd GetParent(Hwnd window) = 0;
  // What the control checks of a report before it believes it: its window
  // admits the reports from processes of a lower integrity level, so any
  // program on the desktop may send them.
  virtual bool IsWindow(Hwnd window) = 0;
  virtual std::wstring ClassName(Hwnd window) = 0;
  // The window has the WS_CHILD style (a control, not a top-level window).
  virtual bool IsChildWindow(Hwnd window) = 0;
  // The program file of the process that owns the window; "" when it cannot
  // be read.
  virtual std::wstring WindowProgramFile(Hwnd window) = 0;
  // Answers a message that another thread sent, at once (ReplyMessage), so
  // that the sender goes on; nothing for a message that was posted. COM
  // refuses calls into other processes while a sent message is unanswered.
  virtual void ReplyToSender() = 0;
  // Lets the messages first..last reach the window from processes of a
  // lower integrity level (Internet Explorer's Protected Mode tabs); nothing
  // on systems without integrity levels.
  virtual void AdmitMessages(Hwnd window, std::uint32_t first, std::uint32_t last) = 0;
  // GetWindowTextLengthA and GetWindowTextA: the caption in the system ANSI
  // code page, read into a buffer of bufferChars characters.
  virtual int GetWindowTextLength(Hwnd window) = 0;
  virtual std::string GetWindowText(Hwnd window, int bufferChars) = 0;
};

}  // namespace qx
