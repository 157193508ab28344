#include "Win32HookLibrary.h"

#include <psapi.h>

#include <string>

#include "HookThread.h"
#include "platform/PlatformError.h"
#include "win32/compat/MessageFilter.h"
#include "win32/compat/ProcessImage.h"

namespace qx::win {
namespace {

// The window property that leads the replaced window procedure to the
// handler of its window.
constexpr wchar_t kHandlerProperty[] = L"Quellix.OmnihookHandler";

HWND AsWindow(Hwnd window) {
  return reinterpret_cast<HWND>(window);
}

// Window and hook handles hold 32 significant bits in both bitnesses; a
// 32-bit value goes back to a handle sign-extended, as Windows does.
template <class Handle>
Handle FromInt32(std::int32_t value) {
  return reinterpret_cast<Handle>(static_cast<LONG_PTR>(value));
}

LRESULT CALLBACK ReplacedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* handler = static_cast<WindowMessageHandler*>(GetPropW(window, kHandlerProperty));
  if (handler == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // Nothing may leave a window procedure by exception: it would cross the
  // system's own frames.
  try {
    return handler->WindowProc(reinterpret_cast<Hwnd>(window), message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace

std::wstring Win32HookLibrary::ControlFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

ModuleHandle Win32HookLibrary::LoadLibrary(std::wstring_view path) {
  // The wide call: a folder name outside the ANSI code page still loads.
  const std::wstring file(path);
  return reinterpret_cast<ModuleHandle>(LoadLibraryW(file.c_str()));
}

void Win32HookLibrary::FreeLibrary(ModuleHandle module) {
  if (module != 0) ::FreeLibrary(reinterpret_cast<HMODULE>(module));
}

ProcAddress Win32HookLibrary::GetProcAddress(ModuleHandle module, std::string_view name) {
  if (module == 0) return 0;
  const std::string export_name(name);
  return reinterpret_cast<ProcAddress>(
      ::GetProcAddress(reinterpret_cast<HMODULE>(module), export_name.c_str()));
}

namespace {

// Global hooks (thread 0) belong to the program's hook thread, shared like
// the hook state by every control of this thread.
HookThread& ThreadHookOwner() {
  thread_local HookThread owner;
  return owner;
}

// Wine keeps a copy of the hooks that apply to a thread in the thread and
// renews it only with the answers to some calls, one of them the fetching
// of a message: a hook set by another thread would not reach this thread's
// own windows until its next message. One message of its own renews it.
// (Windows keeps the hooks in the system: there this changes nothing.)
void NoticeHooks() {
  if (!PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0)) return;
  MSG msg;
  PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_NULL, WM_NULL, PM_REMOVE);
}

}  // namespace

HookHandle Win32HookLibrary::SetWindowsHookEx(int kind, ProcAddress procedure, ModuleHandle module,
                                              std::uint32_t thread) {
  const auto proc = reinterpret_cast<HOOKPROC>(procedure);
  const auto instance = reinterpret_cast<HINSTANCE>(module);
  if (thread == 0) {
    const HHOOK hook = ThreadHookOwner().Set(kind, proc, instance);
    NoticeHooks();
    return reinterpret_cast<HookHandle>(hook);
  }
  return reinterpret_cast<HookHandle>(SetWindowsHookExA(kind, proc, instance, thread));
}

bool Win32HookLibrary::UnhookWindowsHookEx(HookHandle hook) {
  return ThreadHookOwner().Unhook(reinterpret_cast<HHOOK>(hook)) ||
         ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook)) != FALSE;
}

FARPROC Win32HookLibrary::Export(ModuleHandle module, const char* name) {
  if (module == 0) throw PlatformError(kErrFileNotFound, L"File not found: catchwire.dll");
  const FARPROC address = ::GetProcAddress(reinterpret_cast<HMODULE>(module), name);
  if (address == nullptr) {
    std::wstring text = L"Can't find DLL entry point ";
    for (const char* c = name; *c != 0; ++c)
      text += static_cast<wchar_t>(*c);
    throw PlatformError(453, text + L" in catchwire.dll");
  }
  return address;
}

void Win32HookLibrary::CallbackInit(ModuleHandle module, std::int32_t notifyWindow,
                                    std::int32_t cbtHook, std::int32_t msgHook,
                                    std::int32_t mouseHook, std::int32_t noBrowserCheck,
                                    std::int32_t reserved) {
  using Fn = LONG(WINAPI*)(HWND, HHOOK, HHOOK, HHOOK, LONG, LONG);
  const auto fn =
      reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Export(module, "CallbackInit")));
  fn(FromInt32<HWND>(notifyWindow), FromInt32<HHOOK>(cbtHook), FromInt32<HHOOK>(msgHook),
     FromInt32<HHOOK>(mouseHook), noBrowserCheck, reserved);
}

std::int32_t Win32HookLibrary::GetLastY(ModuleHandle module) {
  using Fn = LONG(WINAPI*)();
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(Export(module, "GetLastY")));
  return fn();
}

WindowProcToken Win32HookLibrary::ReplaceWindowProc(Hwnd window, WindowMessageHandler& handler) {
  const HWND hwnd = AsWindow(window);
  if (!SetPropW(hwnd, kHandlerProperty, &handler)) return 0;
  // SetWindowLongPtr: a 32-bit SetWindowLong would cut a 64-bit procedure
  // address in half.
  const LONG_PTR previous =
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReplacedWindowProc));
  if (previous == 0) RemovePropW(hwnd, kHandlerProperty);
  return static_cast<WindowProcToken>(previous);
}

void Win32HookLibrary::RestoreWindowProc(Hwnd window, WindowProcToken previous) {
  const HWND hwnd = AsWindow(window);
  if (previous != 0) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, static_cast<LONG_PTR>(previous));
  RemovePropW(hwnd, kHandlerProperty);
}

std::intptr_t Win32HookLibrary::CallWindowProc(WindowProcToken previous, Hwnd window,
                                               std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t lParam) {
  if (previous == 0) return DefWindowProcW(AsWindow(window), message, wParam, lParam);
  return CallWindowProcW(reinterpret_cast<WNDPROC>(previous), AsWindow(window), message, wParam,
                         lParam);
}

Hwnd Win32HookLibrary::GetParent(Hwnd window) {
  return reinterpret_cast<Hwnd>(::GetParent(AsWindow(window)));
}

int Win32HookLibrary::GetWindowTextLength(Hwnd window) {
  return GetWindowTextLengthA(AsWindow(window));
}

std::string Win32HookLibrary::GetWindowText(Hwnd window, int bufferChars) {
  if (bufferChars <= 0) return {};
  std::string text(static_cast<std::size_t>(bufferChars), '\0');
  const int copied = GetWindowTextA(AsWindow(window), text.data(), bufferChars);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

bool Win32HookLibrary::IsWindow(Hwnd window) {
  return window != 0 && ::IsWindow(AsWindow(window)) != FALSE;
}

std::wstring Win32HookLibrary::ClassName(Hwnd window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(AsWindow(window), name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

bool Win32HookLibrary::IsChildWindow(Hwnd window) {
  return (GetWindowLongPtrW(AsWindow(window), GWL_STYLE) & WS_CHILD) != 0;
}

std::wstring Win32HookLibrary::WindowProgramFile(Hwnd window) {
  DWORD id = 0;
  GetWindowThreadProcessId(AsWindow(window), &id);
  return id == 0 ? std::wstring() : qx::win::compat::ProcessImagePath(id);
}

void Win32HookLibrary::ReplyToSender() {
  // Nothing happens for a posted message or one this thread sent itself.
  ReplyMessage(0);
}

void Win32HookLibrary::AdmitMessages(Hwnd window, std::uint32_t first, std::uint32_t last) {
  // Where Windows has the rule (Vista on); compat/MessageFilter.h.
  for (std::uint32_t message = first; message <= last; ++message)
    qx::win::compat::AdmitMessage(AsWindow(window), message);
}

}  // namespace qx::win
