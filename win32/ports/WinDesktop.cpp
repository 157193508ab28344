#include "win32/ports/WinDesktop.h"

#include <windows.h>
// windows.h first: these need its types.
#include <psapi.h>
#include <sddl.h>

#include <vector>

#include "win32/compat/ProcessImage.h"
#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

HWND H(Hwnd window) {
  return reinterpret_cast<HWND>(window);
}

std::wstring Cut(const std::vector<wchar_t>& buffer, int n) {
  if (n <= 0) return {};
  return std::wstring(buffer.data(), static_cast<std::size_t>(n));
}

struct FindState {
  std::wstring className;
  DWORD self = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindOther(HWND window, LPARAM param) {
  auto& state = *reinterpret_cast<FindState*>(param);
  wchar_t name[256];
  const int n = GetClassNameW(window, name, 256);
  if (n <= 0 || state.className != std::wstring_view(name, static_cast<std::size_t>(n)))
    return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == state.self) return TRUE;
  state.found = window;
  return FALSE;
}

}  // namespace

WinDesktop::WinDesktop(std::wstring instanceName) : instanceName_(std::move(instanceName)) {}

WinDesktop::~WinDesktop() {
  if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

std::wstring WinDesktop::WindowText(Hwnd window, int bufferChars) {
  if (bufferChars <= 1) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferChars));
  return Cut(buffer, GetWindowTextW(H(window), buffer.data(), bufferChars));
}

std::wstring WinDesktop::ClassName(Hwnd window, int bufferChars) {
  if (bufferChars <= 1) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferChars));
  return Cut(buffer, GetClassNameW(H(window), buffer.data(), bufferChars));
}

Hwnd WinDesktop::Parent(Hwnd window) {
  return reinterpret_cast<Hwnd>(GetParent(H(window)));
}

std::uint32_t WinDesktop::ExStyle(Hwnd window) {
  return static_cast<std::uint32_t>(GetWindowLongW(H(window), GWL_EXSTYLE));
}

ProcessId WinDesktop::WindowProcessId(Hwnd window) {
  DWORD process = 0;
  GetWindowThreadProcessId(H(window), &process);
  return process;
}

std::wstring WinDesktop::WindowModuleFileName(Hwnd window, int bufferChars) {
  if (bufferChars <= 1) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferChars));
  const UINT n = GetWindowModuleFileNameW(H(window), buffer.data(), static_cast<UINT>(bufferChars));
  return Cut(buffer, static_cast<int>(n));
}

std::wstring WinDesktop::ProcessFirstModuleFileName(ProcessId process, int bufferChars) {
  if (bufferChars <= 1) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferChars));
  HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process);
  DWORD firstError = GetLastError();
  if (handle != nullptr) {
    HMODULE first = nullptr;
    DWORD needed = 0;
    DWORD n = 0;
    if (EnumProcessModules(handle, &first, sizeof first, &needed))
      n = GetModuleFileNameExW(handle, first, buffer.data(), static_cast<DWORD>(bufferChars));
    firstError = GetLastError();
    CloseHandle(handle);
    if (n > 0) return Cut(buffer, static_cast<int>(n));
  }
  // A process of a higher integrity level grants only limited query rights,
  // which the image path needs from Vista on; XP has no other way.
  const compat::ImagePathApi api = compat::SystemImagePathApi();
  if (api.queryFull == nullptr) throw Win32Error(L"Desktop.ProcessFirstModuleFileName", firstError);
  handle = OpenProcess(compat::ImagePathAccess(api), FALSE, process);
  if (handle == nullptr) throw Win32Error(L"Desktop.ProcessFirstModuleFileName", GetLastError());
  DWORD size = static_cast<DWORD>(bufferChars);
  const BOOL ok = api.queryFull(handle, 0, buffer.data(), &size);
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (!ok) throw Win32Error(L"Desktop.ProcessFirstModuleFileName", error);
  return Cut(buffer, static_cast<int>(size));
}

void WinDesktop::PostCloseMessage(Hwnd window) {
  if (!PostMessageW(H(window), WM_CLOSE, 0, 0))
    throw Win32Error(L"Desktop.PostCloseMessage", GetLastError(), kErrInvalidCall);
}

OsVersionInfo WinDesktop::Version() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) throw Win32Error(L"Desktop.Version", GetLastError(), kErrInvalidCall);
#pragma GCC diagnostic pop
  OsVersionInfo v;
  v.majorVersion = info.dwMajorVersion;
  v.minorVersion = info.dwMinorVersion;
  v.buildNumber = info.dwBuildNumber;
  v.platformId = info.dwPlatformId;
  v.servicePack = info.szCSDVersion;
  return v;
}

ProcessId WinDesktop::CurrentProcessId() {
  return GetCurrentProcessId();
}

LRESULT CALLBACK WinDesktop::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<WinDesktop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && self->handler_ != nullptr) {
    // Nothing may unwind through the system's frames.
    try {
      LRESULT result = 0;
      if (self->handler_->OnMessage(window, message, wParam, lParam, result)) return result;
    } catch (...) {
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

Hwnd WinDesktop::CreateOwnWindow(std::wstring_view caption, std::wstring_view className) {
  if (maker_) {
    if (HWND made = maker_(className); made != nullptr) {
      SetWindowTextW(made, std::wstring(caption).c_str());
      return reinterpret_cast<Hwnd>(made);
    }
  }
  const std::wstring name(className);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, name.c_str(), &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WinDesktop::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = name.c_str();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw Win32Error(L"Desktop.CreateOwnWindow", GetLastError(), kErrInvalidCall);
  }
  // Hidden and never in the task bar; a real top-level window so that it can
  // own the tray menu and come to the foreground.
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, name.c_str(), std::wstring(caption).c_str(),
                                WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (window == nullptr)
    throw Win32Error(L"Desktop.CreateOwnWindow", GetLastError(), kErrInvalidCall);
  return reinterpret_cast<Hwnd>(window);
}

void WinDesktop::DestroyOwnWindow(Hwnd window) {
  if (window != 0) DestroyWindow(H(window));
}

void WinDesktop::SetForegroundWindow(Hwnd window) {
  ::SetForegroundWindow(H(window));
}

void WinDesktop::PostNullMessage(Hwnd window) {
  if (!PostMessageW(H(window), WM_NULL, 0, 0))
    throw Win32Error(L"Desktop.PostNullMessage", GetLastError(), kErrInvalidCall);
}

void WinDesktop::CursorPos(int& x, int& y) {
  POINT p{};
  if (!GetCursorPos(&p)) throw Win32Error(L"Desktop.CursorPos", GetLastError(), kErrInvalidCall);
  x = p.x;
  y = p.y;
}

std::wstring WinDesktop::MutexName() const {
  return instanceName_;
}

bool WinDesktop::PreviousInstance() {
  if (instanceMutex_ != nullptr && first_) return false;
  // Asked again after another instance was seen: it may have ended since.
  if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
  instanceMutex_ = CreateMutexW(nullptr, FALSE, MutexName().c_str());
  const DWORD error = GetLastError();
  if (instanceMutex_ == nullptr) {
    // Someone else made an object of that name that we may not open: an
    // instance of ours under another security context, or a squatter.
    // Either way this start stands aside.
    if (error == ERROR_ACCESS_DENIED) return true;
    throw Win32Error(L"Desktop.PreviousInstance", error, kErrInvalidCall);
  }
  first_ = error != ERROR_ALREADY_EXISTS;
  return !first_;
}

Hwnd WinDesktop::FindInstanceWindow(std::wstring_view className) {
  FindState state{std::wstring(className), GetCurrentProcessId(), nullptr};
  EnumWindows(&FindOther, reinterpret_cast<LPARAM>(&state));
  return reinterpret_cast<Hwnd>(state.found);
}

}  // namespace qx::win
