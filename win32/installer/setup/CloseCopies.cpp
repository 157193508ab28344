#include "win32/installer/setup/CloseCopies.h"

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/InstanceName.h"

namespace qx::setup {
namespace {

// The installer is elevated, but another user's processes grant the
// Administrators nothing by default; with SeDebugPrivilege enabled,
// OpenProcess grants what is asked "regardless of the contents of the
// security descriptor" (learn.microsoft.com/windows/win32/api/processthreadsapi/
// nf-processthreadsapi-openprocess). Enabled only while copies are closed.
class DebugPrivilege {
 public:
  DebugPrivilege() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_))
      return;
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &wanted.Privileges[0].Luid)) return;
    DWORD bytes = sizeof before_;
    changed_ = AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof before_, &before_, &bytes) &&
               GetLastError() == ERROR_SUCCESS;
  }
  ~DebugPrivilege() {
    if (changed_) AdjustTokenPrivileges(token_, FALSE, &before_, 0, nullptr, nullptr);
    if (token_ != nullptr) CloseHandle(token_);
  }
  DebugPrivilege(const DebugPrivilege&) = delete;
  DebugPrivilege& operator=(const DebugPrivilege&) = delete;

 private:
  HANDLE token_ = nullptr;
  TOKEN_PRIVILEGES before_{};
  bool changed_ = false;
};

bool SameName(const wchar_t* a, std::wstring_view b) {
  return lstrcmpiW(a, std::wstring(b).c_str()) == 0;
}

// The running copies, opened so that they can be waited for and ended.
std::vector<HANDLE> OpenCopies(std::wstring_view exeName, std::vector<DWORD>& ids) {
  std::vector<HANDLE> copies;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return copies;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId() || !SameName(entry.szExeFile, exeName))
      continue;
    const HANDLE copy = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
    if (copy == nullptr) continue;  // ended meanwhile, or out of reach
    copies.push_back(copy);
    ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return copies;
}

void Ask(DWORD processId) {
  const std::wstring name = std::wstring(kCloseEventPrefix) + std::to_wstring(processId);
  if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())) {
    SetEvent(event);
    CloseHandle(event);
  }
}

}  // namespace

CloseOutcome CloseRunningCopies(std::wstring_view exeName, DWORD waitMs) {
  const DebugPrivilege privilege;
  std::vector<DWORD> ids;
  const std::vector<HANDLE> copies = OpenCopies(exeName, ids);
  CloseOutcome outcome;
  outcome.asked = static_cast<int>(copies.size());
  for (const DWORD id : ids)
    Ask(id);
  // All were asked at once, so each has the whole time to end.
  const DWORD start = GetTickCount();
  for (const HANDLE copy : copies) {
    const DWORD spent = GetTickCount() - start;  // modulo 2^32: wraps safely
    const DWORD left = spent < waitMs ? waitMs - spent : 0;
    if (WaitForSingleObject(copy, left) != WAIT_OBJECT_0) {
      TerminateProcess(copy, 1);
      // Its files stay in use until it has really gone.
      WaitForSingleObject(copy, 5000);
      ++outcome.forced;
    }
    CloseHandle(copy);
  }
  return outcome;
}

}  // namespace qx::setup
