#include "win32/installer/setup/CloseCopies.h"

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "platform/InstanceName.h"
#include "win32/compat/ProcessImage.h"

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

// The running copies' process ids.
std::vector<DWORD> FindCopies(std::wstring_view exeName) {
  std::vector<DWORD> ids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID != GetCurrentProcessId() && SameName(entry.szExeFile, exeName))
      ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

// The process, to wait for and to end, if it still runs that program: an
// id that was freed after the snapshot may belong to another program now.
HANDLE OpenCopy(DWORD id, std::wstring_view exeName) {
  const qx::win::compat::ImagePathApi api = qx::win::compat::SystemImagePathApi();
  const HANDLE copy = OpenProcess(
      SYNCHRONIZE | PROCESS_TERMINATE | qx::win::compat::ImagePathAccess(api), FALSE, id);
  if (copy == nullptr) return nullptr;
  const std::wstring path = qx::win::compat::ImagePath(api, copy);
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || !SameName(path.c_str() + slash + 1, exeName)) {
    CloseHandle(copy);
    return nullptr;
  }
  return copy;
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
  const std::vector<DWORD> ids = FindCopies(exeName);
  // Opened before they are asked, so that none ends unseen in between; one
  // that cannot be opened is still asked, but cannot be waited for.
  std::vector<HANDLE> copies;
  for (const DWORD id : ids) {
    if (const HANDLE copy = OpenCopy(id, exeName)) copies.push_back(copy);
  }
  for (const DWORD id : ids)
    Ask(id);
  CloseOutcome outcome;
  outcome.asked = static_cast<int>(ids.size());
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
