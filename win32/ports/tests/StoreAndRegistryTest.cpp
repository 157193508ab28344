// The settings store and the registry against the system's registry, in a
// scratch key of their own.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <string>

#include "win32/ports/WinRegistry.h"
#include "win32/ports/WinSettingsStore.h"

namespace qx::win {
namespace {

class ScratchKey : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = L"Software\\QuellixTest" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str()); }

  // Writes a raw value the way another program or a hand edit might.
  void Raw(const std::wstring& section, const wchar_t* name, DWORD type, const void* data,
           DWORD bytes) {
    HKEY key = nullptr;
    const std::wstring path = root_ + L"\\Quellix\\" + section;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::wstring root_;
};

using SettingsStoreTest = ScratchKey;

TEST_F(SettingsStoreTest, ValuesRoundTripPerSectionAndAreTextInTheRegistry) {
  WinSettingsStore store(root_);
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"KeepLog"), std::nullopt) << "missing key";
  store.Put(L"Quellix", L"Options", L"KeepLog", L"False");
  store.Put(L"Quellix", L"Data", L"URLPrefix", L"0123456789");
  store.Put(L"Quellix", L"Options", L"AdminPassword", L"");
  store.Put(L"Quellix", L"Options", L"SoundFileName", L"C:\\Programme\\Qu\u00e9llix\\cork.wav");
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"KeepLog"), L"False");
  EXPECT_EQ(store.Get(L"quellix", L"OPTIONS", L"keeplog"), L"False") << "names ignore case";
  EXPECT_EQ(store.Get(L"Quellix", L"Data", L"URLPrefix"), L"0123456789");
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"URLPrefix"), std::nullopt) << "other section";
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"AdminPassword"), L"") << "empty is not missing";
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"SoundFileName"),
            L"C:\\Programme\\Qu\u00e9llix\\cork.wav");

  // What another reader of the registry sees: REG_SZ with its NUL.
  wchar_t data[32] = {};
  DWORD bytes = sizeof data;
  DWORD type = 0;
  const std::wstring path = root_ + L"\\Quellix\\Options";
  ASSERT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"KeepLog", RRF_RT_ANY, &type, data, &bytes),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, 6u * sizeof(wchar_t));
  EXPECT_STREQ(data, L"False");

  store.Delete(L"Quellix", L"Options", L"KeepLog");
  EXPECT_EQ(store.Get(L"Quellix", L"Options", L"KeepLog"), std::nullopt);
  EXPECT_NO_THROW(store.Delete(L"Quellix", L"Options", L"KeepLog")) << "value already gone";
  EXPECT_NO_THROW(store.Delete(L"Quellix", L"Nowhere", L"KeepLog")) << "section missing";
}

TEST_F(SettingsStoreTest, JunkValuesReadAsTheirTextOrAsMissing) {
  const wchar_t noNul[] = {L'T', L'r', L'u', L'e'};
  Raw(L"Options", L"NoNul", REG_SZ, noNul, sizeof noNul);
  const wchar_t afterNul[] = L"5\0junk";
  Raw(L"Options", L"AfterNul", REG_SZ, afterNul, sizeof afterNul);
  const char odd[] = {'7', 0, '7'};
  Raw(L"Options", L"OddBytes", REG_SZ, odd, sizeof odd);
  const DWORD number = 20;
  Raw(L"Options", L"Number", REG_DWORD, &number, sizeof number);
  const DWORD negative = 0xFFFFFFFF;
  Raw(L"Options", L"Negative", REG_DWORD, &negative, sizeof negative);
  const BYTE binary[] = {1, 2, 3};
  Raw(L"Options", L"Binary", REG_BINARY, binary, sizeof binary);
  Raw(L"Options", L"EmptySz", REG_SZ, nullptr, 0);

  WinSettingsStore store(root_);
  struct Case {
    const wchar_t* name;
    std::optional<std::wstring> expected;
  } cases[] = {
      {L"NoNul", L"True"},  {L"AfterNul", L"5"},       {L"OddBytes", L"7"}, {L"Number", L"20"},
      {L"Negative", L"-1"}, {L"Binary", std::nullopt}, {L"EmptySz", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << static_cast<int>(c.name[0]));
    EXPECT_EQ(store.Get(L"Quellix", L"Options", c.name), c.expected);
  }
}

TEST_F(SettingsStoreTest, NamesThatWouldReachOtherKeysAreRefused) {
  WinSettingsStore store(root_);
  EXPECT_THROW(store.Put(L"Quellix", L"..\\Other", L"X", L"1"), PlatformError);
  EXPECT_THROW(store.Put(L"", L"Options", L"X", L"1"), PlatformError);
  EXPECT_THROW(store.Get(L"Quellix", L"", L"X"), PlatformError);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Other").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
}

using RegistryTest = ScratchKey;

TEST_F(RegistryTest, CallsAnswerTheSystemsResultCodes) {
  WinRegistry reg;
  const std::wstring path = root_ + L"\\Run";
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, path).code, kRegFileNotFound);
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, path).key, 0u);
  EXPECT_EQ(reg.CloseKey(0), kRegInvalidHandle);
  EXPECT_EQ(reg.SetValue(0, L"x", RegValue{}), kRegInvalidHandle);

  const RegOpen created = reg.CreateKey(RegRoot::CurrentUser, path + L"\\Deep\\Er");
  ASSERT_EQ(created.code, kRegSuccess);
  ASSERT_NE(created.key, 0u);
  EXPECT_EQ(reg.CloseKey(created.key), kRegSuccess);

  const RegOpen key = reg.OpenKey(RegRoot::CurrentUser, path);
  ASSERT_EQ(key.code, kRegSuccess);
  RegValue text{RegType::String, 0, std::wstring(L"C:\\Q\\Quellix.exe auto") + L'\0'};
  EXPECT_EQ(reg.SetValue(key.key, L"Quellix", text), kRegSuccess);
  EXPECT_EQ(reg.SetValue(key.key, L"Count", RegValue{RegType::Dword, 123, L""}), kRegSuccess);

  RegValue out;
  EXPECT_EQ(reg.QueryValue(key.key, L"Quellix", out), kRegSuccess);
  EXPECT_EQ(out.type, RegType::String);
  EXPECT_EQ(out.text, text.text) << "the NUL the writer put there comes back";
  EXPECT_EQ(reg.QueryValue(key.key, L"Count", out), kRegSuccess);
  EXPECT_EQ(out.type, RegType::Dword);
  EXPECT_EQ(out.dword, 123u);
  EXPECT_EQ(reg.QueryValue(key.key, L"Missing", out), kRegFileNotFound);

  EXPECT_EQ(reg.DeleteValue(key.key, L"Quellix"), kRegSuccess);
  EXPECT_EQ(reg.DeleteValue(key.key, L"Quellix"), kRegFileNotFound);
  EXPECT_EQ(reg.CloseKey(key.key), kRegSuccess);

  EXPECT_NE(reg.DeleteKey(RegRoot::CurrentUser, path), kRegSuccess) << "it has a subkey";
  EXPECT_EQ(reg.DeleteKey(RegRoot::CurrentUser, path + L"\\Deep\\Er"), kRegSuccess);
  EXPECT_EQ(reg.DeleteKey(RegRoot::CurrentUser, path + L"\\Deep\\Er"), kRegFileNotFound);
  EXPECT_EQ(reg.DeleteKey(RegRoot::CurrentUser, L""), kRegAccessDenied) << "never the root";
  EXPECT_EQ(reg.OpenKey(RegRoot::CurrentUser, path + L"\\Deep").code, kRegSuccess);
}

}  // namespace
}  // namespace qx::win
