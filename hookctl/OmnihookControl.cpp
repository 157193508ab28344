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
                                 Hwnd window, OmnihookEvents* host)
    : state_(state), library_(library), ansi_(ansi), window_(window), host_(host) {}

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
}

void OmnihookControl::Callback() {
  library_.CallbackInit(state_.LibraryHandle, As32(state_.NotifyWindow), As32(state_.CbtHook),
                        As32(state_.MsgHook), As32(state_.MouseHook), state_.NoBrowserCheck, 0);
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
}

void OmnihookControl::InstallMsgHook() {
  if (state_.MsgHook != 0 || !state_.Initialized) return;
  Install(kWhCallWndProcRet, "HookMsg", state_.MsgHook);
  Callback();
}

void OmnihookControl::InstallMouseHook() {
  if (state_.MouseHook != 0 || !state_.Initialized) return;
  Install(kWhMouse, "HookMouse", state_.MouseHook);
  Callback();
}

void OmnihookControl::Remove(HookLibrary& library, HookHandle& field) {
  if (field == 0) return;
  library.UnhookWindowsHookEx(field);
  field = 0;
}

void OmnihookControl::RemoveCBTHook() {
  Remove(library_, state_.CbtHook);
}
void OmnihookControl::RemoveMsgHook() {
  Remove(library_, state_.MsgHook);
}
void OmnihookControl::RemoveMouseHook() {
  Remove(library_, state_.MouseHook);
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

std::intptr_t OmnihookControl::NotifyWindowProc(Hwnd window, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam) {
  // Events are raised on the instance that initialised the shared state.
  OmnihookEvents* sink = state_.Owner != nullptr ? state_.Owner->host_ : host_;
  if (sink == nullptr && message >= kHookNotifyDialog && message <= kHookNotifyButtonUp) return 0;
  OmnihookEvents& host = *sink;
  switch (message) {
    case kHookNotifyDialog: {
      std::int32_t dialog = As32(wParam);
      if (lParam != 0) {
        Hwnd top = static_cast<Hwnd>(lParam);
        for (int depth = 0; depth < kMaxDepth; ++depth) {
          const Hwnd parent = library_.GetParent(top);
          if (parent == 0) break;
          top = parent;
        }
        std::int32_t ieWindow = As32(top);
        host.NewWebDialogAdvise(dialog, ieWindow);
        return 0;
      }
      const int length = library_.GetWindowTextLength(static_cast<Hwnd>(wParam));
      if (length <= 0 || length >= 30000) return 0;
      std::string bytes = library_.GetWindowText(static_cast<Hwnd>(wParam), length + 5);
      if (bytes.size() > static_cast<std::size_t>(length) + 4) bytes.resize(length + 4);
      const std::wstring caption = ansi_.Decode(bytes);
      if (caption.size() < kWebDialogSuffix.size()) return 0;
      const std::size_t cut = caption.size() - kWebDialogSuffix.size();
      if (LowerCase(caption.substr(cut)) != kWebDialogSuffix) return 0;
      std::wstring title = caption.substr(0, cut);
      host.NewWebDialog(dialog, title);
      return 0;
    }
    case kHookNotifyText: {
      std::int32_t hwnd = As32(wParam);
      host.GetTextMsg(hwnd);
      return 0;
    }
    case kHookNotifyButtonDown:
    case kHookNotifyButtonUp: {
      std::int32_t x = As32(wParam);
      std::int32_t y = library_.GetLastY(state_.LibraryHandle);
      std::int32_t hwnd = As32(static_cast<std::uintptr_t>(lParam));
      if (message == kHookNotifyButtonDown) {
        host.LeftButtonDown(x, y, hwnd);
      } else {
        host.LeftButtonUp(x, y, hwnd);
      }
      return 0;
    }
    default:
      return library_.CallWindowProc(state_.OldWindowProc, window, message, wParam, lParam);
  }
}

}  // namespace qx
