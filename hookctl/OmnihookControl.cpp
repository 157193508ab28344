#include "hookctl/OmnihookControl.h"

#include "base/Text.h"

namespace qx {
namespace {

std::int32_t As32(std::uintptr_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// A bound on the walk to the top-level window: a damaged parent chain must
// not hang the program.
constexpr int kMaxDepth = 4096;

}  // namespace

OmnihookControl::OmnihookControl(HookState& state, HookLibrary& library, const AnsiCodec& ansi,
                                 Hwnd window, OmnihookEvents* host, HookPeer* peer)
    : state_(state), library_(library), ansi_(ansi), window_(window), host_(host), peer_(peer) {}

OmnihookControl::~OmnihookControl() {
  if (initialized_) {
    initialized_ = false;
    Teardown();
  }
  if (state_.Owner == this) state_.Owner = nullptr;
}

void OmnihookControl::Initialize() {
  initialized_ = true;
  if (state_.Initialized) return;
  state_.Initialized = true;
  state_.LibraryHandle = library_.LoadLibrary(library_.ControlFolder() + L"\\catchwire.dll");
  state_.NotifyWindow = window_;
  state_.Owner = this;
  state_.OldWindowProc = library_.ReplaceWindowProc(window_, *this);
  // Browser tabs in Protected Mode run at low integrity, and Windows drops
  // their messages above WM_USER to this window unless it admits them.
  library_.AdmitMessages(window_, kHookNotifyDialog, kHookNotifyButtonUp);
}

void OmnihookControl::Callback() {
  library_.CallbackInit(state_.LibraryHandle, As32(state_.NotifyWindow), As32(state_.CbtHook),
                        As32(state_.MsgHook), As32(state_.MouseHook), state_.NoBrowserCheck, 0);
}

void OmnihookControl::SyncPeer() {
  if (peer_ == nullptr) return;
  PeerHooks hooks;
  hooks.NotifyWindow = As32(state_.NotifyWindow);
  hooks.Cbt = state_.CbtHook != 0;
  hooks.Msg = state_.MsgHook != 0;
  hooks.Mouse = state_.MouseHook != 0;
  hooks.NoBrowserCheck = state_.NoBrowserCheck;
  // The helper lives only while there is something for it to hook.
  if (hooks.Any() && state_.Initialized) {
    peer_->Apply(hooks);
  } else {
    peer_->Stop();
  }
}

void OmnihookControl::Install(int kind, const char* procedure, HookHandle& field) {
  const ProcAddress address = library_.GetProcAddress(state_.LibraryHandle, procedure);
  field = library_.SetWindowsHookEx(kind, address, state_.LibraryHandle, 0);
}

void OmnihookControl::InstallCBTHook(bool noBrowserCheck) {
  if (state_.CbtHook != 0 || !state_.Initialized) return;
  Install(kWhCbt, "HookCBT", state_.CbtHook);
  state_.NoBrowserCheck = noBrowserCheck ? 1 : 0;
  Callback();
  SyncPeer();
}

void OmnihookControl::InstallMsgHook() {
  if (state_.MsgHook != 0 || !state_.Initialized) return;
  Install(kWhCallWndProcRet, "HookMsg", state_.MsgHook);
  Callback();
  SyncPeer();
}

void OmnihookControl::InstallMouseHook() {
  if (state_.MouseHook != 0 || !state_.Initialized) return;
  Install(kWhMouse, "HookMouse", state_.MouseHook);
  Callback();
  SyncPeer();
}

void OmnihookControl::Remove(HookLibrary& library, HookHandle& field) {
  if (field == 0) return;
  library.UnhookWindowsHookEx(field);
  field = 0;
}

void OmnihookControl::RemoveCBTHook() {
  Remove(library_, state_.CbtHook);
  SyncPeer();
}
void OmnihookControl::RemoveMsgHook() {
  Remove(library_, state_.MsgHook);
  SyncPeer();
}
void OmnihookControl::RemoveMouseHook() {
  Remove(library_, state_.MouseHook);
  SyncPeer();
}

void OmnihookControl::Uninitialize() {
  if (!initialized_) return;
  Teardown();
  initialized_ = false;
}

void OmnihookControl::Teardown() {
  if (!state_.Initialized) return;
  state_.Initialized = false;
  Remove(library_, state_.CbtHook);
  Remove(library_, state_.MsgHook);
  Remove(library_, state_.MouseHook);
  if (peer_ != nullptr) peer_->Stop();
  state_.NotifyWindow = 0;
  if (state_.Owner != nullptr) {
    library_.RestoreWindowProc(state_.Owner->window_, state_.OldWindowProc);
  }
  library_.FreeLibrary(state_.LibraryHandle);
}

void OmnihookControl::Resize(int& widthTwips, int& heightTwips) {
  if (widthTwips != kControlTwips || heightTwips != kControlTwips) {
    widthTwips = kControlTwips;
    heightTwips = kControlTwips;
  }
}

bool OmnihookControl::IsWebDialog(Hwnd dialog) {
  if (dialog == 0 || !library_.IsWindow(dialog) || library_.IsChildWindow(dialog)) return false;
  if (library_.ClassName(dialog) != kWebDialogClass) return false;
  // The library reports only the browser's own dialogs unless told not to
  // check (other browsers built on the same component); so does the check.
  if (state_.NoBrowserCheck == 1) return true;
  const std::wstring program = LowerCase(library_.WindowProgramFile(dialog));
  return program == kBrowserProgram ||
         EndsWithNoCase(program, L"\\" + std::wstring(kBrowserProgram));
}

Hwnd OmnihookControl::TopLevelOf(Hwnd window) {
  Hwnd top = window;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    const Hwnd parent = library_.GetParent(top);
    if (parent == 0) break;
    top = parent;
  }
  return top;
}

void OmnihookControl::DialogReport(OmnihookEvents& host, Hwnd dialog, Hwnd owner) {
  // The library sends this report and waits; the host's decision calls into
  // the browser's process, which COM refuses inside an unanswered send. The
  // report's facts are read first, then the sender is let go.
  const bool genuine = IsWebDialog(dialog) && (owner == 0 || library_.IsWindow(owner));
  std::wstring caption;
  const bool titled = genuine && owner == 0 && DialogTitle(dialog, caption);
  library_.ReplyToSender();
  if (!genuine) return;
  std::int32_t handle = LongFromHwnd(dialog);
  if (owner != 0) {
    std::int32_t ieWindow = LongFromHwnd(TopLevelOf(owner));
    host.NewWebDialogAdvise(handle, ieWindow);
  } else if (titled) {
    host.NewWebDialog(handle, caption);
  }
}

bool OmnihookControl::DialogTitle(Hwnd dialog, std::wstring& title) {
  const int length = library_.GetWindowTextLength(dialog);
  if (length <= 0 || length >= 30000) return false;
  std::string bytes = library_.GetWindowText(dialog, length + 5);
  if (bytes.size() > static_cast<std::size_t>(length) + 4) bytes.resize(length + 4);
  const std::wstring caption = ansi_.Decode(bytes);
  if (caption.size() < kWebDialogSuffix.size()) return false;
  const std::size_t cut = caption.size() - kWebDialogSuffix.size();
  if (LowerCase(caption.substr(cut)) != kWebDialogSuffix) return false;
  title = caption.substr(0, cut);
  return true;
}

void OmnihookControl::ButtonReport(OmnihookEvents& host, bool down, std::uintptr_t wParam,
                                   Hwnd window) {
  std::int32_t x = As32(wParam);
  // Asked for every report, true or not, so that the library's ring of
  // coordinates stays in step with its messages.
  std::int32_t y = LastY(window);
  if (!library_.IsWindow(window)) return;
  std::int32_t hwnd = LongFromHwnd(window);
  if (down) {
    host.LeftButtonDown(x, y, hwnd);
  } else {
    host.LeftButtonUp(x, y, hwnd);
  }
}

// Each library reports only the processes of its own bitness, so the window
// tells whose ring of coordinates holds this report's y.
std::int32_t OmnihookControl::LastY(Hwnd window) {
  if (peer_ != nullptr && peer_->Reports(window)) return peer_->GetLastY();
  return library_.GetLastY(state_.LibraryHandle);
}

std::intptr_t OmnihookControl::NotifyWindowProc(Hwnd window, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam) {
  if (message < kHookNotifyDialog || message > kHookNotifyButtonUp) {
    return library_.CallWindowProc(state_.OldWindowProc, window, message, wParam, lParam);
  }
  // Events are raised on the instance that initialised the shared state.
  OmnihookEvents* sink = state_.Owner != nullptr ? state_.Owner->host_ : host_;
  // Handles arrive as the sender's 32 bits: a 32-bit sender's WPARAM is
  // zero-extended, its LPARAM sign-extended.
  const Hwnd first = HwndFromLong(As32(wParam));
  const Hwnd second = HwndFromLong(As32(static_cast<std::uintptr_t>(lParam)));
  if (sink == nullptr) {
    if (message == kHookNotifyDialog) library_.ReplyToSender();
    return 0;
  }
  switch (message) {
    case kHookNotifyDialog:
      DialogReport(*sink, first, second);
      break;
    case kHookNotifyText:
      // The host reads the caption from the window itself.
      if (library_.IsWindow(first)) {
        std::int32_t hwnd = LongFromHwnd(first);
        sink->GetTextMsg(hwnd);
      }
      break;
    default:
      ButtonReport(*sink, message == kHookNotifyButtonDown, wParam, second);
      break;
  }
  return 0;
}

}  // namespace qx
