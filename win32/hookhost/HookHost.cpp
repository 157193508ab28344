// The hook host: a tiny program of the other bitness that sets the hook
// control's three hooks with its own copy of catchwire, so that processes of
// that bitness are hooked from inside, in their own bitness. The reports go
// straight from the hooked processes to the control's window; this program
// only sets and removes the hooks and answers GetLastY for its library.
//
// It runs at the integrity level of the program that started it. User
// Interface Privilege Isolation keeps programs of a lower level (Protected
// Mode tabs) from sending to its window, which admits nothing ("a lower
// privilege process cannot ... SendMessage or PostMessage to higher
// privilege application windows", Windows Integrity Mechanism Design, UIPI).
// Its hooks enter processes at or below its own level only, as the
// control's do.

#include <windows.h>

#include "HookHostProtocol.h"

namespace {

using CallbackInitFn = LONG(WINAPI*)(HWND, HHOOK, HHOOK, HHOOK, LONG, LONG);
using GetLastYFn = LONG(WINAPI*)();

enum ExitCode : int {
  kEnded = 0,
  kBadCommandLine = 2,
  kNoLibrary = 3,
  kNoOwner = 4,
  kNoWindow = 5
};

// How often the host looks whether the control's window still exists.
constexpr UINT kWatchMs = 2000;

struct HookKind {
  int id;
  const char* procedure;
  WPARAM bit;
};
constexpr HookKind kKinds[3] = {{WH_CBT, "HookCBT", kHostHookCbt},
                                {WH_CALLWNDPROCRET, "HookMsg", kHostHookMsg},
                                {WH_MOUSE, "HookMouse", kHostHookMouse}};

struct Host {
  HMODULE library = nullptr;
  HOOKPROC procedures[3] = {};
  CallbackInitFn callbackInit = nullptr;
  GetLastYFn getLastY = nullptr;
  HWND notify = nullptr;
  HHOOK hooks[3] = {};
  LONG noBrowserCheck = 0;
};

void Say(const wchar_t* text) {
  OutputDebugStringW(L"QuellixHook32: ");
  OutputDebugStringW(text);
  OutputDebugStringW(L"\n");
}

// Reads one unsigned decimal number; false when there is none or it does not
// fit 32 bits.
bool ReadNumber(const wchar_t*& p, DWORD& value) {
  while (*p == L' ' || *p == L'\t')
    ++p;
  if (*p < L'0' || *p > L'9') return false;
  unsigned long long n = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    n = n * 10 + static_cast<unsigned>(*p - L'0');
    if (n > 0xFFFFFFFFull) return false;
  }
  value = static_cast<DWORD>(n);
  return true;
}

// The arguments after the program's name: the notify window and the
// control's process id, nothing else.
bool ParseCommandLine(const wchar_t* line, HWND& notify, DWORD& owner) {
  const wchar_t* p = line;
  if (*p == L'"') {
    for (++p; *p != 0 && *p != L'"'; ++p) {
    }
    if (*p == L'"') ++p;
  } else {
    while (*p != 0 && *p != L' ' && *p != L'\t')
      ++p;
  }
  DWORD window = 0;
  if (!ReadNumber(p, window) || !ReadNumber(p, owner)) return false;
  while (*p == L' ' || *p == L'\t')
    ++p;
  if (*p != 0 || window == 0 || owner == 0) return false;
  // Window handles hold 32 bits, sign-extended to pointer width.
  notify = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(window)));
  return true;
}

bool LoadHookLibrary(Host& host) {
  wchar_t path[MAX_PATH + 32];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  DWORD slash = length;
  while (slash > 0 && path[slash - 1] != L'\\' && path[slash - 1] != L'/')
    --slash;
  lstrcpyW(path + slash, kHookHostLibrary);
  host.library = LoadLibraryW(path);
  if (host.library == nullptr) return false;
  for (int i = 0; i < 3; ++i) {
    host.procedures[i] = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void (*)()>(GetProcAddress(host.library, kKinds[i].procedure)));
  }
  host.callbackInit = reinterpret_cast<CallbackInitFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(host.library, "CallbackInit")));
  host.getLastY = reinterpret_cast<GetLastYFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(host.library, "GetLastY")));
  return host.callbackInit != nullptr && host.getLastY != nullptr &&
         host.procedures[0] != nullptr && host.procedures[1] != nullptr &&
         host.procedures[2] != nullptr;
}

void TellLibrary(Host& host, HWND notify) {
  host.callbackInit(notify, host.hooks[0], host.hooks[1], host.hooks[2], host.noBrowserCheck, 0);
}

// Sets and removes hooks until they are the wanted ones; the library hears
// of the handles and the flag as it does from the control.
LRESULT Apply(Host& host, WPARAM wanted, LPARAM flag) {
  WPARAM set = 0;
  for (int i = 0; i < 3; ++i) {
    const bool want = (wanted & kKinds[i].bit) != 0;
    if (want && host.hooks[i] == nullptr) {
      host.hooks[i] = SetWindowsHookExW(kKinds[i].id, host.procedures[i], host.library, 0);
    } else if (!want && host.hooks[i] != nullptr) {
      UnhookWindowsHookEx(host.hooks[i]);
      host.hooks[i] = nullptr;
    }
    if (host.hooks[i] != nullptr) set |= kKinds[i].bit;
  }
  host.noBrowserCheck = flag == 1 ? 1 : 0;
  TellLibrary(host, host.notify);
  return static_cast<LRESULT>(set);
}

void RemoveAll(Host& host) {
  Apply(host, 0, host.noBrowserCheck);
  // Nothing more may be reported for a control that is going.
  TellLibrary(host, nullptr);
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kHostApply:
      return Apply(*host, wParam, lParam);
    case kHostTakeY:
      return static_cast<LRESULT>(host->getLastY());
    case WM_TIMER:
      if (!IsWindow(host->notify)) DestroyWindow(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      RemoveAll(*host);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND MakeWindow(HINSTANCE instance, Host& host) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HostWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kHookHostClass;
  if (RegisterClassW(&wc) == 0) return nullptr;
  wchar_t title[16];
  wsprintfW(title, L"%lu",
            static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(host.notify) & 0xFFFFFFFFul));
  HWND window = CreateWindowExW(0, kHookHostClass, title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                instance, nullptr);
  if (window == nullptr) return nullptr;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
  SetTimer(window, 1, kWatchMs, nullptr);
  return window;
}

// Runs until the window is closed or the control's process ends; a host is
// never left behind.
void Run(HANDLE owner, HWND window) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &owner, FALSE, INFINITE, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) {
      if (IsWindow(window)) DestroyWindow(window);
      return;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Host host;
  DWORD ownerId = 0;
  if (!ParseCommandLine(GetCommandLineW(), host.notify, ownerId)) {
    Say(L"usage: QuellixHook32.exe <notify window> <process id>");
    return kBadCommandLine;
  }
  HANDLE owner = OpenProcess(SYNCHRONIZE, FALSE, ownerId);
  if (owner == nullptr) {
    Say(L"the program that started it is gone");
    return kNoOwner;
  }
  if (!LoadHookLibrary(host)) {
    Say(L"catchwire32.dll is missing or incomplete");
    return kNoLibrary;
  }
  const HWND window = MakeWindow(instance, host);
  if (window == nullptr) {
    Say(L"its window could not be made");
    return kNoWindow;
  }
  Run(owner, window);
  CloseHandle(owner);
  return kEnded;
}
