// The installer as a user runs it: a silent install into a fresh folder, the
// program started from there, a silent uninstall that ends it and keeps the
// user's files, and one with /REMOVEALL that keeps nothing.
// Arguments: the installer's file name (beside this program) and "standin"
// (built from stand-ins for the program, the control and the hook library)
// or "real".

#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/InstanceName.h"
#include "settings/Settings.h"

namespace {

std::wstring gInstaller;  // set once by main from the command line
bool gStandIns = true;

constexpr wchar_t kControlClsid[] = L"{3342792E-986A-4874-905F-32AD4011099F}";
constexpr wchar_t kMenuExt[] = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quellix";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Beside(const std::wstring& name) {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[2048] = {};
  DWORD bytes = sizeof buffer;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

DWORD ReadNumber(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0xFFFFFFFF;
  DWORD bytes = sizeof value;
  RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &bytes);
  return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

void WriteText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void Touch(const std::wstring& path) {
  std::ofstream(path.c_str()) << "x";
}

// Runs a program and answers its exit code (or -1 when it does not start).
// An uninstaller copies itself away, starts the copy and ends at once: with
// `children`, the programs it started are waited for too, and their exit
// code is the answer.
long RunProgram(const std::wstring& program, const std::wstring& arguments, bool children = false) {
  constexpr DWORD kWaitMs = 120000;
  std::wstring line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  WaitForSingleObject(info.hProcess, kWaitMs);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (!children || code != 0) return static_cast<long>(code);
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != info.dwProcessId) continue;
    const HANDLE child =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (child == nullptr) continue;  // already ended
    WaitForSingleObject(child, kWaitMs);
    DWORD childCode = 0;
    GetExitCodeProcess(child, &childCode);
    CloseHandle(child);
    if (childCode != 0) code = childCode;
  }
  CloseHandle(snapshot);
  return static_cast<long>(code);
}

bool ProgramRuns() {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, std::wstring(qx::kInstanceMutexName).c_str());
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}

template <typename Condition>
bool WaitFor(Condition done, int tenths = 300) {
  for (int i = 0; i < tenths; ++i) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

std::vector<std::string> Lines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str());
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

class Installer : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qx-install-" + std::to_wstring(GetCurrentProcessId());
    // Wine reuses process ids: a folder left by an earlier, failed run.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
    wchar_t programs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs);
    startMenu_ = std::wstring(programs) + L"\\Quellix";
    control_ = gStandIns ? L"Omnihook.dll" : L"";
  }

  void TearDown() override {
    // Whatever a failed run left behind.
    if (Exists(folder_ + L"\\Uninstall.exe")) {
      RunProgram(folder_ + L"\\Uninstall.exe", L"/S /REMOVEALL _?=" + folder_);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix-Test");
  }

  void Install() {
    // The browser's entry for the helper, as an earlier run may have left it.
    RegDeleteKeyW(
        HKEY_LOCAL_MACHINE,
        (std::wstring(qx::kBrowserHelperKeyBase) + std::wstring(qx::kBrowserHelperClsid)).c_str());
    ASSERT_TRUE(Exists(gInstaller))
        << "no installer " << std::string(gInstaller.begin(), gInstaller.end());
    ASSERT_EQ(RunProgram(gInstaller, L"/S /D=" + folder_), 0);
  }

  // The uninstaller copies itself away and runs from there, and removes its
  // own registration and file.
  void Uninstall(const std::wstring& switches) {
    ASSERT_EQ(RunProgram(folder_ + L"\\Uninstall.exe", switches, true), 0);
    EXPECT_FALSE(Exists(folder_ + L"\\Uninstall.exe"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  }

  std::wstring folder_, startMenu_, control_;
};

// The file is gone, or the system will delete it at the next restart.
bool GoneOrPending(const std::wstring& path) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
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

TEST_F(Installer, InstallsStartsAndUninstallsKeepingTheUsersFiles) {
  Install();
  for (const wchar_t* file :
       {L"Quellix.exe", L"catchwire.dll", L"QuellixHelper.dll", L"quellix-rules.exe",
        L"quellix.chm", L"sounds\\cork.wav", L"Uninstall.exe"}) {
    EXPECT_TRUE(Exists(folder_ + L"\\" + file)) << std::string(file, file + wcslen(file));
  }
  // The COM classes of the helper and the control.
  const std::wstring helperKey = L"CLSID\\" + std::wstring(qx::kBrowserHelperClsid);
  EXPECT_TRUE(SameText(ReadText(HKEY_CLASSES_ROOT, helperKey + L"\\InprocServer32", nullptr),
                       folder_ + L"\\QuellixHelper.dll"));
  std::wstring controlPath;
  if (gStandIns) {
    controlPath =
        ReadText(HKEY_CURRENT_USER, L"Software\\Quellix-Test\\Registered", L"Omnihook.dll");
    EXPECT_TRUE(SameText(controlPath, folder_ + L"\\Omnihook.dll"));
  } else {
    controlPath = ReadText(HKEY_CLASSES_ROOT,
                           L"CLSID\\" + std::wstring(kControlClsid) + L"\\InprocServer32", nullptr);
    EXPECT_EQ(controlPath.rfind(folder_ + L"\\", 0), 0u);
    EXPECT_TRUE(Exists(controlPath));
  }
  // The browser's right-click entries run the scripts under their active names.
  const std::wstring allow = std::wstring(kMenuExt) + L"Allow/Disallow Site's Pop-ups";
  const std::wstring kill = std::wstring(kMenuExt) + L"Always Kill This Pop-up";
  EXPECT_TRUE(
      SameText(ReadText(HKEY_CURRENT_USER, allow, nullptr), folder_ + L"\\trustsite.script"));
  EXPECT_TRUE(
      SameText(ReadText(HKEY_CURRENT_USER, kill, nullptr), folder_ + L"\\blocksite.script"));
  EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, allow, L"Contexts"), 0x21u);
  EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kill, L"Contexts"), 0x21u);
  EXPECT_TRUE(Exists(startMenu_ + L"\\Quellix.lnk"));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Quellix");
  EXPECT_NE(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").find(folder_),
            std::wstring::npos);
  // Registering is not enabling: the browser's list of helpers is the program's.
  const std::wstring helperEntry =
      std::wstring(qx::kBrowserHelperKeyBase) + std::wstring(qx::kBrowserHelperClsid);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, helperEntry));

  // The program starts from the installed folder.
  ASSERT_FALSE(ProgramRuns());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const std::wstring program = folder_ + L"\\Quellix.exe";
  std::wstring line = L"\"" + program + L"\"";
  ASSERT_TRUE(CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder_.c_str(), &startup, &info));
  CloseHandle(info.hThread);
  EXPECT_TRUE(WaitFor([] { return ProgramRuns(); }));

  // What the program and the user leave in the folder, and the start-up
  // entries the program writes at exit.
  for (const wchar_t* file :
       {L"blocksite.script2", L"trustsite.script", L"b0123456789.html", L"t0123456789.html",
        L"websites.dat", L"windows.dat", L"log.dat", L"log.htm", L"ErrorLog.txt"}) {
    Touch(folder_ + L"\\" + file);
  }
  WriteText(HKEY_LOCAL_MACHINE, kRunKey, L"Quellix", folder_ + L"\\Quellix.exe auto");
  HKEY entry = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, helperEntry.c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &entry, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(entry);

  Uninstall(L"/S");
  // The running program was asked to close, not killed, and the uninstaller
  // waited for it to end before it removed the program's file.
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
  CloseHandle(info.hProcess);
  EXPECT_FALSE(ProgramRuns());
  if (gStandIns) {
    EXPECT_EQ(Lines(folder_ + L"\\started.txt"), (std::vector<std::string>{"", "closed"}));
    DeleteFileW((folder_ + L"\\started.txt").c_str());
  }
  for (const wchar_t* file :
       {L"Quellix.exe", L"quellix-rules.exe", L"quellix.chm", L"sounds", L"blocksite.script2",
        L"trustsite.script", L"b0123456789.html", L"t0123456789.html"}) {
    EXPECT_FALSE(Exists(folder_ + L"\\" + file)) << std::string(file, file + wcslen(file));
  }
  // Libraries that other programs may still hold go now or at the restart.
  for (const wchar_t* file : {L"catchwire.dll", L"QuellixHelper.dll"}) {
    EXPECT_TRUE(GoneOrPending(folder_ + L"\\" + file)) << std::string(file, file + wcslen(file));
  }
  EXPECT_FALSE(Exists(controlPath));
  for (const wchar_t* file :
       {L"websites.dat", L"windows.dat", L"log.dat", L"log.htm", L"ErrorLog.txt"}) {
    EXPECT_TRUE(Exists(folder_ + L"\\" + file)) << std::string(file, file + wcslen(file));
  }
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, helperKey));
  if (gStandIns) {
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, L"Software\\Quellix-Test\\Registered", L"Omnihook.dll"),
              L"<missing>");
  } else {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(kControlClsid)));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, allow));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kill));
  EXPECT_FALSE(Exists(startMenu_));
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRunKey, L"Quellix"), L"<missing>");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, helperEntry));

  // Installing again over the kept files, then removing everything.
  Install();
  WriteText(HKEY_CURRENT_USER, L"Software\\Quellix\\Options", L"PlayASound", L"True");
  Uninstall(L"/S /REMOVEALL");
  std::string left;
  if (Exists(folder_)) {
    for (const auto& item : std::filesystem::directory_iterator(folder_)) {
      left += item.path().filename().string() + " ";
    }
  }
  EXPECT_TRUE(GoneOrPending(folder_)) << "left: " << left;
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Quellix"));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: installer_tests INSTALLER standin|real\n");
    return 2;
  }
  const std::string name = argv[1];
  gInstaller = Beside(std::wstring(name.begin(), name.end()));
  gStandIns = std::string(argv[2]) == "standin";
  return RUN_ALL_TESTS();
}
