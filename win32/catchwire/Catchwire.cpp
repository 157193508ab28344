// The hook library. Windows maps it into every process with a user-interface
// thread once the hook control sets a global hook; its procedures run inside
// those processes and reach the control only through window messages.
//
// The state the control hands over must be seen by every process, so it lives
// in a section that all mappings of this file share. Nothing here may use the
// C++ run-time: the procedures run inside programs that know nothing of it.

#include "Catchwire.h"

#define CATCHWIRE_SHARED __attribute__((section(".shared"), shared))

// The benchmark builds this file with a chaining call of its own, to time
// the procedures' own work apart from the system's.
#ifdef CATCHWIRE_NEXT_HOOK
extern "C" LRESULT WINAPI CATCHWIRE_NEXT_HOOK(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
#else
#define CATCHWIRE_NEXT_HOOK CallNextHookEx
#endif

namespace {

// Time a dialog's process waits for the control to decide about the dialog
// before it goes on; a hung host never stalls it longer than this.
constexpr UINT kSendTimeoutMs = 500;

// The y coordinates of the posted button messages, oldest first: the control
// asks for them one per message, after the message arrived, when later clicks
// may already have happened.
constexpr ULONG kYRing = 64;

struct YEntry {
  LONG seq;
  LONG y;
};

}  // namespace

// Shared by every process (only initialised variables go to the section).
HWND gNotifyWindow CATCHWIRE_SHARED = nullptr;
HHOOK gCbtHook CATCHWIRE_SHARED = nullptr;
HHOOK gMsgHook CATCHWIRE_SHARED = nullptr;
HHOOK gMouseHook CATCHWIRE_SHARED = nullptr;
LONG gNoBrowserCheck CATCHWIRE_SHARED = 0;
LONG gYWritten CATCHWIRE_SHARED = 0;
LONG gLastY CATCHWIRE_SHARED = 0;
YEntry gYs[kYRing] CATCHWIRE_SHARED = {};

namespace {

// Per process: whether this process is the browser (0 unknown, 1 yes, 2 no),
// and how far the control's process has read the y coordinates.
LONG gIsBrowser = 0;
LONG gYRead = 0;

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

YEntry& Slot(LONG seq) {
  return gYs[static_cast<ULONG>(seq) % kYRing];
}

bool AsciiEqualNoCase(const char* a, const char* b) {
  for (; *a != 0 && *b != 0; ++a, ++b) {
    if (AsciiLower(*a) != AsciiLower(*b)) return false;
  }
  return *a == *b;
}

// The browser is the process whose program file is named iexplore.exe, in
// any folder and any letter case.
bool IsBrowserProcess() {
  if (gIsBrowser == 0) {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = 0;
    const char* name = path;
    for (const char* p = path; *p != 0; ++p) {
      if (*p == '\\' || *p == '/') name = p + 1;
    }
    gIsBrowser = AsciiEqualNoCase(name, "iexplore.exe") ? 1 : 2;
  }
  return gIsBrowser == 1;
}

// A hook of the other bitness cannot enter a process: Windows runs it in the
// thread that installed it instead ("the system executes the hook in the
// hooking app's context; specifically, on the thread that called
// SetWindowsHookEx", SetWindowsHookEx, Remarks). Such a call is about a window
// of another process, which the library of that process's bitness reports
// from inside it; here it is only passed on.
bool InThisProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == 0 || process == GetCurrentProcessId();
}

bool IsWebPageDialog(HWND window) {
  char name[64];
  if (GetClassNameA(window, name, sizeof name) == 0) return false;
  return AsciiEqualNoCase(name, "Internet Explorer_TridentDlgFrame");
}

// The control's thread must not be sent into while it runs its own code (it
// may be creating that very window); it hears of its own dialogs by post.
bool NotifyWindowInThisThread(HWND notify) {
  return GetWindowThreadProcessId(notify, nullptr) == GetCurrentThreadId();
}

void ReportDialog(HWND dialog, HWND owner) {
  const HWND notify = gNotifyWindow;
  if (notify == nullptr || !InThisProcess(dialog)) return;
  if (gNoBrowserCheck != 1 && !IsBrowserProcess()) return;
  if (!IsWebPageDialog(dialog)) return;
  const WPARAM wParam = reinterpret_cast<WPARAM>(dialog);
  const LPARAM lParam = reinterpret_cast<LPARAM>(owner);
  if (NotifyWindowInThisThread(notify)) {
    PostMessageW(notify, kCatchwireNotifyDialog, wParam, lParam);
    return;
  }
  // Sent: the control decides before the dialog goes on (it may close it).
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(notify, kCatchwireNotifyDialog, wParam, lParam,
                      SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

void ReportButton(UINT message, LONG x, LONG y, HWND window) {
  const HWND notify = gNotifyWindow;
  if (notify == nullptr || !InThisProcess(window)) return;
  const LONG seq = InterlockedIncrement(&gYWritten);
  YEntry& entry = Slot(seq);
  entry.y = y;
  InterlockedExchange(&entry.seq, seq);
  gLastY = y;
  const WPARAM wParam = static_cast<WPARAM>(static_cast<LONG_PTR>(x));
  if (!PostMessageW(notify, message, wParam, reinterpret_cast<LPARAM>(window))) {
    // Never to be asked for: the control must not read it for a later click.
    InterlockedCompareExchange(&entry.seq, 0, seq);
  }
}

}  // namespace

extern "C" {

LRESULT CALLBACK HookCBT(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    const HWND owner =
        create != nullptr && create->lpcs != nullptr ? create->lpcs->hwndParent : nullptr;
    // A dialog without an owner belongs to no browser window: nothing to
    // advise; its activation still reports it.
    if (owner != nullptr) ReportDialog(reinterpret_cast<HWND>(wParam), owner);
  } else if (code == HCBT_ACTIVATE && wParam != 0) {
    ReportDialog(reinterpret_cast<HWND>(wParam), nullptr);
  }
  return CATCHWIRE_NEXT_HOOK(gCbtHook, code, wParam, lParam);
}

LRESULT CALLBACK HookMsg(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if ((call->message == WM_SETTEXT || (call->message == WM_CREATE && call->lResult != -1)) &&
        (GetWindowLongW(call->hwnd, GWL_STYLE) & WS_CHILD) == 0 && InThisProcess(call->hwnd)) {
      const HWND notify = gNotifyWindow;
      if (notify != nullptr) {
        PostMessageW(notify, kCatchwireNotifyText, reinterpret_cast<WPARAM>(call->hwnd), 0);
      }
    }
  }
  return CATCHWIRE_NEXT_HOOK(gMsgHook, code, wParam, lParam);
}

LRESULT CALLBACK HookMouse(int code, WPARAM wParam, LPARAM lParam) {
  // HC_NOREMOVE is a look ahead: the same message comes again as HC_ACTION.
  if (code == HC_ACTION) {
    UINT report = 0;
    switch (wParam) {
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONDBLCLK:
        report = kCatchwireNotifyButtonDown;
        break;
      case WM_LBUTTONUP:
      case WM_NCLBUTTONUP:
        report = kCatchwireNotifyButtonUp;
        break;
      default:
        break;
    }
    if (report != 0) {
      const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
      ReportButton(report, mouse->pt.x, mouse->pt.y, mouse->hwnd);
    }
  }
  return CATCHWIRE_NEXT_HOOK(gMouseHook, code, wParam, lParam);
}

LONG WINAPI CallbackInit(HWND notifyWindow, HHOOK cbtHook, HHOOK msgHook, HHOOK mouseHook,
                         LONG noBrowserCheck, LONG /*reserved*/) {
  // A new window or a fresh mouse hook: whatever clicks were posted before
  // will never be asked for.
  if (notifyWindow != gNotifyWindow || (mouseHook != nullptr && gMouseHook == nullptr)) {
    gYRead = gYWritten;
  }
  gNotifyWindow = notifyWindow;
  gCbtHook = cbtHook;
  gMsgHook = msgHook;
  gMouseHook = mouseHook;
  gNoBrowserCheck = noBrowserCheck == 1 ? 1 : 0;
  return 0;
}

// The y of the oldest button message not yet asked about; with none left,
// the y of the last click.
LONG WINAPI GetLastY() {
  const LONG written = gYWritten;
  // Entries older than the ring were overwritten.
  if (static_cast<ULONG>(written) - static_cast<ULONG>(gYRead) > kYRing) {
    gYRead = static_cast<LONG>(static_cast<ULONG>(written) - kYRing);
  }
  while (gYRead != written) {
    gYRead = static_cast<LONG>(static_cast<ULONG>(gYRead) + 1);
    const YEntry& entry = Slot(gYRead);
    if (entry.seq == gYRead) return entry.y;
  }
  return gLastY;
}

}  // extern "C"
