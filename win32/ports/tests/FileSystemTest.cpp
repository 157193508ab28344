// Files against the system's file system, in a scratch folder.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>

#include "win32/ports/WinFileSystem.h"

namespace qx::win {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"qxfs" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
  }
  int FilesInFolder() {
    const std::filesystem::directory_iterator files{std::filesystem::path(folder_)};
    return static_cast<int>(std::distance(begin(files), end(files)));
  }
  std::wstring Path(const wchar_t* name) { return folder_ + L"\\" + name; }

  std::wstring folder_;
};

int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const PlatformError& e) {
    return e.Number();
  }
  return 0;
}

TEST_F(FileSystemTest, WriteAllReplacesTheWholeFileAndLeavesNoTemporaryFile) {
  WinFileSystem files(folder_);
  const std::string bytes("websites\0\x01\xFF\r\n", 13);
  files.WriteAll(Path(L"websites.dat"), bytes);
  EXPECT_EQ(files.ReadAll(Path(L"websites.dat")), bytes);
  EXPECT_EQ(files.Size(Path(L"WEBSITES.DAT")), 13) << "names ignore case";
  files.WriteAll(Path(L"websites.dat"), "ab");
  EXPECT_EQ(files.ReadAll(Path(L"websites.dat")), "ab");
  files.WriteAll(Path(L"websites.dat"), "");
  EXPECT_EQ(files.Size(Path(L"websites.dat")), 0);
  EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(FileSystemTest, AFailedWriteLeavesTheOldFile) {
  WinFileSystem files(folder_);
  files.WriteAll(Path(L"log.dat"), "old");
  // Another program holds the file open without letting it be replaced.
  HANDLE held = CreateFileW(Path(L"log.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(files.WriteAll(Path(L"log.dat"), "new and longer"), PlatformError);
  CloseHandle(held);
  EXPECT_EQ(files.ReadAll(Path(L"log.dat")), "old");
  EXPECT_EQ(FilesInFolder(), 1) << "the temporary file is gone";
}

TEST_F(FileSystemTest, FailuresCarryTheRunTimeNumbers) {
  WinFileSystem files(folder_);
  const std::wstring missingFolder = folder_ + L"\\nowhere\\x.dat";
  struct Case {
    const char* what;
    std::function<void()> call;
    int number;
  } cases[] = {
      {"write into a missing folder", [&] { files.WriteAll(missingFolder, "x"); }, 76},
      {"read a missing file", [&] { files.ReadAll(Path(L"none.dat")); }, 53},
      {"size of a missing file", [&] { files.Size(Path(L"none.dat")); }, 53},
      {"remove a missing file", [&] { files.Remove(Path(L"none.dat")); }, 53},
      {"rename a missing file", [&] { files.Rename(Path(L"none"), Path(L"other")); }, 53},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorNumber(c.call), c.number) << c.what;
  EXPECT_FALSE(files.Exists(missingFolder));
  EXPECT_EQ(GetFileAttributesW((folder_ + L"\\nowhere").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemTest, RenameRefusesAnExistingTargetAndAppendCreates) {
  WinFileSystem files(folder_);
  files.Append(Path(L"blocksite.script"), "one,");
  files.Append(Path(L"blocksite.script"), "two");
  EXPECT_EQ(files.ReadAll(Path(L"blocksite.script")), "one,two");
  files.WriteAll(Path(L"blocksite.script2"), "inactive");
  EXPECT_EQ(
      ErrorNumber([&] { files.Rename(Path(L"blocksite.script"), Path(L"blocksite.script2")); }),
      58);
  EXPECT_EQ(files.ReadAll(Path(L"blocksite.script2")), "inactive");
  files.Remove(Path(L"blocksite.script2"));
  files.Rename(Path(L"blocksite.script"), Path(L"blocksite.script2"));
  EXPECT_FALSE(files.Exists(Path(L"blocksite.script")));
  EXPECT_EQ(files.ReadAll(Path(L"blocksite.script2")), "one,two");
  EXPECT_FALSE(files.Exists(folder_)) << "a folder is not a file";
}

TEST(ProgramFolderTest, IsTheFolderOfTheRunningProgramWithoutBackslash) {
  WinFileSystem files;
  const std::wstring folder = files.ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  EXPECT_TRUE(files.Exists(folder + L"\\win32_ports_tests.exe"));
  EXPECT_EQ(WinFileSystem(L"C:\\Q\\").ProgramFolder(), L"C:\\Q");
}

}  // namespace
}  // namespace qx::win
