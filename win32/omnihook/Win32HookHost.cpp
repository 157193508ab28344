#include "Win32HookHost.h"

#include <string>

#include "HookHostProtocol.h"

namespace qx::win {
namespace {

// How long the control waits for a new host's window, and for a host to end
// when asked; a host that does not answer is ended by force.
constexpr DWORD kStartMs = 5000;
constexpr DWORD kStartPollMs = 10;
constexpr DWORD kStopMs = 2000;
// A host busy for longer than this is taken for hung.
constexpr UINT kSendMs = 2000;

constexpr DWORD kLimitedQuery = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION (Vista on)

// Whether the process runs under WoW64 (a 32-bit process on 64-bit
// Windows); nothing known answers false.
bool Wow64Of(HANDLE process, BOOL& wow64) {
  wow64 = FALSE;
  return IsWow64Process(process, &wow64) != FALSE;
}

bool WindowWow64(HWND window, BOOL& wow64) {
  DWORD id = 0;
  if (GetWindowThreadProcessId(window, &id) == 0 || id == 0) return false;
  // Limited query rights are granted across integrity levels; XP x64 knows
  // only the full right.
  HANDLE process = OpenProcess(kLimitedQuery, FALSE, id);
  if (process == nullptr) process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  if (process == nullptr) return false;
  const bool known = Wow64Of(process, wow64);
  CloseHandle(process);
  return known;
}

std::wstring Decimal(DWORD value) {
  return std::to_wstring(static_cast<unsigned long>(value));
}

}  // namespace

Win32HookHost::~Win32HookHost() {
  // Teardown has ended it already; a host left by an unusual exit is ended
  // without waiting (it would also end with this process).
  if (process_ != nullptr) TerminateProcess(process_, 1);
  Forget();
}

HWND Win32HookHost::FindWindowOf(std::int32_t notifyWindow) const {
  const std::wstring title = Decimal(static_cast<DWORD>(notifyWindow));
  HWND found = nullptr;
  // Another program could make a window of the same name: only the one of
  // the process started here counts.
  while ((found = FindWindowExW(HWND_MESSAGE, found, kHookHostClass, title.c_str())) != nullptr) {
    DWORD id = 0;
    GetWindowThreadProcessId(found, &id);
    if (id == processId_) return found;
  }
  return nullptr;
}

bool Win32HookHost::Start(std::int32_t notifyWindow) {
  const std::wstring path = folder_ + L"\\" + kHookHostFile;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  std::wstring line = L"\"" + path + L"\" " + Decimal(static_cast<DWORD>(notifyWindow)) + L" " +
                      Decimal(GetCurrentProcessId());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  processId_ = started.dwProcessId;
  for (DWORD waited = 0; waited < kStartMs && window_ == nullptr; waited += kStartPollMs) {
    window_ = FindWindowOf(notifyWindow);
    if (window_ == nullptr && WaitForSingleObject(process_, kStartPollMs) == WAIT_OBJECT_0) break;
  }
  if (window_ == nullptr || !Wow64Of(process_, wow64_)) {
    TerminateProcess(process_, 1);
    Forget();
    return false;
  }
  return true;
}

void Win32HookHost::Apply(const PeerHooks& hooks) {
  if (process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) Forget();
  if (process_ == nullptr) {
    if (refused_) return;
    if (!Start(hooks.NotifyWindow)) {
      refused_ = true;
      return;
    }
  }
  WPARAM wanted = 0;
  if (hooks.Cbt) wanted |= kHostHookCbt;
  if (hooks.Msg) wanted |= kHostHookMsg;
  if (hooks.Mouse) wanted |= kHostHookMouse;
  DWORD_PTR set = 0;
  SendMessageTimeoutW(window_, kHostApply, wanted, hooks.NoBrowserCheck == 1 ? 1 : 0,
                      SMTO_ABORTIFHUNG, kSendMs, &set);
}

void Win32HookHost::Stop() {
  refused_ = false;
  if (process_ == nullptr) return;
  PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, kStopMs) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
  Forget();
}

void Win32HookHost::Forget() {
  if (process_ != nullptr) CloseHandle(process_);
  process_ = nullptr;
  processId_ = 0;
  window_ = nullptr;
}

bool Win32HookHost::Reports(Hwnd window) {
  if (window_ == nullptr) return false;
  BOOL wow64 = FALSE;
  return WindowWow64(reinterpret_cast<HWND>(window), wow64) && wow64 == wow64_;
}

std::int32_t Win32HookHost::GetLastY() {
  DWORD_PTR y = 0;
  if (window_ == nullptr ||
      SendMessageTimeoutW(window_, kHostTakeY, 0, 0, SMTO_ABORTIFHUNG, kSendMs, &y) == 0) {
    return 0;
  }
  // The host's answer is its 32 bits, whatever the width here.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(y));
}

}  // namespace qx::win
