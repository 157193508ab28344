// The installed program where its folder is read-only, as Program Files is
// for a user: its rules and context-menu scripts live in the user's data
// folder and survive a restart. The installer installs first and the
// folder is made read-only from the outside (readonly-folder.sh); this
// program then starts the installed Quellix.exe and works its dialogs.
// Arguments: "run FOLDER" (the checks) or "gone FOLDER" (after the
// uninstall: nothing of the user's data folder is left).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "monitor/MenuScripts.h"
#include "win32/dialogs/DialogIds.h"
#include "win32/installer/tests/SetupTools.h"

namespace qx::setup::test {
namespace {

constexpr wchar_t kHost[] = L"readonly.example.test";

struct Folders {
  std::wstring install;
};

Folders& TheFolders() {
  static Folders folders;
  return folders;
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

std::wstring Setting(const wchar_t* section, const wchar_t* name) {
  return ReadText(HKEY_CURRENT_USER, std::wstring(L"Software\\Quellix\\") + section, name);
}

// The installed program, started by the test, judged by what it shows and
// writes; ended in order through its main window.
class Program {
 public:
  Program() : run_(TheFolders().install + L"\\Quellix.exe", L"") {}
  bool Resident() const {
    return run_.Ok() && WaitFor([&] {
             return Main() != nullptr && Exists(UserDataFolder() + L"\\errorlog.txt");
           }) &&
           Answers();
  }
  bool Answers() const {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(Main(), WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &answer) != 0;
  }
  HWND Main() const { return TopWindow(run_.Id(), L"QuellixMain"); }
  HWND Dialog(const wchar_t* caption) const { return TopWindow(run_.Id(), L"#32770", caption); }
  // The tray menu's "Allowed/Disallowed List...": the settings on the tab
  // of the website rules.
  HWND OpenRuleList() const {
    const HWND tray = TopWindow(run_.Id(), L"QuellixTrayPicture");
    PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONDOWN);
    PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = TopWindow(run_.Id(), L"#32768")) != nullptr; })) return {};
    // The heading, "Disable", "Options...", "Recently blocked", the second
    // heading, the list.
    for (int i = 0; i < 6; ++i)
      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    Sleep(200);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND settings = nullptr;
    WaitFor([&] { return (settings = Dialog(L"Quellix Settings")) != nullptr; });
    return settings;
  }
  // The shown panel's list of website rules.
  static HWND RuleList(HWND settings) {
    return Descendant(
        settings, [](HWND w) { return GetDlgCtrlID(w) == QX_ID_WS_LIST && IsWindowVisible(w); });
  }
  bool Close() const {
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    return run_.Ended() && run_.ExitCode() == 0;
  }

 private:
  Started run_;
};

class ReadOnlyFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = TheFolders().install;
    data_ = UserDataFolder();
    // Where an earlier run kept its files; the entries the program writes.
    RemoveFolder(data_);
    RegDeleteTreeW(HKEY_CURRENT_USER, MenuEntry(kAllowMenuEntry).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, MenuEntry(kKillMenuEntry).c_str());
    const std::wstring probe = folder_ + L"\\probe.tmp";
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ASSERT_EQ(file, INVALID_HANDLE_VALUE) << "the install folder is writable";
  }
  static std::wstring MenuEntry(std::wstring_view name) {
    return std::wstring(kMenuExtKey) + L"\\" + std::wstring(name);
  }
  void ExpectScriptsAndEntries() const {
    const std::wstring prefix = Setting(L"Data", L"URLPrefix");
    ASSERT_EQ(prefix.size(), 10u);
    for (const wchar_t* name : {L"blocksite.script", L"trustsite.script"}) {
      EXPECT_TRUE(Exists(data_ + L"\\" + name)) << Narrow(name);
      EXPECT_FALSE(Exists(folder_ + L"\\" + name)) << Narrow(name);
    }
    for (const wchar_t letter : {L'b', L't'})
      EXPECT_TRUE(Exists(data_ + L"\\" + letter + prefix + L".html"));
    const std::string script = ReadAll(data_ + L"\\blocksite.script");
    EXPECT_NE(script.find("file://" + Narrow(data_) + "\\b" + Narrow(prefix) + ".html"),
              std::string::npos)
        << script;
    EXPECT_TRUE(SameText(ReadText(HKEY_CURRENT_USER, MenuEntry(kAllowMenuEntry), nullptr),
                         data_ + L"\\trustsite.script"));
    EXPECT_TRUE(SameText(ReadText(HKEY_CURRENT_USER, MenuEntry(kKillMenuEntry), nullptr),
                         data_ + L"\\blocksite.script"));
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, MenuEntry(kAllowMenuEntry), L"Contexts"), 0x21u);
  }

  std::wstring folder_, data_;
};

TEST_F(ReadOnlyFolder, RulesAndScriptsLiveInTheUsersFolderAndSurviveARestart) {
  {
    const Program program;
    ASSERT_TRUE(program.Resident());
    ExpectScriptsAndEntries();
    const HWND settings = program.OpenRuleList();
    ASSERT_NE(settings, nullptr) << "the settings dialog";
    const HWND list = Program::RuleList(settings);
    ASSERT_NE(list, nullptr) << "on the tab of the website rules";
    EXPECT_TRUE(ListColumn(list, 0).empty());
    Click(DescendantWithText(GetParent(list), L"Add New Rule..."));
    HWND editor = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (editor = program.Dialog(L"Add New Website")) != nullptr; }));
    const HWND url = GetDlgItem(editor, QX_ID_URL);
    DWORD_PTR done = 0;
    SendMessageTimeoutW(url, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kHost), SMTO_NORMAL, 5000,
                        &done);
    Click(GetDlgItem(editor, IDOK));
    ASSERT_TRUE(WaitFor([&] { return ListColumn(list, 0).size() == 1; })) << "the rule is listed";
    EXPECT_NE(ListColumn(list, 0)[0].find(kHost), std::wstring::npos);
    Click(GetDlgItem(settings, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(settings); }));
    ASSERT_TRUE(program.Close()) << "an orderly end";
  }
  EXPECT_NE(ReadAll(data_ + L"\\websites.dat").find(Narrow(kHost)), std::string::npos);
  EXPECT_FALSE(Exists(folder_ + L"\\websites.dat"));
  EXPECT_TRUE(Exists(data_ + L"\\blocksite.script2")) << "put away at the end";

  const Program again;
  ASSERT_TRUE(again.Resident());
  ExpectScriptsAndEntries();
  const HWND settings = again.OpenRuleList();
  ASSERT_NE(settings, nullptr);
  const HWND list = Program::RuleList(settings);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListColumn(list, 0).size(), 1u) << "the rule came back";
  EXPECT_NE(ListColumn(list, 0)[0].find(kHost), std::wstring::npos);
  Click(GetDlgItem(settings, IDCANCEL));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(settings); }));
  EXPECT_TRUE(again.Close());
}

TEST(AfterUninstall, NothingOfTheUsersDataFolderIsLeft) {
  // The uninstaller runs as a copy of itself, which may still be at work.
  EXPECT_TRUE(WaitFor([] { return !Exists(UserDataFolder()); }));
  EXPECT_FALSE(Exists(TheFolders().install + L"\\Quellix.exe"));
  // Whatever a failed run left, so that later tests start afresh.
  RemoveFolder(UserDataFolder());
}

}  // namespace
}  // namespace qx::setup::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: readonly_tests run|gone FOLDER\n");
    return 2;
  }
  const std::string mode = argv[1], folder = argv[2];
  qx::setup::test::TheFolders().install = std::wstring(folder.begin(), folder.end());
  testing::GTEST_FLAG(filter) = mode == "gone" ? "AfterUninstall.*" : "ReadOnlyFolder.*";
  return RUN_ALL_TESTS();
}
