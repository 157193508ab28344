// The browser helper as the browser uses it: registered in the Wine prefix,
// created by class identifier, given a site. The program it starts is a
// stand-in copied beside the helper as "Quellix.exe".

#include <windows.h>

#include <gtest/gtest.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/InstanceName.h"
#include "settings/Settings.h"
#include "win32/bho/HelperLaunch.h"
#include "win32/installer/tests/SetupTools.h"
#include "win32/ports/WinSettingsStore.h"

using Microsoft::WRL::ComPtr;

namespace qx::win {
namespace {

TEST(HelperHost, TheShellIsKnownByItsFileName) {
  const struct {
    const wchar_t* path;
    bool shell;
  } cases[] = {
      {L"C:\\WINDOWS\\explorer.exe", true},
      {L"C:\\Windows\\EXPLORER.EXE", true},
      {L"explorer.exe", true},
      {L"C:\\Program Files\\Internet Explorer\\iexplore.exe", false},
      {L"C:\\Tools\\myexplorer.exe", false},
      {L"C:\\explorer.exe\\iexplore.exe", false},
      {L"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsShellHost(c.path), c.shell) << c.path;
}

TEST(HelperPath, TheProgramIsBesideTheModule) {
  EXPECT_EQ(ProgramBeside(L"C:\\Program Files\\Quellix\\QuellixHelper.dll"),
            L"C:\\Program Files\\Quellix\\Quellix.exe");
  EXPECT_EQ(ProgramBeside(L"D:\\x\\y\\h.dll"), L"D:\\x\\y\\Quellix.exe");
}

// The stored start mode in every form the program may meet it: only what
// the program itself reads as 2 starts it with the browser.
TEST(HelperStartMode, OnlyAStoredTwoStartsTheProgram) {
  const wchar_t* root = L"Software\\Quellix-Test";
  const std::wstring options = std::wstring(root) + L"\\Quellix\\Options";
  struct Stored {
    DWORD type;
    std::vector<BYTE> data;
  };
  const auto text = [](const std::wstring& t) {
    const auto* p = reinterpret_cast<const BYTE*>(t.c_str());
    return Stored{REG_SZ, std::vector<BYTE>(p, p + (t.size() + 1) * sizeof(wchar_t))};
  };
  const auto number = [](DWORD n) {
    const auto* p = reinterpret_cast<const BYTE*>(&n);
    return Stored{REG_DWORD, std::vector<BYTE>(p, p + sizeof n)};
  };
  const struct {
    Stored stored;
    bool starts;
    const char* what;
  } cases[] = {
      {text(L"2"), true, "the dialog's text"},
      {text(L" 2 "), true, "blanks around it"},
      {text(L"2.4"), true, "a fraction rounds"},
      {number(2), true, "a number value"},
      {text(L"0"), false, "never"},
      {text(L"1"), false, "at log-on"},
      {text(L"2.6"), false, "rounds to 3"},
      {text(L"two"), false, "not a number: mode 0"},
      {text(L""), false, "empty"},
      {number(1), false, "a number value of 1"},
      {Stored{REG_BINARY, {2, 0, 0, 0}}, false, "another type reads as missing"},
  };
  win::WinSettingsStore store(root);
  for (const auto& c : cases) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, options.c_str(), L"StartMode", c.stored.type,
                              c.stored.data.data(), static_cast<DWORD>(c.stored.data.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(StartsWithBrowser(store), c.starts) << c.what;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, root);
  EXPECT_FALSE(StartsWithBrowser(store)) << "nothing stored";
}

// A site that only counts its references.
class FakeSite final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!IsEqualIID(riid, IID_IUnknown)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};

using setup::test::Beside;
using setup::test::KeyExists;
using setup::test::ReadText;
using setup::test::SameText;

class HelperServer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qx-helper-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    dll_ = folder_ + L"\\QuellixHelper.dll";
    program_ = folder_ + L"\\Quellix.exe";
    CopyFileW(Beside(L"QuellixHelper.dll").c_str(), dll_.c_str(), FALSE);
    go_ = CreateEventW(nullptr, TRUE, FALSE, L"Local\\QuellixStandIn.Go");
    exit_ = CreateEventW(nullptr, TRUE, FALSE, L"Local\\QuellixStandIn.Exit");
  }

  static void TearDownTestSuite() {
    CoFreeUnusedLibrariesEx(0, 0);
    CloseHandle(go_);
    CloseHandle(exit_);
    setup::test::RemoveFolder(folder_);
    CoUninitialize();
  }

  void SetUp() override {
    ASSERT_TRUE(CopyFileW(Beside(L"quellix_standin.exe").c_str(), program_.c_str(), FALSE));
    DeleteFileW((folder_ + L"\\started.txt").c_str());
    ResetEvent(go_);
    ResetEvent(exit_);
    // The browser's entry for the helper, as an earlier run may have left it.
    RegDeleteKeyW(
        HKEY_LOCAL_MACHINE,
        (std::wstring(kBrowserHelperKeyBase) + std::wstring(kBrowserHelperClsid)).c_str());
    module_ = LoadLibraryW(dll_.c_str());
    ASSERT_NE(module_, nullptr);
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    // This user chose "whenever Internet Explorer runs"; what was stored
    // before comes back afterwards.
    savedMode_ = ReadText(HKEY_CURRENT_USER, kOptionsKey, L"StartMode");
    SetStartMode(L"2");
  }

  static void SetStartMode(const std::wstring& mode) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKey, L"StartMode", REG_SZ, mode.c_str(),
                    static_cast<DWORD>((mode.size() + 1) * sizeof(wchar_t)));
  }

  void TearDown() override {
    SetEvent(go_);
    SetEvent(exit_);
    for (int i = 0; i < 100 && !StandIns().empty(); ++i)
      Sleep(100);
    for (DWORD pid : StandIns()) {
      if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        TerminateProcess(p, 1);
        CloseHandle(p);
      }
    }
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    FreeLibrary(module_);
    if (savedMode_ == L"<missing>") {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, L"StartMode");
    } else {
      SetStartMode(savedMode_);
    }
  }

  HRESULT Call(const char* name) {
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    return fn == nullptr ? E_NOTIMPL : fn();
  }

  static CLSID HelperClsid() {
    CLSID clsid{};
    CLSIDFromString(std::wstring(kBrowserHelperClsid).c_str(), &clsid);
    return clsid;
  }

  static HRESULT Create(ComPtr<IObjectWithSite>& helper) {
    return CoCreateInstance(HelperClsid(), nullptr, CLSCTX_INPROC_SERVER,
                            IID_PPV_ARGS(helper.ReleaseAndGetAddressOf()));
  }

  // The processes running our stand-in "Quellix.exe".
  static std::vector<DWORD> StandIns() { return setup::test::ProcessesOf(program_); }

  // The command lines the stand-in recorded, once it has written `expected`.
  static std::vector<std::string> Records(std::size_t expected) {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
      lines.clear();
      std::ifstream in(std::filesystem::path(folder_ + L"\\started.txt"));
      for (std::string line; std::getline(in, line);)
        lines.push_back(line);
      if (lines.size() >= expected) break;
      Sleep(100);
    }
    return lines;
  }

  static constexpr const wchar_t* kOptionsKey = L"Software\\Quellix\\Options";
  static inline std::wstring folder_, dll_, program_;
  std::wstring savedMode_;
  static inline HANDLE go_ = nullptr, exit_ = nullptr;
  HMODULE module_ = nullptr;
};

TEST_F(HelperServer, RegistersOnlyItsComClassAndUnregistersIt) {
  const std::wstring classKey = L"CLSID\\" + std::wstring(kBrowserHelperClsid);
  EXPECT_TRUE(SameText(ReadText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr), dll_))
      << ReadText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr);
  EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel"),
            L"Apartment");
  // The browser's list of helpers is the installer's to write.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                         std::wstring(kBrowserHelperKeyBase) + std::wstring(kBrowserHelperClsid)));

  ComPtr<IObjectWithSite> helper;
  ASSERT_EQ(Create(helper), S_OK);
  helper.Reset();
  ASSERT_EQ(Call("DllUnregisterServer"), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  EXPECT_EQ(Create(helper), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(Call("DllRegisterServer"), S_OK);  // for TearDown's unregistering
}

TEST_F(HelperServer, FirstSiteStartsTheProgramWithAutoOnlyOnce) {
  FakeSite site;
  ComPtr<IObjectWithSite> first, second, third;
  ASSERT_EQ(Create(first), S_OK);
  ComPtr<IUnknown> got;
  EXPECT_EQ(first->GetSite(IID_PPV_ARGS(&got)), E_FAIL);
  EXPECT_EQ(got, nullptr);

  ASSERT_EQ(first->SetSite(&site), S_OK);
  EXPECT_EQ(StandIns().size(), 1u);
  // A second window before the program holds its mutex: the start is pending.
  ASSERT_EQ(Create(second), S_OK);
  ASSERT_EQ(second->SetSite(&site), S_OK);
  EXPECT_EQ(StandIns().size(), 1u);

  SetEvent(go_);
  for (int i = 0; i < 100 && !ProgramRuns(); ++i)
    Sleep(100);
  ASSERT_TRUE(ProgramRuns());
  ASSERT_EQ(Create(third), S_OK);
  ASSERT_EQ(third->SetSite(&site), S_OK);
  EXPECT_EQ(StandIns().size(), 1u);
  EXPECT_EQ(Records(1), std::vector<std::string>{"auto"});

  ASSERT_EQ(first->GetSite(IID_PPV_ARGS(&got)), S_OK);
  EXPECT_EQ(got.Get(), static_cast<IUnknown*>(&site));
  got.Reset();
  // Each helper lets go of its site when the browser window goes.
  for (IObjectWithSite* helper : {first.Get(), second.Get(), third.Get()}) {
    EXPECT_EQ(helper->SetSite(nullptr), S_OK);
  }
  EXPECT_EQ(site.references, 1u);
  EXPECT_EQ(first->GetSite(IID_PPV_ARGS(&got)), E_FAIL);
}

// The program runs already, this user starts it otherwise, or it is missing:
// the helper starts nothing and leaves the browser alone.
TEST_F(HelperServer, StartsNothingWhenItNeedNotOrCannot) {
  const auto expectNothingStarted = [&](const char* why) {
    FakeSite site;
    ComPtr<IObjectWithSite> helper;
    ASSERT_EQ(Create(helper), S_OK) << why;
    EXPECT_EQ(helper->SetSite(&site), S_OK) << why;
    EXPECT_TRUE(StandIns().empty()) << why;
    EXPECT_FALSE(setup::test::Exists(folder_ + L"\\started.txt")) << why;
    EXPECT_EQ(helper->SetSite(nullptr), S_OK) << why;
    EXPECT_EQ(site.references, 1u) << why;
  };
  HANDLE running = CreateMutexW(nullptr, FALSE, std::wstring(kInstanceMutexName).c_str());
  ASSERT_NE(running, nullptr);
  expectNothingStarted("the program runs");
  CloseHandle(running);
  for (const wchar_t* mode : {L"0", L"1"}) {
    SetStartMode(mode);
    expectNothingStarted(mode[0] == L'0' ? "never started" : "started at log-on");
  }
  SetStartMode(L"2");
  ASSERT_TRUE(DeleteFileW(program_.c_str()));
  expectNothingStarted("no program beside the helper");
}

}  // namespace
}  // namespace qx::win
