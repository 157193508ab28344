// The resident program inside the test's own process, with the fake hook
// control: the hooks the options call for at start, and their removal when
// the program closes.

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ole2.h>

#include <gtest/gtest.h>

#include <thread>

#include "win32/program/ResidentProgram.h"
#include "win32/program/tests/FakeControl.h"

namespace qx::win {
namespace {

class ResidentProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qxresident" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quellix");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((folder_ + L"\\" + data.cFileName).c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder_.c_str());
    OleUninitialize();
  }
  std::wstring folder_;
};

// Closes the program's main form once it is there, as another program would.
std::thread CloseWhenLoaded() {
  return std::thread([] {
    for (int i = 0; i < 600; ++i) {
      HWND main = FindWindowW(L"QuellixMain", L"Quellix");
      if (main != nullptr && FindWindowW(L"QuellixTrayPicture", nullptr) != nullptr) {
        // The start routine ends before its first message: this one is
        // handled by the loop.
        PostMessageW(main, WM_CLOSE, 0, 0);
        return;
      }
      Sleep(50);
    }
  });
}

TEST_F(ResidentProgramTest, HooksComeUpAtStartAndGoAtTheEnd) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quellix\\Options", 0, nullptr, 0, KEY_SET_VALUE,
                  nullptr, &key, nullptr);
  const wchar_t yes[] = L"True";
  RegSetValueExW(key, L"CompatibleWDBK", 0, REG_SZ, reinterpret_cast<const BYTE*>(yes), sizeof yes);
  RegCloseKey(key);

  test::FakeControl fake;
  {
    ResidentProgram program(GetModuleHandleW(nullptr), test::Handing(fake), folder_);
    std::thread closer = CloseWhenLoaded();
    EXPECT_EQ(program.Run(L"auto"), 0);
    closer.join();
  }
  // No window rules: the message hook goes; dialogs are treated as pop-ups
  // with the compatibility flag; the mouse hook always; all of it undone at
  // the end.
  std::vector<DISPID> ids;
  for (const auto& call : fake.calls)
    ids.push_back(call.id);
  const std::vector<DISPID> expected = {kDispInitialize, kDispRemoveMsgHook, kDispInstallCBTHook,
                                        kDispInstallMouseHook, kDispUninitialize};
  EXPECT_EQ(ids, expected);
  ASSERT_EQ(fake.calls.size(), expected.size());
  EXPECT_EQ(fake.calls[2].flag, VARIANT_TRUE);
  EXPECT_EQ(fake.sink, nullptr) << "unadvised at the end";
  EXPECT_EQ(fake.refs, 1u) << "the control was released";
  EXPECT_NE(GetFileAttributesW((folder_ + L"\\blocksite.script2").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FindWindowW(L"QuellixMain", nullptr), nullptr) << "the form's windows are gone";
}

TEST_F(ResidentProgramTest, WithoutAControlTheProgramRunsAndEndsInOrder) {
  {
    ResidentProgram program(
        GetModuleHandleW(nullptr),
        [](IUnknown** out) {
          *out = nullptr;
          return REGDB_E_CLASSNOTREG;
        },
        folder_);
    std::thread closer = CloseWhenLoaded();
    EXPECT_EQ(program.Run(L""), 0);
    closer.join();
  }
  EXPECT_NE(GetFileAttributesW((folder_ + L"\\windows.dat").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((folder_ + L"\\trustsite.script2").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qx::win
