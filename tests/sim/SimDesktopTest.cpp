// The simulated desktop must behave as Windows does where the program
// depends on it; these tests pin that behaviour down.
#include <gtest/gtest.h>

#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"

namespace qx::sim {
namespace {

class SimDesktopTest : public ::testing::Test {
 protected:
  std::wstring File(const wchar_t* name) { return desktop.files().ProgramFile(name); }
  SimDesktop desktop;
};

TEST_F(SimDesktopTest, FileNamesCompareWithoutRegardToCase) {
  auto& files = desktop.files();
  files.WriteAll(File(L"WebSites.DAT"), "abc");
  EXPECT_TRUE(files.Exists(L"c:\\program files\\quellix\\websites.dat"));
  EXPECT_EQ(files.ReadAll(File(L"WEBSITES.dat")), "abc");
  files.WriteAll(File(L"websites.dat"), "xy");  // the same file, replaced
  EXPECT_EQ(files.Size(File(L"WebSites.DAT")), 2);
}

TEST_F(SimDesktopTest, RenameRefusesAnExistingTargetAndAMissingSource) {
  auto& files = desktop.files();
  files.WriteAll(File(L"blocksite.script2"), "old");
  files.WriteAll(File(L"blocksite.script"), "new");
  EXPECT_THROW(files.Rename(File(L"blocksite.script2"), File(L"blocksite.script")), PlatformError);
  EXPECT_THROW(files.Rename(File(L"missing"), File(L"other")), PlatformError);
  files.Remove(File(L"blocksite.script"));
  files.Rename(File(L"blocksite.script2"), File(L"blocksite.script"));
  EXPECT_FALSE(files.Exists(File(L"blocksite.script2")));
  EXPECT_EQ(files.ReadAll(File(L"blocksite.script")), "old");
}

TEST_F(SimDesktopTest, AFailedWriteLeavesTheOldFileWhole) {
  auto& files = desktop.files();
  files.WriteAll(File(L"windows.dat"), "the old rules");
  files.SetSpaceLeft(4);
  EXPECT_THROW(files.WriteAll(File(L"windows.dat"), "new rules that do not fit"), PlatformError);
  EXPECT_EQ(files.ReadAll(File(L"windows.dat")), "the old rules");
  EXPECT_THROW(files.Append(File(L"windows.dat"), "more than four"), PlatformError);
  EXPECT_EQ(files.ReadAll(File(L"windows.dat")), "the old rules");
}

TEST_F(SimDesktopTest, RegistryRefusesToDeleteKeysWithSubkeysAndWritesWithoutRights) {
  auto& reg = desktop.registry();
  reg.CloseKey(reg.CreateKey(RegRoot::LocalMachine, L"Software\\A\\B").key);
  EXPECT_EQ(reg.DeleteKey(RegRoot::LocalMachine, L"Software\\A"), kRegAccessDenied);
  EXPECT_EQ(reg.DeleteKey(RegRoot::LocalMachine, L"Software\\A\\B"), kRegSuccess);
  EXPECT_EQ(reg.DeleteKey(RegRoot::LocalMachine, L"Software\\A\\B"), kRegFileNotFound);

  reg.SetReadOnly(RegRoot::LocalMachine, true);
  EXPECT_EQ(reg.CreateKey(RegRoot::LocalMachine, L"Software\\New").code, kRegAccessDenied);
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, L"Software\\New"));
  EXPECT_EQ(reg.DeleteKey(RegRoot::LocalMachine, L"Software\\A"), kRegAccessDenied);
}

TEST_F(SimDesktopTest, ParentAnswersTheOwnerOfATopLevelWindow) {
  auto& w = desktop.windows();
  const ProcessId p = desktop.ProgramProcess();
  const Hwnd frame = w.CreateWindow(p, L"Frame", L"F");
  const Hwnd child = w.CreateWindow(p, L"", L"Button", frame);
  const Hwnd owned = w.CreateWindow(p, L"Dialog", L"D", 0, 0, frame);
  EXPECT_EQ(w.Parent(child), frame);
  EXPECT_EQ(w.Parent(owned), frame);
  EXPECT_EQ(w.Parent(frame), 0u);
  w.DestroyWindow(frame);
  EXPECT_FALSE(w.IsOpen(child));  // children go with their parent
  EXPECT_FALSE(w.IsOpen(owned));  // and owned windows with their owner, as DestroyWindow does
}

TEST_F(SimDesktopTest, RegistryKeysAndValuesIgnoreCase) {
  auto& reg = desktop.registry();
  const RegOpen created = reg.CreateKey(RegRoot::LocalMachine, L"Software\\A\\B");
  ASSERT_EQ(created.code, kRegSuccess);
  RegValue v;
  v.type = RegType::Dword;
  v.dword = 7;
  EXPECT_EQ(reg.SetValue(created.key, L"Count", v), kRegSuccess);
  reg.CloseKey(created.key);
  const RegOpen opened = reg.OpenKey(RegRoot::LocalMachine, L"SOFTWARE\\a\\b");
  ASSERT_EQ(opened.code, kRegSuccess);
  RegValue out;
  EXPECT_EQ(reg.QueryValue(opened.key, L"COUNT", out), kRegSuccess);
  EXPECT_EQ(out.dword, 7u);
  reg.CloseKey(opened.key);
}

TEST_F(SimDesktopTest, WindowTextLeavesRoomForTheNulAsTheSystemCallDoes) {
  const Hwnd h = desktop.windows().CreateWindow(desktop.ProgramProcess(), L"abcdef", L"Cls");
  EXPECT_EQ(desktop.windows().WindowText(h, 4), L"abc");
  EXPECT_EQ(desktop.windows().WindowText(h, 0), L"");
  EXPECT_EQ(desktop.windows().WindowText(h, 100), L"abcdef");
}

TEST(FailureInjector, RulesMatchCallsPortsOrEverything) {
  FailureInjector f;
  f.FailNext("Desktop", 2);
  EXPECT_FALSE(f.ShouldFail("DesktopX.WindowText"));
  EXPECT_TRUE(f.ShouldFail("Desktop.WindowText"));
  EXPECT_TRUE(f.ShouldFail("Desktop.Parent"));
  EXPECT_FALSE(f.ShouldFail("Desktop.Parent"));
  f.FailAlways("Files.WriteAll");
  EXPECT_TRUE(f.ShouldFail("Files.WriteAll"));
  EXPECT_TRUE(f.ShouldFail("Files.WriteAll"));
  EXPECT_FALSE(f.ShouldFail("Files.WriteAllX"));
  f.Clear();
  EXPECT_FALSE(f.ShouldFail("Files.WriteAll"));
  f.FailAlways("*");
  EXPECT_THROW(f.Check("Anything.AtAll"), PlatformError);
  EXPECT_EQ(f.InjectedCount(), 5u);
}

}  // namespace
}  // namespace qx::sim
