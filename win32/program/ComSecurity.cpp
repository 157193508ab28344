#include "win32/program/ComSecurity.h"

#include <windows.h>
// windows.h first: the others need its types.
#include <objbase.h>
#include <sddl.h>

#include <vector>

namespace qx::win {
namespace {

// The SID of the user the process runs as, as text; "" when it cannot be read.
std::wstring ProcessUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::wstring text;
  if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    LPWSTR sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      text = sid;
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return text;
}

}  // namespace

std::wstring ComAccessSddl(std::wstring_view userSid, bool withIntegrityLabel) {
  const std::wstring sid(userSid);
  // 0x3: COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL.
  std::wstring sddl = L"O:" + sid + L"G:" + sid + L"D:(A;;0x3;;;" + sid + L")(A;;0x3;;;SY)";
  if (withIntegrityLabel) sddl += L"S:(ML;;NX;;;LW)";
  return sddl;
}

long AllowCallsFromTheBrowsersTabs() {
  const std::wstring sid = ProcessUserSid();
  if (sid.empty()) return E_FAIL;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  // Systems before Vista know no mandatory labels: there the descriptor goes
  // without one.
  for (const bool label : {true, false}) {
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
            ComAccessSddl(sid, label).c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
      break;
    }
  }
  if (descriptor == nullptr) return E_FAIL;
  // CoInitializeSecurity wants the absolute form.
  DWORD sizes[5] = {};
  MakeAbsoluteSD(descriptor, nullptr, &sizes[0], nullptr, &sizes[1], nullptr, &sizes[2], nullptr,
                 &sizes[3], nullptr, &sizes[4]);
  std::vector<BYTE> absolute(sizes[0]), dacl(sizes[1]), sacl(sizes[2]), owner(sizes[3]),
      group(sizes[4]);
  HRESULT hr = E_FAIL;
  if (MakeAbsoluteSD(descriptor, absolute.data(), &sizes[0], reinterpret_cast<PACL>(dacl.data()),
                     &sizes[1], reinterpret_cast<PACL>(sacl.data()), &sizes[2], owner.data(),
                     &sizes[3], group.data(), &sizes[4])) {
    hr = CoInitializeSecurity(absolute.data(), -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                              RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
  }
  LocalFree(descriptor);
  return hr;
}

}  // namespace qx::win
