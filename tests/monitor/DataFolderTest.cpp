#include "monitor/DataFolder.h"

#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx {
namespace {

constexpr std::wstring_view kProgram = L"C:\\Program Files\\Quellix";
constexpr std::wstring_view kUser = L"C:\\Users\\User\\AppData\\Roaming\\Quellix";
constexpr std::wstring_view kStore =
    L"C:\\Users\\User\\AppData\\Local\\VirtualStore\\Program Files\\Quellix";

class DataFolderTest : public ::testing::Test {
 protected:
  DataFolderTest() { d.SetVersion(OsVersionInfo{6, 1, 7601, 2, L"Service Pack 1"}); }
  void Put(std::wstring_view folder, std::wstring_view name, std::string_view bytes) {
    d.files().Put(JoinPath(folder, name), bytes);
  }
  std::string Read(std::wstring_view folder, std::wstring_view name) {
    const std::wstring path = JoinPath(folder, name);
    return d.files().Exists(path) ? d.files().ReadAll(path) : "(missing)";
  }
  sim::SimDesktop d;
};

TEST_F(DataFolderTest, WhoseFolderAndWhatIsTakenOver) {
  struct Case {
    const char* what;
    bool standard;
    bool userFolderBefore;
    std::wstring_view chosen;
    std::string websites;  // websites.dat in the chosen folder afterwards
  };
  const Case cases[] = {
      {"an administrator keeps the program's folder", false, false, kProgram, "program"},
      {"a standard user gets a folder of their own, the virtualized copy first", true, false, kUser,
       "store"},
      {"a user's folder once made stays the place, and nothing is copied again", false, true, kUser,
       "user"},
      {"also for a standard user", true, true, kUser, "user"},
  };
  for (const auto& c : cases) {
    sim::SimDesktop fresh;
    fresh.SetVersion(OsVersionInfo{6, 1, 7601, 2, L"Service Pack 1"});
    auto put = [&](std::wstring_view folder, std::wstring_view name, std::string_view bytes) {
      fresh.files().Put(JoinPath(folder, name), bytes);
    };
    put(kProgram, L"websites.dat", "program");
    put(kProgram, L"windows.dat", "windows");
    put(kStore, L"websites.dat", "store");
    if (c.userFolderBefore) put(kUser, L"websites.dat", "user");
    fresh.SetStandardUser(c.standard);

    EXPECT_EQ(ChooseDataFolder(fresh.files()), c.chosen) << c.what;
    const std::wstring chosen(c.chosen);
    EXPECT_EQ(fresh.files().ReadAll(JoinPath(chosen, L"websites.dat")), c.websites) << c.what;
    // The earlier files stay where they were.
    EXPECT_EQ(fresh.files().ReadAll(JoinPath(kProgram, L"websites.dat")), "program") << c.what;
    EXPECT_EQ(fresh.files().Exists(JoinPath(kUser, L"windows.dat")),
              c.standard && !c.userFolderBefore)
        << c.what;
  }
}

TEST_F(DataFolderTest, EveryFileOfAnEarlierRunIsCopiedAndOnlyThoseThatExist) {
  for (const std::wstring_view name : kTakenOverFiles)
    Put(kProgram, name, "old " + ToUtf8(name));
  Put(kProgram, L"blocksite.script", "points at the old folder");
  d.files().Remove(JoinPath(kProgram, L"servers.lst"));
  d.SetStandardUser(true);
  ASSERT_EQ(ChooseDataFolder(d.files()), kUser);
  for (const std::wstring_view name : kTakenOverFiles) {
    EXPECT_EQ(Read(kUser, name), name == L"servers.lst" ? "(missing)" : "old " + ToUtf8(name))
        << ToUtf8(name);
  }
  // The scripts name their folder inside: they are written afresh instead.
  EXPECT_EQ(Read(kUser, L"blocksite.script"), "(missing)");
}

TEST_F(DataFolderTest, AFileDeletedInTheUsersFolderIsNotBroughtBack) {
  Put(kProgram, L"log.dat", "old log");
  d.SetStandardUser(true);
  ASSERT_EQ(ChooseDataFolder(d.files()), kUser);
  d.files().Remove(JoinPath(kUser, L"log.dat"));  // "Delete Previous Logs"
  ASSERT_EQ(ChooseDataFolder(d.files()), kUser);
  EXPECT_EQ(Read(kUser, L"log.dat"), "(missing)");
}

TEST_F(DataFolderTest, FailuresFallBackToTheProgramsFolder) {
  for (const char* call : {"Files.AppDataFolder", "Files.CreateFolder"}) {
    sim::SimDesktop fresh;
    fresh.SetStandardUser(true);
    fresh.failures().FailAlways(call);
    EXPECT_EQ(ChooseDataFolder(fresh.files()), kProgram) << call;
  }
  // A folder whose writability cannot be told is taken for writable, as
  // before this choice existed.
  sim::SimDesktop unsure;
  unsure.failures().FailAlways("Files.CanCreateFilesIn");
  EXPECT_EQ(ChooseDataFolder(unsure.files()), kProgram);
}

TEST_F(DataFolderTest, OlderSystemsKeepTheirProfilesElsewhere) {
  d.SetVersion(OsVersionInfo{5, 1, 2600, 2, L"Service Pack 3"});
  d.SetStandardUser(true);
  EXPECT_EQ(ChooseDataFolder(d.files()),
            L"C:\\Documents and Settings\\User\\Application Data\\Quellix");
}

TEST(VirtualStoreFolder, IsTheLocalFolderFollowedByThePathWithoutItsDrive) {
  EXPECT_EQ(VirtualStoreFolder(L"C:\\Users\\U\\AppData\\Local", L"C:\\Program Files (x86)\\Q"),
            L"C:\\Users\\U\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Q");
  EXPECT_EQ(VirtualStoreFolder(L"", L"C:\\Program Files\\Q"), L"");
  EXPECT_EQ(VirtualStoreFolder(L"C:\\L", L"\\\\server\\share\\Q"), L"");
}

}  // namespace
}  // namespace qx
