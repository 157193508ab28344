// The descriptor the program gives COM, so that the browser's Protected Mode
// tabs (low integrity, this user) may call its event sinks and nobody else
// may: its SACL's mandatory label is low with no-execute-up.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first.
#include <sddl.h>

#include "win32/program/ComSecurity.h"

namespace qx::win {
namespace {

TEST(ComSecurityTest, LowIntegrityCallersOfThisUserAndTheSystemOnly) {
  const std::wstring sid = L"S-1-5-21-1-2-3-1001";
  EXPECT_EQ(ComAccessSddl(sid, false),
            L"O:S-1-5-21-1-2-3-1001G:S-1-5-21-1-2-3-1001D:(A;;0x3;;;S-1-5-21-1-2-3-1001)"
            L"(A;;0x3;;;SY)");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      ComAccessSddl(sid, true).c_str(), SDDL_REVISION_1, &descriptor, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL sacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorSacl(descriptor, &present, &sacl, &defaulted));
  ASSERT_TRUE(present && sacl != nullptr);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(sacl, 0, &ace));
  const auto* label = static_cast<const SYSTEM_MANDATORY_LABEL_ACE*>(ace);
  EXPECT_EQ(label->Header.AceType, SYSTEM_MANDATORY_LABEL_ACE_TYPE);
  EXPECT_EQ(label->Mask, static_cast<ACCESS_MASK>(SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP));
  const PSID level = const_cast<DWORD*>(&label->SidStart);
  EXPECT_EQ(*GetSidSubAuthority(level, 0), static_cast<DWORD>(SECURITY_MANDATORY_LOW_RID));
  LocalFree(descriptor);
}

}  // namespace
}  // namespace qx::win
