#pragma once
// The hook control: loads the hook library, installs and removes its three
// global hooks, and turns the library's four window messages into five
// events on its host.

#include <cstdint>
#include <string>

#include "base/AnsiCodec.h"
#include "platform/HookControl.h"
#include "platform/HookLibrary.h"
#include "platform/HookPeer.h"

namespace qx {

class OmnihookControl;

// One per thread, shared by every control made on it.
struct HookState {
  WindowProcToken OldWindowProc = 0;
  ModuleHandle LibraryHandle = 0;
  OmnihookControl* Owner = nullptr;
  bool Initialized = false;
  HookHandle CbtHook = 0;
  HookHandle MsgHook = 0;
  HookHandle MouseHook = 0;
  Hwnd NotifyWindow = 0;
  std::int32_t NoBrowserCheck = 0;
};

inline constexpr int kControlTwips = 495;
inline constexpr std::wstring_view kWebDialogSuffix = L"-- web page dialog";
inline constexpr std::wstring_view kWebDialogClass = L"Internet Explorer_TridentDlgFrame";
inline constexpr std::wstring_view kBrowserProgram = L"iexplore.exe";

class OmnihookControl final : public HookControl, private WindowMessageHandler {
 public:
  // window: the control's own window; events go to `host`. peer: the hooks
  // of the other bitness, shared like `state` by every control of the thread
  // (none on 32-bit Windows).
  OmnihookControl(HookState& state, HookLibrary& library, const AnsiCodec& ansi, Hwnd window,
                  OmnihookEvents* host = nullptr, HookPeer* peer = nullptr);
  // Termination: tears down what this instance set up.
  ~OmnihookControl() override;
  OmnihookControl(const OmnihookControl&) = delete;
  OmnihookControl& operator=(const OmnihookControl&) = delete;

  void Initialize() override;
  void InstallCBTHook(bool noBrowserCheck) override;
  void InstallMsgHook() override;
  void InstallMouseHook() override;
  void RemoveCBTHook() override;
  void RemoveMsgHook() override;
  void RemoveMouseHook() override;
  void Uninitialize() override;
  void SetEventSink(OmnihookEvents* sink) override { host_ = sink; }

  bool Initialized() const { return initialized_; }
  // The control keeps its size whatever it is resized to.
  static void Resize(int& widthTwips, int& heightTwips);

  // The replaced window procedure.
  std::intptr_t NotifyWindowProc(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);

 private:
  std::intptr_t WindowProc(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override {
    return NotifyWindowProc(window, message, wParam, lParam);
  }
  void Install(int kind, const char* procedure, HookHandle& field);
  static void Remove(HookLibrary& library, HookHandle& field);
  void Teardown();
  void Callback();
  // Gives the other bitness the hooks this one has now.
  void SyncPeer();
  std::int32_t LastY(Hwnd window);
  // The reports, each believed only when its window is what it claims.
  void DialogReport(OmnihookEvents& host, Hwnd dialog, Hwnd owner);
  void ButtonReport(OmnihookEvents& host, bool down, std::uintptr_t wParam, Hwnd window);
  bool IsWebDialog(Hwnd dialog);
  bool DialogTitle(Hwnd dialog, std::wstring& title);
  Hwnd TopLevelOf(Hwnd window);

  HookState& state_;
  HookLibrary& library_;
  const AnsiCodec& ansi_;
  Hwnd window_;
  OmnihookEvents* host_;
  HookPeer* peer_;
  bool initialized_ = false;
};

}  // namespace qx
