// The installer's and the uninstaller's wizards, driven as a user would:
// the finish page's "Start Quellix now", and the uninstaller closing every
// running copy and saying which it had to end by force.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32/installer/tests/InstallerFixture.h"
#include "win32/program/CloseRequest.h"

namespace qx::setup::test {
namespace {

using Wizards = InstallerFixture;

DWORD ParentOf(DWORD process) {
  for (const ProcessInfo& p : Processes()) {
    if (p.id == process) return p.parent;
  }
  return 0;
}

std::wstring NameOf(DWORD process) {
  for (const ProcessInfo& p : Processes()) {
    if (p.id == process) return p.name;
  }
  return L"";
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string Joined(const std::vector<std::wstring>& lines) {
  std::string text;
  for (const std::wstring& line : lines)
    text += std::string(line.begin(), line.end()) + " | ";
  return text;
}

// The installer runs elevated; a program it started itself would run
// elevated too. Wine knows no elevation, so what stands for it here is the
// road taken: the desktop's shell (Explorer) is the program's parent, not
// the installer. That the shell's process runs with the user's own,
// unelevated token is Windows' part.
TEST_F(Wizards, StartQuellixNowHasTheDesktopsShellStartTheProgram) {
  Started setup(InstallerFile(), L"/D=" + folder_);
  ASSERT_TRUE(setup.Ok());
  Wizard wizard(L"Quellix Setup");
  ASSERT_TRUE(wizard.Appeared());
  HWND start = nullptr;
  ASSERT_TRUE(wizard.NextUntil([&] {
    return (start = DescendantWithText(wizard.Window(), L"Start Quellix now")) != nullptr;
  })) << "the finish page";
  EXPECT_EQ(SendMessageW(start, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(ProgramRuns()) << "nothing before the finish";
  wizard.Press(IDOK);
  ASSERT_TRUE(setup.Ended());
  EXPECT_EQ(setup.ExitCode(), 0u);

  std::vector<DWORD> copies;
  ASSERT_TRUE(WaitFor([&] { return !(copies = ProcessesOf(folder_ + L"\\Quellix.exe")).empty(); }))
      << "the program runs";
  ASSERT_EQ(copies.size(), 1u);
  const DWORD parent = ParentOf(copies[0]);
  EXPECT_NE(parent, setup.Id());
  EXPECT_TRUE(SameText(NameOf(parent), L"explorer.exe"))
      << "started by " << std::string(NameOf(parent).begin(), NameOf(parent).end());
  EXPECT_TRUE(WaitFor([] { return ProgramRuns(); }));
  Uninstall(L"/S");
}

// The installed program in this session, and stand-ins for copies in other
// sessions (which FindWindow cannot see): one that answers the close event,
// one that answers nothing.
TEST_F(Wizards, TheUninstallerClosesEveryCopyAndNamesTheOnesItEndedByForce) {
  Install();
  Started program(folder_ + L"\\Quellix.exe", L"");
  ASSERT_TRUE(program.Ok());
  // Running, and past its start (the real one has made its log and rule
  // files). The rule file goes, so that only an orderly end can make it again.
  ASSERT_TRUE(WaitFor([&] {
    return ProgramRuns() && (StandIns() || (Exists(folder_ + L"\\errorlog.txt") &&
                                            Exists(folder_ + L"\\windows.dat")));
  }));
  DeleteFileW((folder_ + L"\\windows.dat").c_str());
  const std::wstring other = folder_ + L"-elsewhere";
  RemoveFolder(other);
  CreateDirectoryW(other.c_str(), nullptr);
  ASSERT_TRUE(
      CopyFileW(BuiltFile(QX_STANDIN_FILE).c_str(), (other + L"\\Quellix.exe").c_str(), FALSE));
  Started elsewhere(other + L"\\Quellix.exe", L"elsewhere");
  Started stubborn(other + L"\\Quellix.exe", L"stubborn");
  ASSERT_TRUE(WaitFor([&] {
    const HANDLE event =
        OpenEventW(SYNCHRONIZE, FALSE, win::CloseEventName(elsewhere.Id()).c_str());
    if (event != nullptr) CloseHandle(event);
    return event != nullptr &&
           ReadAll(other + L"\\started.txt").find("stubborn") != std::string::npos;
  }));
  EXPECT_FALSE(Exists(folder_ + L"\\windows.dat")) << "made again only at the program's end";

  Started uninstall(folder_ + L"\\Uninstall.exe", L"");
  Wizard wizard(L"Quellix Uninstall");
  ASSERT_TRUE(wizard.Appeared());
  ASSERT_TRUE(wizard.NextUntil([&] { return wizard.OnProgressPage(); })) << "the progress page";
  const std::vector<std::wstring> details = wizard.Details();
  EXPECT_TRUE(Contains(details, L"Quellix was running 3 time(s): asked to close"))
      << Joined(details);
  EXPECT_TRUE(Contains(details, L"Quellix did not close when asked: ended 1 by force"))
      << Joined(details);
  wizard.Press(IDOK);
  EXPECT_TRUE(WaitFor([&] { return wizard.Closed(); }));

  ASSERT_TRUE(program.Ended(0));
  EXPECT_EQ(program.ExitCode(), 0u);
  if (StandIns()) {
    EXPECT_EQ(ReadAll(folder_ + L"\\started.txt"), "\nclosed\n");
  } else {
    EXPECT_TRUE(Exists(folder_ + L"\\windows.dat")) << "its orderly end wrote its rules";
  }
  ASSERT_TRUE(elsewhere.Ended(0));
  EXPECT_EQ(elsewhere.ExitCode(), 0u);
  const std::string records = ReadAll(other + L"\\started.txt");
  EXPECT_NE(records.find("closed"), std::string::npos) << "through its event: " << records;
  ASSERT_TRUE(stubborn.Ended(0));
  EXPECT_EQ(stubborn.ExitCode(), 1u) << "ended by force";
  RemoveFolder(other);
}

}  // namespace
}  // namespace qx::setup::test
