// Quellix.exe itself, started as a user would start it: a one-shot switch,
// a resident start, a second start, and its ends. Judged by what the
// program wrote (settings, files) and by its windows.

#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "win32/installer/tests/SetupTools.h"
#include "win32/program/tests/ScratchFolder.h"

namespace qx::win {
namespace {

using setup::test::BuiltFile;
using setup::test::kPatience;
using setup::test::Started;
using setup::test::TopWindow;
using setup::test::WaitFor;

std::optional<std::wstring> Setting(const wchar_t* section, const wchar_t* name) {
  const std::wstring value = setup::test::ReadText(
      HKEY_CURRENT_USER, std::wstring(L"Software\\Quellix\\") + section, name);
  return value == L"<missing>" ? std::nullopt : std::optional<std::wstring>(value);
}

HWND MainWindow(const Started& run) {
  return TopWindow(run.Id(), L"QuellixMain");
}

// Waits until the form is loaded and the program waits for messages.
// Being idle is not enough: a COM call during the start waits for messages
// too. The log files the start creates show that it got past that; a sent
// message then comes back from the program's own loop.
bool Resident(const Started& run, const std::wstring& folder) {
  if (!WaitFor([&] { return MainWindow(run) != nullptr || run.Ended(0); }) || run.Ended(0))
    return false;
  if (!WaitFor([&] { return setup::test::Exists(folder + L"\\errorlog.txt") || run.Ended(0); }) ||
      run.Ended(0))
    return false;
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(MainWindow(run), WM_NULL, 0, 0, SMTO_NORMAL, kPatience, &answer) != 0;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = std::make_unique<test::ScratchFolder>(L"qxprogram");
    folder_ = scratch_->Path();
    program_ = folder_ + L"\\Quellix.exe";
    ASSERT_TRUE(CopyFileW(BuiltFile(QX_PROGRAM_FILE).c_str(), program_.c_str(), FALSE))
        << "cannot copy " << std::string(QX_PROGRAM_FILE);
  }
  void TearDown() override { scratch_.reset(); }
  bool Exists(const wchar_t* name) const { return setup::test::Exists(folder_ + L"\\" + name); }
  std::string Read(const wchar_t* name) const {
    return setup::test::ReadAll(folder_ + L"\\" + name);
  }
  void Write(const wchar_t* name, const std::string& bytes) const {
    std::ofstream(std::filesystem::path(folder_ + L"\\" + name), std::ios::binary) << bytes;
  }
  // After an orderly end: the scripts under their inactive names, the
  // rule files written.
  void ExpectOrderlyEnd() const {
    EXPECT_TRUE(Exists(L"blocksite.script2"));
    EXPECT_TRUE(Exists(L"trustsite.script2"));
    EXPECT_FALSE(Exists(L"blocksite.script"));
    EXPECT_FALSE(Exists(L"trustsite.script"));
    EXPECT_TRUE(Exists(L"windows.dat"));
    EXPECT_NE(Read(L"websites.dat").find("example.com"), std::string::npos)
        << "the rules came back from the file they were read from";
  }
  void WriteOneRule() const {
    // One rule: type 1 (allow), the text "example.com" with its length.
    std::string rule("\x01\x00\x00\x00\x0b\x00\x00\x00", 8);
    Write(L"websites.dat", rule + "example.com");
  }

  std::unique_ptr<test::ScratchFolder> scratch_;
  std::wstring folder_;
  std::wstring program_;
};

TEST_F(ProgramTest, ASilentSwitchWritesItsSettingAndEnds) {
  Started run(program_, L"  +SysCheck ");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(Setting(L"Options", L"SystemWindowCheck"), L"True");
  EXPECT_EQ(Setting(L"Data", L"URLPrefix"), std::nullopt) << "no settings object was made";
  EXPECT_FALSE(Exists(L"log.dat")) << "the monitor never started";
  EXPECT_FALSE(Exists(L"blocksite.script"));
}

TEST_F(ProgramTest, ASwitchWithAMessageShowsItThenEnds) {
  Started run(program_, L"-jsloopfix");
  ASSERT_TRUE(run.Ok());
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = TopWindow(run.Id(), L"#32770")) != nullptr; }));
  wchar_t title[64] = {};
  wchar_t text[256] = {};
  // The box exists a moment before its texts are in.
  WaitFor(
      [&] {
        GetWindowTextW(box, title, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        return title[0] != 0 && text[0] != 0;
      },
      5000);
  EXPECT_STREQ(title, L"Quellix");
  EXPECT_STREQ(text, L"JSLoopFix is now disabled.");
  EXPECT_EQ(Setting(L"Options", L"JSLoopFix"), L"False") << "written before the message";
  EXPECT_FALSE(run.Ended(0)) << "waits for the user";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(ProgramTest, ResidentThenASecondStartThenClosed) {
  WriteOneRule();
  Started first(program_, L"auto");
  ASSERT_TRUE(first.Ok());
  ASSERT_TRUE(Resident(first, folder_));
  EXPECT_TRUE(Exists(L"blocksite.script")) << "active names while running";
  EXPECT_TRUE(Exists(L"trustsite.script"));
  for (const wchar_t* name : {L"log.htm", L"log.dat", L"errorlog.txt"})
    EXPECT_TRUE(Exists(name)) << "created empty at start";
  const auto prefix = Setting(L"Data", L"URLPrefix");
  ASSERT_TRUE(prefix.has_value());
  EXPECT_EQ(prefix->size(), 10u);
  EXPECT_EQ(prefix->find_first_not_of(L"0123456789"), std::wstring::npos);
  EXPECT_NE(*prefix, L"1234567890");
  wchar_t caption[32] = {};
  GetWindowTextW(MainWindow(first), caption, 32);
  EXPECT_STREQ(caption, L"Quellix");
  EXPECT_FALSE(IsWindowVisible(MainWindow(first))) << "the main form is never shown";

  // A second start by the same user ends at once, silently.
  {
    Started second(program_, L"auto");
    ASSERT_TRUE(second.Ok());
    ASSERT_TRUE(second.Ended());
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_EQ(TopWindow(second.Id(), L"#32770"), nullptr) << "no message";
  }
  // "options" while running: the troubleshooting dialog, modal; once the
  // user cancels it, the same end.
  {
    Started options(program_, L"options");
    ASSERT_TRUE(options.Ok());
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      dialog = TopWindow(options.Id(), L"#32770");
      return dialog != nullptr && IsWindowVisible(dialog);
    })) << "the troubleshooting dialog shows";
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, L"Troubleshooting Options");
    EXPECT_FALSE(options.Ended(500)) << "it waits for the user";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(options.Ended());
    EXPECT_EQ(options.ExitCode(), 0u);
  }
  EXPECT_FALSE(first.Ended(0)) << "the first instance runs on";
  EXPECT_EQ(Setting(L"Data", L"URLPrefix"), prefix) << "drawn once";

  PostMessageW(MainWindow(first), WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.Ended());
  EXPECT_EQ(first.ExitCode(), 0u);
  ExpectOrderlyEnd();

  // Ended, it no longer counts as a running instance.
  Started again(program_, L"");
  ASSERT_TRUE(again.Ok());
  ASSERT_TRUE(Resident(again, folder_));
  EXPECT_TRUE(Exists(L"blocksite.script")) << "reactivated at the next start";
  PostMessageW(MainWindow(again), WM_CLOSE, 0, 0);
  ASSERT_TRUE(again.Ended());
}

TEST_F(ProgramTest, TheSessionsEndRunsTheOrderlyEndBeforeAnswering) {
  WriteOneRule();
  Started run(program_, L"auto");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(Resident(run, folder_));
  const HWND main = MainWindow(run);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                  kPatience, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "the session may end";
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                  kPatience, &answer));
  // The system may end the process as soon as the answer is in, so the
  // orderly end runs before answering; only when the message arrives while
  // the start is still waiting inside a call does it run right after.
  ASSERT_TRUE(run.Ended());
  ExpectOrderlyEnd();
  EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(ProgramTest, TheTrayMenusCloseEntryEndsTheProgram) {
  WriteOneRule();
  Started run(program_, L"auto");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(Resident(run, folder_));
  const HWND tray = TopWindow(run.Id(), L"QuellixTrayPicture");
  // What the notification area sends for a right click on the icon.
  PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONDOWN);
  PostMessageW(tray, WM_MOUSEMOVE, 0, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (menu = TopWindow(run.Id(), L"#32768")) != nullptr; }))
      << "the menu shows";
  EXPECT_FALSE(run.Ended(200));
  // The last entry is "Close Quellix": up from the top wraps to it.
  PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
  Sleep(100);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.ExitCode(), 0u);
  ExpectOrderlyEnd();
}

// Who may set the close event: SYSTEM and the Administrators (the
// installer, from any session) to wait and set, the program's own user all;
// nobody else, nothing inherited.
void ExpectCloseEventSecurity(HANDLE event) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  ASSERT_EQ(GetSecurityInfo(event, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, &descriptor),
            ERROR_SUCCESS);
  ASSERT_NE(dacl, nullptr);
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE user[256] = {};
  DWORD bytes = sizeof user;
  GetTokenInformation(token, TokenUser, user, bytes, &bytes);
  CloseHandle(token);
  EXPECT_EQ(dacl->AceCount, 3);
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    ASSERT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    const PSID sid = &ace->SidStart;
    if (EqualSid(sid, reinterpret_cast<TOKEN_USER*>(user)->User.Sid)) {
      EXPECT_EQ(ace->Mask, static_cast<DWORD>(EVENT_ALL_ACCESS));
    } else {
      EXPECT_TRUE(IsWellKnownSid(sid, WinLocalSystemSid) ||
                  IsWellKnownSid(sid, WinBuiltinAdministratorsSid))
          << "ace " << i;
      EXPECT_EQ(ace->Mask, static_cast<DWORD>(SYNCHRONIZE | EVENT_MODIFY_STATE));
    }
  }
  LocalFree(descriptor);
}

// An installer in another session cannot see the main window; it sets the
// program's close event, and the program ends as it ends on WM_CLOSE.
TEST_F(ProgramTest, ItsCloseEventEndsItInOrder) {
  WriteOneRule();
  Started run(program_, L"auto");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(Resident(run, folder_));
  const std::wstring name = L"Global\\Quellix.Close." + std::to_wstring(run.Id());
  // Made once the start is over and the program's own loop runs.
  HANDLE event = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    return (event = OpenEventW(EVENT_MODIFY_STATE | READ_CONTROL, FALSE, name.c_str())) != nullptr;
  })) << "the program made its close event";
  ExpectCloseEventSecurity(event);
  EXPECT_FALSE(run.Ended(300));
  SetEvent(event);
  CloseHandle(event);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.ExitCode(), 0u);
  ExpectOrderlyEnd();
}

#ifdef QX_OMNIHOOK_FILE
// A top-level window of "another program" (this test), made and served by a
// thread of its own so that a close request from the program is handled.
class ForeignWindow {
 public:
  explicit ForeignWindow(std::wstring caption)
      : thread_(CreateThread(nullptr, 0, &Run, this, 0, nullptr)), caption_(std::move(caption)) {
    WaitFor([&] { return ready_; }, 5000);
  }
  ~ForeignWindow() {
    if (IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;
  HWND Window() const { return window_; }
  void SetCaption(const wchar_t* caption) const {
    SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption));
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static DWORD WINAPI Run(void* self) {
    auto& me = *static_cast<ForeignWindow*>(self);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuellixTestForeign";
    RegisterClassW(&wc);
    me.window_ = CreateWindowExW(0, wc.lpszClassName, me.caption_.c_str(), WS_OVERLAPPEDWINDOW, 0,
                                 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    me.ready_ = true;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
      DispatchMessageW(&message);
    return 0;
  }
  HANDLE thread_;
  std::wstring caption_;
  HWND window_ = nullptr;
  volatile bool ready_ = false;
};

// The real hook control, registered for the test's life.
class RegisteredControl {
 public:
  RegisteredControl() : module_(LoadLibraryW(BuiltFile(QX_OMNIHOOK_FILE).c_str())) {
    auto reg = module_ ? reinterpret_cast<HRESULT(WINAPI*)()>(
                             reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")))
                       : nullptr;
    ok_ = reg != nullptr && SUCCEEDED(reg());
  }
  ~RegisteredControl() {
    auto unreg = module_ ? reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(
                               GetProcAddress(module_, "DllUnregisterServer")))
                         : nullptr;
    if (unreg != nullptr) unreg();
    if (module_ != nullptr) FreeLibrary(module_);
  }
  RegisteredControl(const RegisteredControl&) = delete;
  RegisteredControl& operator=(const RegisteredControl&) = delete;
  bool Ok() const { return ok_; }

 private:
  HMODULE module_;
  bool ok_ = false;
};

std::string Int32(std::int32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), 4);
}

// The whole path of a window rule on the real system: the hook library in
// another program reports the caption, the control raises the event in the
// program, the window watch judges it and closes the window, and the kill is
// logged.
TEST_F(ProgramTest, AWindowRuleKillsAnotherProgramsWindowThroughTheRealHooks) {
  RegisteredControl control;
  ASSERT_TRUE(control.Ok()) << "Omnihook.ocx registers itself";
  WriteOneRule();
  // One window rule for all programs: captions containing "special offer".
  const std::string phrase = "special offer";
  const std::string program = "_general";
  Write(L"windows.dat", Int32(1) + Int32(static_cast<std::int32_t>(phrase.size())) + phrase +
                            Int32(static_cast<std::int32_t>(program.size())) + program);
  Started run(program_, L"auto");
  ASSERT_TRUE(run.Ok());
  ASSERT_TRUE(Resident(run, folder_));

  ForeignWindow harmless(L"Special delivery");
  ASSERT_NE(harmless.Window(), nullptr);
  ForeignWindow offer(L"Today's Special Offer!");
  ASSERT_NE(offer.Window(), nullptr);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(offer.Window()); }, 10000))
      << "the window whose caption matches is closed";
  // Reported before the other one, and judged by now.
  EXPECT_TRUE(IsWindow(harmless.Window())) << "a window of no rule lives on";
  // A caption that comes to match later counts as well.
  harmless.SetCaption(L"SPECIAL OFFER inside");
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(harmless.Window()); }, 10000));

  PostMessageW(MainWindow(run), WM_CLOSE, 0, 0);
  ASSERT_TRUE(run.Ended());
  const std::string log = Read(L"log.dat");
  // Logged with the caption as the rules compare it: trimmed, lower case.
  EXPECT_NE(log.find("today's special offer!"), std::string::npos) << "the kill is logged";
  EXPECT_NE(log.find("special offer inside"), std::string::npos);
  EXPECT_NE(log.find("win32_program_tests.exe"), std::string::npos) << "with its program";
}

#endif

}  // namespace
}  // namespace qx::win

namespace qx::win {
namespace {

// The program's manifest: never elevated and never virtualized (so it reads
// and writes where the browser looks), the systems it knows (so that the
// version the system reports is its own), and the common controls 6.
TEST(ProgramManifestTest, AsksToRunAsItsUserOnTheSystemsItKnows) {
  const HMODULE file =
      LoadLibraryExW(BuiltFile(QX_PROGRAM_FILE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(file, nullptr);
  const HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest";
  const char* data = static_cast<const char*>(LockResource(LoadResource(file, found)));
  const std::string manifest(data, SizeofResource(file, found));
  FreeLibrary(file);
  for (const char* part :
       {"level=\"asInvoker\"", "uiAccess=\"false\"", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace qx::win
