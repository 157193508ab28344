#pragma once
// A fresh folder to install into, the installer under test, and what it
// writes, for the installer's tests.

#include <gtest/gtest.h>

#include <string>

#include "win32/installer/tests/SetupTools.h"

namespace qx::setup::test {

inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quellix";

class InstallerFixture : public ::testing::Test {
 public:
  // The test program's arguments: the installer's file name (beside it) and
  // "standin" (built from stand-ins for the program, the control and the
  // hook library) or "real", and "with-x86" when the installer also carries
  // the 32-bit set (the single installer, here in its 64-bit form).
  static int Main(int argc, char** argv);

 protected:
  void SetUp() override;
  void TearDown() override;

  static const std::wstring& InstallerFile();
  static bool StandIns();
  static bool WithX86Set();
  // Silently, into folder_.
  void Install() const;
  // The uninstaller copies itself away and runs from there, and removes its
  // own registration and file.
  void Uninstall(const std::wstring& switches) const;

  std::wstring StartMenu() const;
  static std::wstring HelperEntry();
  static std::wstring ElevationKey();
  static std::wstring AllowEntry();
  static std::wstring KillEntry();
  // The browser helper's class in one registry view: its server's path.
  static std::wstring HelperClass(REGSAM view);
  static bool SetHelperClass(REGSAM view, const std::wstring& server);
  static void DropHelperClass(REGSAM view);

  std::wstring folder_;
};

}  // namespace qx::setup::test
