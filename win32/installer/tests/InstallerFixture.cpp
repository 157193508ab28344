#include "win32/installer/tests/InstallerFixture.h"

#include <shlobj.h>

#include <cstdio>

#include "monitor/MenuScripts.h"
#include "settings/Settings.h"

namespace qx::setup::test {
namespace {

struct Arguments {
  std::wstring installer;
  bool standIns = true;
  bool withX86 = false;
};

Arguments& TheArguments() {
  static Arguments arguments;
  return arguments;
}

}  // namespace

int InstallerFixture::Main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s INSTALLER standin|real [with-x86]\n", argv[0]);
    return 2;
  }
  const std::string name = argv[1];
  TheArguments().installer = Beside(std::wstring(name.begin(), name.end()));
  TheArguments().standIns = std::string(argv[2]) == "standin";
  TheArguments().withX86 = argc > 3 && std::string(argv[3]) == "with-x86";
  return RUN_ALL_TESTS();
}

const std::wstring& InstallerFixture::InstallerFile() {
  return TheArguments().installer;
}

bool InstallerFixture::StandIns() {
  return TheArguments().standIns;
}

bool InstallerFixture::WithX86Set() {
  return TheArguments().withX86;
}

void InstallerFixture::SetUp() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  // A folder of each test's own: what one leaves behind (a library Wine
  // still holds) does not reach the next.
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  folder_ = std::wstring(temp) + L"qx-" + std::wstring(test.begin(), test.end()) + L"-" +
            std::to_wstring(GetCurrentProcessId());
  // Wine reuses process ids: a folder left by an earlier, failed run.
  RemoveFolder(folder_);
  // The user's data folder, once it exists, is where the program keeps its
  // files; the right-click entries are the program's to write.
  RemoveFolder(UserDataFolder());
  RegDeleteTreeW(HKEY_CURRENT_USER, AllowEntry().c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, KillEntry().c_str());
}

void InstallerFixture::TearDown() {
  // Whatever a failed run left behind.
  if (Exists(folder_ + L"\\Uninstall.exe"))
    RunProgram(folder_ + L"\\Uninstall.exe", L"/S /REMOVEALL _?=" + folder_);
  RemoveFolder(folder_);
  RemoveFolder(UserDataFolder());
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix-Test");
}

void InstallerFixture::Install() const {
  ASSERT_TRUE(Exists(InstallerFile()))
      << "no installer " << std::string(InstallerFile().begin(), InstallerFile().end());
  ASSERT_EQ(RunProgram(InstallerFile(), L"/S /D=" + folder_), 0);
}

void InstallerFixture::Uninstall(const std::wstring& switches) const {
  ASSERT_EQ(RunProgram(folder_ + L"\\Uninstall.exe", switches, true), 0);
  EXPECT_FALSE(Exists(folder_ + L"\\Uninstall.exe"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

std::wstring InstallerFixture::StartMenu() const {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs);
  return std::wstring(programs) + L"\\Quellix";
}

std::wstring InstallerFixture::HelperEntry() {
  return std::wstring(kBrowserHelperKeyBase) + std::wstring(kBrowserHelperClsid);
}

std::wstring InstallerFixture::ElevationKey() {
  // The installer's own fixed identifiers, one per bitness.
  const wchar_t* guid = sizeof(void*) == 8 ? L"{96AF828D-8FB8-4719-8EA0-CD6B4F74EAE5}"
                                           : L"{4783E8BE-1D27-4977-ACE9-E9EDE13A5682}";
  return std::wstring(L"Software\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\") +
         guid;
}

std::wstring InstallerFixture::AllowEntry() {
  return std::wstring(kMenuExtKey) + L"\\" + std::wstring(kAllowMenuEntry);
}

std::wstring InstallerFixture::KillEntry() {
  return std::wstring(kMenuExtKey) + L"\\" + std::wstring(kKillMenuEntry);
}

namespace {

std::wstring HelperClassKey() {
  return L"Software\\Classes\\CLSID\\" + std::wstring(kBrowserHelperClsid);
}

}  // namespace

std::wstring InstallerFixture::HelperClass(REGSAM view) {
  return ReadText(HKEY_LOCAL_MACHINE, HelperClassKey() + L"\\InprocServer32", nullptr, view);
}

bool InstallerFixture::SetHelperClass(REGSAM view, const std::wstring& server) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (HelperClassKey() + L"\\InprocServer32").c_str(), 0,
                      nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                     static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void InstallerFixture::DropHelperClass(REGSAM view) {
  HKEY classes = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | view,
                    &classes) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteTreeW(classes, std::wstring(kBrowserHelperClsid).c_str());
  RegCloseKey(classes);
}

}  // namespace qx::setup::test
