// The register of watched browser windows: monitor keys, the window index,
// revocations, folder windows, and the program's end when the last browser
// closes in auto-close mode.
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "base/Text.h"

namespace qx::sim::testing {
namespace {

constexpr std::wstring_view kExplorer = L"c:\\windows\\explorer.exe";

class BrowserRegistry : public ProgramWorld {
 protected:
  std::vector<std::wstring> MonitorKeys() {
    std::vector<std::wstring> keys;
    for (const auto& [key, monitor] : List().Monitors())
      keys.push_back(key);
    return keys;
  }
  std::wstring KeyOf(const SimBrowser& browser) {
    return List().CookieGet(static_cast<std::int64_t>(browser.Window()));
  }
};

using KeyList = std::vector<std::wstring>;

// --- Keys and the window index ---------------------------------------------------

TEST_F(BrowserRegistry, WindowsOpenBeforeTheStartGetNegativeKeysAndLaterOnesTheirCookies) {
  const auto a = World().OpenBrowser(L"http://a.example/");
  const auto b = World().OpenBrowser(L"http://b.example/");
  Start();
  EXPECT_EQ(MonitorKeys(), (KeyList{L"C-2", L"C-3"}));
  EXPECT_EQ(KeyOf(*a), L"C-2");
  EXPECT_EQ(KeyOf(*b), L"C-3");
  EXPECT_EQ(List().FirstCookie(), -1);

  const auto c = Open(L"http://c.example/");

  EXPECT_EQ(MonitorKeys(), (KeyList{L"C-2", L"C-3", L"C2"}));
  EXPECT_EQ(KeyOf(*c), L"C2");
  EXPECT_EQ(List().FirstCookie(), 2);
  EXPECT_EQ(List().WatchedBrowsers(), 3);
  // Windows from before the start are watched like the others.
  EXPECT_EQ(World().ScriptOpen(*a, L"x.html"), nullptr);
  program.Settle();
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].Source, L"http://a.example/");
}

TEST_F(BrowserRegistry, ExplorerFixSkipsFolderWindowsWithoutUsingANumber) {
  struct Case {
    bool fix;
    KeyList keys;
  };
  for (const Case& c :
       {Case{true, KeyList{L"C-2", L"C-3"}}, Case{false, KeyList{L"C-2", L"C-3", L"C-4"}}}) {
    SCOPED_TRACE(::testing::Message() << "ExplorerFix " << c.fix);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"ExplorerFix", c.fix ? L"True" : L"False");
    desk.browsers().OpenBrowser(L"http://a.example/");
    desk.browsers().OpenBrowser(L"c:\\", kExplorer);
    desk.browsers().OpenBrowser(L"http://b.example/");
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);

    KeyList keys;
    for (const auto& [key, monitor] : prog.form()->Browsers().Monitors())
      keys.push_back(key);
    EXPECT_EQ(keys, c.keys);

    // A folder window opened later is skipped the same way.
    const auto folder = desk.browsers().OpenBrowser(L"d:\\", kExplorer);
    prog.Settle();
    EXPECT_EQ(prog.form()->Browsers().Count(), c.keys.size() + (c.fix ? 0 : 1));
  }
}

TEST_F(BrowserRegistry, ASecondAnnouncementOfAWatchedWindowMakesNoSecondMonitor) {
  Start();
  const auto page = Open(L"http://a.example/");
  const auto monitor = MonitorOf(*page);
  ASSERT_NE(monitor, nullptr);

  World().shellWindows().Register(page);
  program.Settle();

  EXPECT_EQ(List().Count(), 1u);
  EXPECT_EQ(KeyOf(*page), L"C0");
  EXPECT_EQ(MonitorOf(*page), monitor);
  EXPECT_EQ(List().WatchedBrowsers(), 1);
}

TEST_F(BrowserRegistry,
       AWindowFromBeforeTheStartWhoseMonitorLostItIsTakenOverOnItsNextAnnouncement) {
  const auto page = World().OpenBrowser(L"http://a.example/");
  Start();
  const auto old = MonitorOf(*page);
  ASSERT_NE(old, nullptr);
  // The window hides, and the ping cannot find it in the shell's list: the
  // monitor has lost its browser.
  page->SetVisibleState(false);
  desktop.failures().FailAlways("ShellWindows.Item");
  program.Run([&] { program.form()->PingTimerTick(); });
  desktop.failures().Clear();
  ASSERT_FALSE(old->StillAlive());
  page->SetVisibleState(true);

  const std::int32_t cookie = World().shellWindows().Register(page);
  program.Settle();

  const std::wstring key = L"C" + NumberText(cookie);
  EXPECT_EQ(MonitorKeys(), (KeyList{key}));
  EXPECT_EQ(KeyOf(*page), key);
  const auto now = MonitorOf(*page);
  ASSERT_NE(now, nullptr);
  EXPECT_NE(now, old);
  EXPECT_EQ(World().ScriptOpen(*page, L"x.html"), nullptr);
  program.Settle();
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(BrowserRegistry, RevocationsOfWindowsFromBeforeTheFirstAnnouncementRemoveNothing) {
  const auto a = World().OpenBrowser(L"http://a.example/");
  const auto b = World().OpenBrowser(L"http://b.example/");
  Start();

  // Before any announcement: nothing is removed.
  World().Quit(*a);
  program.Settle();
  EXPECT_EQ(MonitorKeys(), (KeyList{L"C-2", L"C-3"}));

  const auto c = Open(L"http://c.example/");
  ASSERT_EQ(List().FirstCookie(), 2);
  // A cookie below the first announced one: nothing is removed either.
  World().Quit(*b);
  program.Settle();
  EXPECT_EQ(MonitorKeys(), (KeyList{L"C-2", L"C-3", L"C2"}));

  // An announced window is removed with its index entry.
  const Hwnd window = c->Window();
  World().Quit(*c);
  program.Settle();
  EXPECT_EQ(MonitorKeys(), (KeyList{L"C-2", L"C-3"}));
  EXPECT_EQ(List().CookieGet(static_cast<std::int64_t>(window)), L"");
  EXPECT_EQ(List().ItemByWindow(static_cast<std::int64_t>(window)), nullptr);
  EXPECT_TRUE(program.Running());
}

TEST_F(BrowserRegistry, WithStrictIeOnlyInternetExplorerWindowsAreJudged) {
  struct Case {
    bool strict;
    bool otherJudged;
  };
  for (const Case c : {Case{true, false}, Case{false, true}}) {
    SCOPED_TRACE(::testing::Message() << "StrictIE " << c.strict);
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"StrictIE", c.strict ? L"True" : L"False");
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto ie = desk.browsers().OpenBrowser(L"http://a.example/");
    const auto other = desk.browsers().OpenBrowser(L"http://b.example/", L"c:\\apps\\viewer.exe");
    prog.Settle();
    // Both get monitors; only the judged ones count as watched.
    EXPECT_EQ(prog.form()->Browsers().Count(), 2u);
    EXPECT_EQ(prog.form()->Browsers().WatchedBrowsers(), c.strict ? 1 : 2);

    EXPECT_EQ(desk.browsers().ScriptOpen(*ie, L"x.html"), nullptr);
    EXPECT_EQ(desk.browsers().ScriptOpen(*other, L"y.html") == nullptr, c.otherJudged);
  }
}

TEST_F(BrowserRegistry, AnEntryOfTheListThatIsNoBrowserIsIgnored) {
  Start();
  const std::int32_t cookie = World().shellWindows().RegisterOther();
  program.Settle();
  EXPECT_EQ(List().Count(), 0u);
  World().shellWindows().RevokeOther(cookie);
  program.Settle();
  EXPECT_TRUE(program.Running());
  const auto page = Open(L"http://a.example/");
  EXPECT_NE(MonitorOf(*page), nullptr);
}

// --- Auto-close --------------------------------------------------------------------

class AutoClose : public ProgramWorld {
 protected:
  void StartInAutoCloseMode() {
    Switch(L"AutoClose", true);
    SetOption(L"StartMode", L"2");
    Start();
  }
};

TEST_F(AutoClose, TheLastBrowserClosingAfterTwoSecondsEndsTheProgram) {
  StartInAutoCloseMode();
  EXPECT_EQ(program.form()->PingTimer().Interval(), 10000u);
  const auto a = Open(L"http://a.example/");
  const auto b = Open(L"http://b.example/");
  desktop.Advance(2500);

  World().Quit(*a);
  program.Settle();
  EXPECT_TRUE(program.Running());  // one is still open

  World().Quit(*b);
  program.Settle();
  EXPECT_FALSE(program.Running());
  EXPECT_FALSE(desktop.tray().Shown().has_value());
}

TEST_F(AutoClose, TheLastBrowserClosingWithinTwoSecondsOfTheStartDoesNot) {
  StartInAutoCloseMode();
  const auto a = Open(L"http://a.example/");
  desktop.Advance(1500);

  World().Quit(*a);
  program.Settle();

  EXPECT_TRUE(program.Running());
  // A later browser's end still counts.
  const auto b = Open(L"http://b.example/");
  desktop.Advance(1000);
  World().Quit(*b);
  program.Settle();
  EXPECT_FALSE(program.Running());
}

TEST_F(AutoClose, TheProgramEndsEvenWhenItsTrayIconCannotBeRemoved) {
  StartInAutoCloseMode();
  const auto page = Open(L"http://a.example/");
  desktop.Advance(3000);
  desktop.failures().FailAlways("Tray");

  World().Quit(*page);
  program.Settle();

  EXPECT_FALSE(program.Running());
  EXPECT_TRUE(desktop.files().Exists(desktop.files().ProgramFile(L"blocksite.script2")));
}

TEST_F(AutoClose, OnlyTheAutoCloseStartModeEndsTheProgram) {
  struct Case {
    const wchar_t* autoClose;
    const wchar_t* startMode;
  };
  for (const Case& c : {Case{L"True", L"1"}, Case{L"False", L"2"}, Case{L"True", L"0"}}) {
    SCOPED_TRACE(::testing::Message() << ToUtf8(c.autoClose) << " " << ToUtf8(c.startMode));
    SimDesktop desk;
    SimDialogHost host;
    desk.store().Poke(L"Options", L"AutoClose", c.autoClose);
    desk.store().Poke(L"Options", L"StartMode", c.startMode);
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(L"http://a.example/");
    prog.Settle();
    desk.Advance(5000);
    desk.browsers().Quit(*page);
    prog.Settle();
    EXPECT_TRUE(prog.Running());
    EXPECT_EQ(prog.form()->PingTimer().Interval(), 60000u);
  }
}

TEST_F(AutoClose, WithStrictIeTheLastInternetExplorerWindowCounts) {
  Switch(L"StrictIE", true);
  StartInAutoCloseMode();
  const auto ie = Open(L"http://a.example/");
  const auto other = World().OpenBrowser(L"http://b.example/", L"c:\\apps\\viewer.exe");
  program.Settle();
  desktop.Advance(3000);

  World().Quit(*ie);
  program.Settle();

  EXPECT_FALSE(program.Running());
}

TEST_F(AutoClose, AFolderWindowLeftOpenDoesNotKeepTheProgramRunning) {
  Switch(L"ExplorerFix", true);
  StartInAutoCloseMode();
  const auto folder = World().OpenBrowser(L"c:\\", kExplorer);
  const auto ie = Open(L"http://a.example/");
  desktop.Advance(3000);

  World().Quit(*ie);
  program.Settle();

  EXPECT_FALSE(program.Running());
}

}  // namespace
}  // namespace qx::sim::testing
