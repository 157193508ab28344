#include "win32/program/CloseRequest.h"

#include <sddl.h>

#include <memory>
#include <vector>

#include "platform/InstanceName.h"

namespace qx::win {
namespace {

// The process user's SID as text ("S-1-5-21-..."), or "" when unknown.
std::wstring OwnUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD bytes = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
  std::vector<BYTE> buffer(bytes);
  std::wstring text;
  if (bytes != 0 && GetTokenInformation(token, TokenUser, buffer.data(), bytes, &bytes)) {
    wchar_t* sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      text = sid;
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return text;
}

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};

// Protected (nothing inherited): SYSTEM and the Administrators may wait for
// and set the event (SYNCHRONIZE | EVENT_MODIFY_STATE), the program's user
// may do everything. Objects in the global namespace are otherwise open to
// what the creator's default DACL allows. See "Synchronization Object
// Security and Access Rights" and "Security Descriptor String Format"
// (learn.microsoft.com/windows/win32/sync/synchronization-object-security-
// and-access-rights; .../secauthz/security-descriptor-string-format).
std::unique_ptr<void, LocalFreer> CloseEventSecurity() {
  const std::wstring user = OwnUserSid();
  if (user.empty()) return nullptr;
  const std::wstring sddl =
      L"D:P(A;;0x00100002;;;SY)(A;;0x00100002;;;BA)(A;;0x001F0003;;;" + user + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return nullptr;
  }
  return std::unique_ptr<void, LocalFreer>(descriptor);
}

}  // namespace

std::wstring CloseEventName(DWORD processId) {
  return std::wstring(kCloseEventPrefix) + std::to_wstring(processId);
}

CloseRequest::CloseRequest(HWND window) : window_(window) {
  const auto descriptor = CloseEventSecurity();
  if (window == nullptr || !descriptor) return;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  // An event in the global namespace needs no privilege (unlike a file
  // mapping there): "Kernel Object Namespaces",
  // learn.microsoft.com/windows/win32/termserv/kernel-object-namespaces.
  event_ = CreateEventW(&attributes, TRUE, FALSE, CloseEventName(GetCurrentProcessId()).c_str());
  if (event_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(event_);
    event_ = nullptr;
  }
  if (event_ == nullptr) return;
  if (!RegisterWaitForSingleObject(&wait_, event_, &CloseRequest::Signalled, this, INFINITE,
                                   WT_EXECUTEONLYONCE)) {
    wait_ = nullptr;
  }
}

CloseRequest::~CloseRequest() {
  // INVALID_HANDLE_VALUE: returns once a callback that runs has finished.
  if (wait_ != nullptr) UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
  if (event_ != nullptr) CloseHandle(event_);
}

void CALLBACK CloseRequest::Signalled(void* self, BOOLEAN) {
  // On a pool thread: posting is all it may do; the program's own thread
  // handles the close as any WM_CLOSE from outside.
  PostMessageW(static_cast<CloseRequest*>(self)->window_, WM_CLOSE, 0, 0);
}

}  // namespace qx::win
