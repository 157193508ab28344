#include "sim/SimHookLibrary.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx::sim {
namespace {

constexpr ModuleHandle kModule = 0x7000;
constexpr std::wstring_view kDialogClass = L"Internet Explorer_TridentDlgFrame";

}  // namespace

SimHookLibrary::SimHookLibrary(FailureInjector& failures, SimWindowManager& windows,
                               const AnsiCodec& ansi, std::wstring controlFolder)
    : failures_(failures), windows_(windows), ansi_(ansi), folder_(std::move(controlFolder)) {
  listening_ = windows_.Listen(*this);
}

ModuleHandle SimHookLibrary::LoadLibrary(std::wstring_view path) {
  if (failures_.ShouldFail("HookLibrary.LoadLibrary")) return 0;
  if (missing_ || !EndsWithNoCase(path, L"\\catchwire.dll")) return 0;
  loaded_ = true;
  return kModule;
}

void SimHookLibrary::FreeLibrary(ModuleHandle module) {
  if (module == kModule) loaded_ = false;
}

ProcAddress SimHookLibrary::GetProcAddress(ModuleHandle module, std::string_view name) {
  if (module != kModule || !loaded_) return 0;
  if (name == "HookCBT") return 0x7100;
  if (name == "HookMsg") return 0x7200;
  if (name == "HookMouse") return 0x7300;
  return 0;
}

HookHandle SimHookLibrary::SetWindowsHookEx(int kind, ProcAddress procedure, ModuleHandle module,
                                            std::uint32_t /*thread*/) {
  if (failures_.ShouldFail("HookLibrary.SetWindowsHookEx")) return 0;
  if (procedure == 0 || module != kModule) return 0;
  const HookHandle handle = nextHook_++;
  hooks_[handle] = kind;
  return handle;
}

bool SimHookLibrary::UnhookWindowsHookEx(HookHandle hook) {
  return hooks_.erase(hook) > 0;
}

void SimHookLibrary::CallbackInit(ModuleHandle module, std::int32_t notifyWindow,
                                  std::int32_t /*cbtHook*/, std::int32_t /*msgHook*/,
                                  std::int32_t /*mouseHook*/, std::int32_t noBrowserCheck,
                                  std::int32_t /*reserved*/) {
  if (module != kModule || !loaded_) {
    throw PlatformError(453, L"Can't find DLL entry point CallbackInit in catchwire.dll",
                        L"Omnihook");
  }
  notify_ = HwndFromLong(notifyWindow);
  noBrowserCheck_ = noBrowserCheck;
}

std::int32_t SimHookLibrary::GetLastY(ModuleHandle) {
  return lastY_;
}

WindowProcToken SimHookLibrary::ReplaceWindowProc(Hwnd window, WindowMessageHandler& handler) {
  procedures_[window] = &handler;
  return 0x55AA;
}

void SimHookLibrary::RestoreWindowProc(Hwnd window, WindowProcToken) {
  procedures_.erase(window);
}

std::intptr_t SimHookLibrary::CallWindowProc(WindowProcToken, Hwnd, std::uint32_t, std::uintptr_t,
                                             std::intptr_t) {
  return 0;
}

Hwnd SimHookLibrary::GetParent(Hwnd window) {
  // GetParent never raises an error: a failing call answers no window.
  if (failures_.ShouldFail("HookLibrary.GetParent")) return 0;
  const SimWindow* w = windows_.Find(window);
  if (w == nullptr || !w->open) return 0;
  // The parent of a child window, or the owner of a top-level one.
  return w->parent != 0 ? w->parent : w->owner;
}

int SimHookLibrary::GetWindowTextLength(Hwnd window) {
  const SimWindow* w = windows_.Find(window);
  return w && w->open ? static_cast<int>(ansi_.Encode(w->text).size()) : 0;
}

std::string SimHookLibrary::GetWindowText(Hwnd window, int bufferChars) {
  const SimWindow* w = windows_.Find(window);
  if (w == nullptr || !w->open || bufferChars <= 0) return {};
  std::string text = ansi_.Encode(w->text);
  if (text.size() > static_cast<std::size_t>(bufferChars - 1)) text.resize(bufferChars - 1);
  return text;
}

bool SimHookLibrary::IsWindow(Hwnd window) {
  return windows_.IsOpen(window);
}

std::wstring SimHookLibrary::ClassName(Hwnd window) {
  const SimWindow* w = windows_.Find(window);
  return w && w->open ? w->className : std::wstring();
}

bool SimHookLibrary::IsChildWindow(Hwnd window) {
  const SimWindow* w = windows_.Find(window);
  return w && w->open && w->parent != 0;
}

std::wstring SimHookLibrary::WindowProgramFile(Hwnd window) {
  const SimWindow* w = windows_.Find(window);
  if (w == nullptr || !w->open) return {};
  const SimProcess* process = windows_.FindProcess(w->process);
  return process && process->running ? process->programFile : std::wstring();
}

void SimHookLibrary::ReplyToSender() {
  windows_.AnswerSentMessage();
}

// Every message reaches the control's window on the simulated desktop: it
// knows no integrity levels.
void SimHookLibrary::AdmitMessages(Hwnd, std::uint32_t, std::uint32_t) {}

bool SimHookLibrary::Installed(int kind) const {
  for (const auto& [handle, k] : hooks_) {
    if (k == kind) return true;
  }
  return false;
}

void SimHookLibrary::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  const auto it = procedures_.find(notify_);
  if (notify_ == 0 || it == procedures_.end()) return;
  it->second->WindowProc(notify_, message, wParam, lParam);
}

void SimHookLibrary::SendAndWait(std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
  windows_.BeginSentMessage();
  struct End {
    SimWindowManager& windows;
    ~End() { windows.EndSentMessage(); }
  } end{windows_};
  Send(message, wParam, lParam);
}

bool SimHookLibrary::DialogOfBrowser(const SimWindow& window) const {
  if (noBrowserCheck_ == 1) return true;
  SimProcess* process = windows_.FindProcess(window.process);
  return process != nullptr && EndsWithNoCase(process->programFile, L"\\iexplore.exe");
}

void SimHookLibrary::WindowCreated(const SimWindow& window) {
  if (window.className == kDialogClass && Installed(kWhCbt) && DialogOfBrowser(window)) {
    SendAndWait(kHookNotifyDialog, window.handle, static_cast<std::intptr_t>(window.owner));
  }
  if (window.parent == 0 && Installed(kWhCallWndProcRet)) Send(kHookNotifyText, window.handle, 0);
}

void SimHookLibrary::CaptionChanged(const SimWindow& window) {
  if (window.parent == 0 && Installed(kWhCallWndProcRet)) Send(kHookNotifyText, window.handle, 0);
}

void SimHookLibrary::WindowActivated(const SimWindow& window) {
  if (window.className == kDialogClass && Installed(kWhCbt) && DialogOfBrowser(window)) {
    SendAndWait(kHookNotifyDialog, window.handle, 0);
  }
}

void SimHookLibrary::MouseButton(bool down, Hwnd window, int x, int y) {
  if (!Installed(kWhMouse)) return;
  lastY_ = y;
  Send(down ? kHookNotifyButtonDown : kHookNotifyButtonUp, static_cast<std::uintptr_t>(x),
       static_cast<std::intptr_t>(window));
}

}  // namespace qx::sim
