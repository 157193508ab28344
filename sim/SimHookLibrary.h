#pragma once
// The hook library as the simulated desktop runs it: while its hooks are
// installed, windows appearing or changing their caption, web page dialogs
// and left mouse buttons send the same four messages to the control's window
// that the real library sends, at once, while the window is being created or
// changed.

#include <map>
#include <memory>
#include <set>

#include "base/AnsiCodec.h"
#include "platform/HookLibrary.h"
#include "sim/SimWindowManager.h"

namespace qx::sim {

class SimHookLibrary final : public HookLibrary, private WindowListener {
 public:
  SimHookLibrary(FailureInjector& failures, SimWindowManager& windows, const AnsiCodec& ansi,
                 std::wstring controlFolder);

  // HookLibrary
  std::wstring ControlFolder() override { return folder_; }
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

  // The mouse hook sees a left button go down or up over a window.
  void MouseButton(bool down, Hwnd window, int x, int y);
  // A user without the hook library beside the control.
  void SetLibraryMissing(bool missing) { missing_ = missing; }
  bool Installed(int kind) const;

 private:
  void WindowCreated(const SimWindow& window) override;
  void CaptionChanged(const SimWindow& window) override;
  void WindowActivated(const SimWindow& window) override;
  void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  // A dialog report: sent from the dialog's thread, which waits for it.
  void SendAndWait(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  bool DialogOfBrowser(const SimWindow& window) const;

  FailureInjector& failures_;
  SimWindowManager& windows_;
  const AnsiCodec& ansi_;
  std::wstring folder_;
  std::unique_ptr<Connection> listening_;
  bool missing_ = false;
  bool loaded_ = false;
  std::map<HookHandle, int> hooks_;
  HookHandle nextHook_ = 0x900;
  // What CallbackInit told the library.
  Hwnd notify_ = 0;
  std::int32_t noBrowserCheck_ = 0;
  std::int32_t lastY_ = 0;
  std::map<Hwnd, WindowMessageHandler*> procedures_;
};

}  // namespace qx::sim
