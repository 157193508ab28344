#include "context/WindowInfo.h"

#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx {
namespace {

class WindowInfoTest : public ::testing::Test {
 protected:
  WindowInfoTest() : info(desktop.windows()) {
    other = desktop.windows().StartProcess(L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE");
  }
  Hwnd Window(const wchar_t* text, Hwnd parent = 0, std::uint32_t exStyle = 0) {
    return desktop.windows().CreateWindow(other, text, L"IEFrame", parent, exStyle);
  }
  void UseVersion(std::uint32_t platform, std::uint32_t major, std::uint32_t minor) {
    desktop.windows().SetVersion(OsVersionInfo{major, minor, 0, platform, L""});
  }
  sim::SimDesktop desktop;
  WindowInfo info;
  ProcessId other = 0;
};

TEST_F(WindowInfoTest, TopAppWindowClimbsToTheFirstAppWindowOrTheTop) {
  const Hwnd dialog = Window(L"Options");
  const Hwnd group = Window(L"", dialog);
  const Hwnd button = Window(L"OK", group);
  EXPECT_EQ(info.TopAppWindow(button), dialog);
  EXPECT_EQ(info.TopAppWindow(dialog), dialog);

  const Hwnd app = Window(L"App", 0, kWsExAppWindow);
  const Hwnd inner = Window(L"", Window(L"", app, kWsExAppWindow));
  EXPECT_EQ(info.TopAppWindow(inner), desktop.windows().Parent(inner));
  EXPECT_EQ(info.TopAppWindow(0), 0u);
}

TEST_F(WindowInfoTest, TopAppWindowOfAFailingDesktopAnswersWhereItGot) {
  const Hwnd top = Window(L"Top");
  const Hwnd child = Window(L"", top);
  desktop.failures().FailAlways("Desktop.Parent");
  EXPECT_EQ(info.TopAppWindow(child), child);
}

TEST_F(WindowInfoTest, CaptionIsLowerCasedCutAndNotTrimmed) {
  EXPECT_EQ(info.WindowCaption(Window(L"  Win A PRIZE \u00C9  ")), L"  win a prize \u00E9  ");
  const std::wstring longCaption(400, L'X');
  EXPECT_EQ(info.WindowCaption(Window(longCaption.c_str())), std::wstring(349, L'x'));
  EXPECT_EQ(info.WindowCaption(Window(std::wstring(349, L'Y').c_str())), std::wstring(349, L'y'));
  desktop.failures().FailNext("Desktop.WindowText");
  EXPECT_EQ(info.WindowCaption(Window(L"Any")), L"");
}

TEST_F(WindowInfoTest, ExeNameByFamily) {
  struct Case {
    std::uint32_t platform, major, minor;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {2, 5, 1, L"c:\\program files\\internet explorer\\iexplore.exe"},   // NT
      {1, 4, 10, L"c:\\program files\\internet explorer\\iexplore.exe"},  // 98: NUL dropped
      {1, 4, 0, L"ieframe"},                                              // 95: the class
  };
  for (const auto& c : cases) {
    sim::SimDesktop d;
    d.windows().SetVersion(OsVersionInfo{c.major, c.minor, 0, c.platform, L""});
    const ProcessId p =
        d.windows().StartProcess(L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE");
    const Hwnd h = d.windows().CreateWindow(p, L"x", L"IEFrame");
    WindowInfo wi(d.windows());
    const std::wstring name = wi.WindowExeName(h);
    EXPECT_EQ(name, c.expected) << c.platform << "." << c.minor;
    EXPECT_EQ(name.find(L'\0'), std::wstring::npos);
  }
}

TEST_F(WindowInfoTest, ExeNameIsEmptyWhenTheProcessCannotBeRead) {
  const Hwnd h = Window(L"x");
  desktop.windows().FindProcess(other)->accessDenied = true;
  EXPECT_EQ(info.WindowExeName(h), L"");
  EXPECT_EQ(info.WindowExeName(0xBAD), L"");
  desktop.windows().FindProcess(other)->accessDenied = false;
  desktop.failures().FailNext("Desktop.ProcessFirstModuleFileName");
  EXPECT_EQ(info.WindowExeName(h), L"");
  EXPECT_NE(info.WindowExeName(h), L"");
}

TEST_F(WindowInfoTest, ExeNameOfALongPathIsCutToTheBuffer) {
  const std::wstring path = L"C:\\" + std::wstring(400, L'A') + L".exe";
  const ProcessId p = desktop.windows().StartProcess(path);
  const Hwnd h = desktop.windows().CreateWindow(p, L"x", L"C");
  EXPECT_EQ(info.WindowExeName(h).size(), 299u);
}

TEST_F(WindowInfoTest, VersionFamiliesAndXp) {
  struct Case {
    std::uint32_t platform, major, minor;
    int family;
    bool xp;
  };
  const Case cases[] = {
      {1, 4, 0, 0, false}, {1, 4, 10, 1, false}, {1, 4, 90, 1, false}, {2, 4, 0, 2, false},
      {2, 5, 0, 2, false}, {2, 5, 1, 2, true},   {2, 5, 2, 2, true},   {2, 6, 0, 2, true},
      {2, 6, 1, 2, true},  {2, 6, 3, 2, true},   {2, 10, 0, 2, true},  {2, 7, 0, 2, true},
  };
  for (const auto& c : cases) {
    sim::SimDesktop d;
    d.windows().SetVersion(OsVersionInfo{c.major, c.minor, 0, c.platform, L""});
    WindowInfo wi(d.windows());
    EXPECT_EQ(wi.IsWindowsXPOrLater(), c.xp) << c.platform << ":" << c.major << "." << c.minor;
    EXPECT_EQ(wi.OsFamily(), c.family) << c.platform << ":" << c.major << "." << c.minor;
  }
}

TEST_F(WindowInfoTest, TheVersionIsReadOnce) {
  UseVersion(2, 5, 1);
  EXPECT_TRUE(info.IsWindowsXPOrLater());
  UseVersion(1, 4, 0);
  EXPECT_EQ(info.OsFamily(), 2);
  EXPECT_TRUE(info.IsWindowsXPOrLater());
}

TEST_F(WindowInfoTest, OwnProcessWindowsAndClosing) {
  const Hwnd mine = desktop.windows().CreateWindow(desktop.ProgramProcess(), L"Quellix", L"Main");
  const Hwnd theirs = Window(L"Theirs");
  EXPECT_TRUE(info.IsOwnProcessWindow(mine));
  EXPECT_FALSE(info.IsOwnProcessWindow(theirs));
  info.CloseWindow(theirs);
  info.CloseWindow(0xBAD);  // a vanished window: nothing happens
  desktop.failures().FailNext("Desktop.PostCloseMessage");
  info.CloseWindow(mine);
  EXPECT_EQ(desktop.windows().DeliverPostedCloses(), std::vector<Hwnd>{theirs});
}

}  // namespace
}  // namespace qx
