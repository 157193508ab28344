// The installer as a user runs it: a silent install into a fresh folder, the
// program started from there, a silent uninstall that ends it and keeps the
// user's files, and one with /REMOVEALL that keeps nothing.
// Arguments: the installer's file name (beside this program) and "standin"
// (built from stand-ins for the program, the control and the hook library)
// or "real", and "with-x86" when it carries the 32-bit set too.

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "win32/installer/tests/InstallerFixture.h"

namespace qx::setup::test {
namespace {

constexpr wchar_t kControlClsid[] = L"{3342792E-986A-4874-905F-32AD4011099F}";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

// The file is gone, or the system will delete it at the next restart.
bool GoneOrPending(const std::wstring& path) {
  if (!Exists(path)) return true;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD bytes = 0;
  std::wstring list;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &bytes) ==
      ERROR_SUCCESS) {
    list.resize(bytes / sizeof(wchar_t) + 1);
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(list.data()), &bytes);
  }
  RegCloseKey(key);
  // Pairs of names, each ended by a NUL; an empty second name deletes.
  std::vector<std::wstring> names;
  for (size_t start = 0; start < list.size();) {
    const size_t end = list.find(L'\0', start);
    names.push_back(list.substr(start, end - start));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  for (size_t i = 0; i + 1 < names.size(); i += 2) {
    std::wstring from = names[i];
    if (from.rfind(L"\\??\\", 0) == 0) from = from.substr(4);
    if (SameText(from, path) && names[i + 1].empty()) return true;
  }
  return false;
}

// The machine field of a program file's PE header; 0 when unreadable.
WORD Machine(const std::wstring& path) {
  const std::string bytes = ReadAll(path);
  if (bytes.size() < 0x40) return 0;
  const auto at = [&](size_t offset, size_t size) {
    unsigned value = 0;
    for (size_t i = 0; i < size && offset + i < bytes.size(); ++i)
      value |= static_cast<unsigned>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
  };
  const size_t pe = at(0x3C, 4);
  return pe + 6 <= bytes.size() ? static_cast<WORD>(at(pe + 4, 2)) : 0;
}

std::string Narrow(const wchar_t* text) {
  return std::string(text, text + wcslen(text));
}

class Installer : public InstallerFixture {
 protected:
  std::wstring ControlPath() const {
    if (StandIns()) {
      return ReadText(HKEY_CURRENT_USER, L"Software\\Quellix-Test\\Registered", L"Omnihook.dll");
    }
    return ReadText(HKEY_CLASSES_ROOT,
                    L"CLSID\\" + std::wstring(kControlClsid) + L"\\InprocServer32", nullptr);
  }

  // On 64-bit Windows the 64-bit set, and for 32-bit programs the 32-bit
  // hook library and host, and the 32-bit helper in the 32-bit view, where
  // 32-bit Internet Explorer reads the classes.
  void ExpectX86Beside() const {
    for (const wchar_t* file : {L"catchwire32.dll", L"QuellixHook32.exe", L"QuellixHelper32.dll"})
      EXPECT_TRUE(Exists(folder_ + L"\\" + file)) << Narrow(file);
    EXPECT_EQ(Machine(folder_ + L"\\QuellixHook32.exe"), IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(Machine(folder_ + L"\\catchwire32.dll"), IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(Machine(folder_ + L"\\QuellixHelper32.dll"), IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(Machine(folder_ + L"\\Quellix.exe"), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(Machine(folder_ + L"\\catchwire.dll"), IMAGE_FILE_MACHINE_AMD64);
    EXPECT_TRUE(SameText(HelperClass(KEY_WOW64_32KEY), folder_ + L"\\QuellixHelper32.dll"));
    EXPECT_TRUE(SameText(HelperClass(KEY_WOW64_64KEY), folder_ + L"\\QuellixHelper.dll"));
  }

  // What the elevated installer writes for everyone, in both registry views.
  void ExpectMachineEntries() const {
    for (const REGSAM view : kViews) {
      EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, HelperEntry(), view)) << "view " << view;
      EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, ElevationKey(), L"AppName", view), L"Quellix.exe");
      EXPECT_TRUE(
          SameText(ReadText(HKEY_LOCAL_MACHINE, ElevationKey(), L"AppPath", view), folder_));
      EXPECT_EQ(ReadNumber(HKEY_LOCAL_MACHINE, ElevationKey(), L"Policy", view), 3u);
    }
  }
};

TEST_F(Installer, InstallsStartsAndUninstallsKeepingTheUsersFiles) {
  Install();
  for (const wchar_t* file :
       {L"Quellix.exe", L"catchwire.dll", L"QuellixHelper.dll", L"quellix-rules.exe",
        L"quellix.chm", L"sounds\\cork.wav", L"Uninstall.exe"}) {
    EXPECT_TRUE(Exists(folder_ + L"\\" + file)) << Narrow(file);
  }
  const std::wstring helperKey = L"CLSID\\" + std::wstring(kBrowserHelperClsid);
  EXPECT_TRUE(SameText(ReadText(HKEY_CLASSES_ROOT, helperKey + L"\\InprocServer32", nullptr),
                       folder_ + L"\\QuellixHelper.dll"));
  const std::wstring controlPath = ControlPath();
  EXPECT_EQ(controlPath.rfind(folder_ + L"\\", 0), 0u);
  EXPECT_TRUE(Exists(controlPath));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Quellix");
  EXPECT_NE(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").find(folder_),
            std::wstring::npos);
  EXPECT_TRUE(Exists(StartMenu() + L"\\Quellix.lnk"));
  ExpectMachineEntries();
  if (WithX86Set()) ExpectX86Beside();
  // Elevated, HKEY_CURRENT_USER may be another user's: the installer writes
  // nothing there, the program points the right-click entries at its
  // scripts itself.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AllowEntry()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, KillEntry()));

  Started run(folder_ + L"\\Quellix.exe", L"");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(WaitFor([] { return ProgramRuns(); }));
  if (!StandIns()) {
    EXPECT_TRUE(WaitFor([&] {
      return SameText(ReadText(HKEY_CURRENT_USER, AllowEntry(), nullptr),
                      folder_ + L"\\trustsite.script");
    })) << "the program writes its entries";
  }
  // What the program and the user leave behind, in the program's folder (a
  // writable one, or an older version's) and in the user's data folder.
  CreateDirectoryW(UserDataFolder().c_str(), nullptr);
  for (const std::wstring& folder : {folder_, UserDataFolder()}) {
    for (const wchar_t* file :
         {L"blocksite.script2", L"trustsite.script", L"b0123456789.html", L"t0123456789.html",
          L"websites.dat", L"windows.dat", L"log.dat", L"log.htm", L"ErrorLog.txt"}) {
      Touch(folder + L"\\" + file);
    }
  }
  WriteText(HKEY_LOCAL_MACHINE, kRunKey, L"Quellix", folder_ + L"\\Quellix.exe auto");
  WriteText(HKEY_CURRENT_USER, kRunKey, L"Quellix", folder_ + L"\\Quellix.exe auto");

  Uninstall(L"/S");
  // The running program was asked to close, not killed, and the uninstaller
  // waited for it to end before it removed the program's file.
  ASSERT_TRUE(run.Ended(0));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_FALSE(ProgramRuns());
  if (StandIns()) {
    EXPECT_EQ(ReadAll(folder_ + L"\\started.txt"), "\nclosed\n");
    DeleteFileW((folder_ + L"\\started.txt").c_str());
  }
  for (const wchar_t* file : {L"Quellix.exe", L"quellix-rules.exe", L"quellix.chm", L"sounds"})
    EXPECT_FALSE(Exists(folder_ + L"\\" + file)) << Narrow(file);
  for (const std::wstring& folder : {folder_, UserDataFolder()}) {
    for (const wchar_t* file :
         {L"blocksite.script2", L"trustsite.script", L"b0123456789.html", L"t0123456789.html"})
      EXPECT_FALSE(Exists(folder + L"\\" + file)) << Narrow(file);
    for (const wchar_t* file :
         {L"websites.dat", L"windows.dat", L"log.dat", L"log.htm", L"ErrorLog.txt"})
      EXPECT_TRUE(Exists(folder + L"\\" + file)) << Narrow(file) << " is the user's";
  }
  // Libraries that other programs may still hold go now or at the restart.
  for (const wchar_t* file : {L"catchwire.dll", L"QuellixHelper.dll", L"catchwire32.dll",
                              L"QuellixHelper32.dll", L"QuellixHook32.exe"})
    EXPECT_TRUE(GoneOrPending(folder_ + L"\\" + file)) << Narrow(file);
  EXPECT_EQ(HelperClass(KEY_WOW64_32KEY), L"<missing>");
  EXPECT_FALSE(Exists(controlPath));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, helperKey));
  EXPECT_EQ(ControlPath(), L"<missing>");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AllowEntry()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, KillEntry()));
  EXPECT_FALSE(Exists(StartMenu()));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRunKey, L"Quellix"), L"<missing>");
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kRunKey, L"Quellix"), L"<missing>");
  for (const REGSAM view : kViews) {
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, HelperEntry(), view)) << "view " << view;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ElevationKey(), view)) << "view " << view;
  }

  // Installing again over the kept files, then removing everything.
  Install();
  WriteText(HKEY_CURRENT_USER, L"Software\\Quellix\\Options", L"PlayASound", L"True");
  Uninstall(L"/S /REMOVEALL");
  std::string left;
  if (Exists(folder_)) {
    for (const auto& item : std::filesystem::directory_iterator(folder_))
      left += item.path().filename().string() + " ";
  }
  EXPECT_TRUE(GoneOrPending(folder_)) << "left: " << left;
  EXPECT_FALSE(Exists(UserDataFolder())) << "the user's data folder goes with its files";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Quellix"));
}

// Installed side by side, the other bitness's helper class lives in the
// other registry view: its entry for the browser stays there.
TEST_F(Installer, TheOtherBitnesssHelperKeepsItsBrowserEntry) {
  const REGSAM own = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
  const REGSAM other = own == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  Install();
  ASSERT_TRUE(SetHelperClass(other, L"C:\\Other\\QuellixHelper.dll"));
  if (SameText(HelperClass(own), L"C:\\Other\\QuellixHelper.dll")) {
    DropHelperClass(other);
    GTEST_SKIP() << "this system keeps one registry view of the classes";
  }
  Uninstall(L"/S /REMOVEALL");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, HelperEntry(), other)) << "still used there";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, HelperEntry(), own));
  for (const REGSAM view : kViews)
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ElevationKey(), view));
  DropHelperClass(other);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, HelperEntry().c_str(), other, 0);
}

}  // namespace
}  // namespace qx::setup::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return qx::setup::test::InstallerFixture::Main(argc, argv);
}
