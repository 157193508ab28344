// The balloon notice over the tray icon: the exact record the program hands
// to the shell, and the real call under Wine.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Resources.h"
#include "win32/ports/WinDesktop.h"
#include "win32/ports/WinNotificationArea.h"
#include "win32/ports/WinPictures.h"
#include "win32/ports/tests/UiDriver.h"

namespace qx::win {
namespace {

// The length of a field's text, or the field's size when no NUL ends it
// (the shell would read past the field).
template <std::size_t size>
std::size_t FieldLength(const wchar_t (&field)[size]) {
  std::size_t n = 0;
  while (n < size && field[n] != L'\0')
    ++n;
  return n;
}

// The shell as Windows XP is to a wide NIM_MODIFY: the icon must have been
// added (the shell finds it by hWnd and uID), and a record of a size it
// does not know is read as the first layout, which has no balloon.
// https://learn.microsoft.com/windows/win32/api/shellapi/nf-shellapi-shell_notifyiconw
class FakeShell {
 public:
  struct Seen {
    DWORD message;
    NOTIFYICONDATAW data;
  };
  void AddIcon(HWND window, UINT id) { icons_.insert({window, id}); }
  NotifyIconW Function() {
    return [this](DWORD message, NOTIFYICONDATAW& data) {
      calls.push_back({message, data});
      if (message != NIM_MODIFY) return FALSE;
      if (icons_.count({data.hWnd, data.uID}) == 0) return FALSE;
      const bool known = data.cbSize == NOTIFYICONDATAW_V1_SIZE ||
                         data.cbSize == NOTIFYICONDATAW_V2_SIZE ||
                         data.cbSize == NOTIFYICONDATAW_V3_SIZE;
      const bool withBalloon = known && data.cbSize != NOTIFYICONDATAW_V1_SIZE;
      if (withBalloon && (data.uFlags & NIF_INFO) != 0 &&
          FieldLength(data.szInfo) < std::size(data.szInfo) &&
          FieldLength(data.szInfoTitle) < std::size(data.szInfoTitle)) {
        balloons.emplace_back(data.szInfoTitle, data.szInfo);
      }
      return TRUE;
    };
  }
  std::vector<Seen> calls;
  std::vector<std::pair<std::wstring, std::wstring>> balloons;

 private:
  std::set<std::pair<HWND, UINT>> icons_;
};

BOOL CALLBACK FindBalloon(HWND window, LPARAM param) {
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  const bool balloon = (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) != 0;
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0 || process == GetCurrentProcessId() ||
      !IsWindowVisible(window) || !balloon)
    return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

// A balloon the shell shows: a visible balloon tooltip of another process.
HWND ShownBalloon() {
  HWND found = nullptr;
  EnumWindows(&FindBalloon, reinterpret_cast<LPARAM>(&found));
  return found;
}

NotifyIconRecord TrayRecord() {
  NotifyIconRecord record;
  record.hWnd = 0x5a5a0;
  record.uID = 1;
  record.uCallbackMessage = WM_MOUSEMOVE;
  record.hIcon = 0x777;
  record.szTip = L"Quellix (On)";
  return record;
}

TEST(BalloonTest, TheRecordCarriesOnlyTheBalloonInTheWindows2000Layout) {
  FakeShell shell;
  const NotifyIconRecord record = TrayRecord();
  shell.AddIcon(reinterpret_cast<HWND>(record.hWnd), record.uID);
  WinNotificationArea tray(shell.Function());
  ASSERT_TRUE(tray.ShowBalloon(record, L"Pop-up blocked", L"ads.example: no click on the page"));
  ASSERT_EQ(shell.calls.size(), 1u);
  const FakeShell::Seen& seen = shell.calls[0];
  EXPECT_EQ(seen.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(seen.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
#ifndef _WIN64
  EXPECT_EQ(seen.data.cbSize, 936u);
#endif
  EXPECT_EQ(seen.data.uFlags, static_cast<UINT>(NIF_INFO)) << "the icon and its tip stay";
  EXPECT_EQ(seen.data.hWnd, reinterpret_cast<HWND>(record.hWnd));
  EXPECT_EQ(seen.data.uID, record.uID);
  EXPECT_EQ(seen.data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_NOSOUND));
  EXPECT_STREQ(seen.data.szInfoTitle, L"Pop-up blocked");
  EXPECT_STREQ(seen.data.szInfo, L"ads.example: no click on the page");
  EXPECT_EQ(seen.data.szTip[0], L'\0');
  EXPECT_EQ(seen.data.hIcon, nullptr);
  ASSERT_EQ(shell.balloons.size(), 1u);
  EXPECT_EQ(shell.balloons[0].first, L"Pop-up blocked");
}

TEST(BalloonTest, FieldsAreCutWithoutSplittingAPairAndKeepEveryCharacter) {
  const NotifyIconRecord record = TrayRecord();
  // 62 letters and a pair: the pair would need the NUL's place.
  const std::wstring pair = L"\U0001F600";
  const std::wstring title = std::wstring(62, L'a') + pair;
  const std::wstring text = std::wstring(254, L'b') + pair + L"tail";
  NOTIFYICONDATAW data = ToBalloonRecord(record, title, text);
  EXPECT_EQ(std::wstring(data.szInfoTitle), std::wstring(62, L'a'));
  EXPECT_EQ(std::wstring(data.szInfo), std::wstring(254, L'b'));

  data = ToBalloonRecord(record, std::wstring(61, L'a') + pair + L"z", std::wstring(300, L'c'));
  EXPECT_EQ(std::wstring(data.szInfoTitle), std::wstring(61, L'a') + pair);
  EXPECT_EQ(std::wstring(data.szInfo), std::wstring(255, L'c'));
  // Characters no single ANSI code page holds all of; a lone half of a
  // pair becomes a question mark.
  data = ToBalloonRecord(record, L"\u4E2D\u6587 \u0416 \u00E9",
                         std::wstring(L"x\xD800y\xDC00z") + L"\U0001F600");
  EXPECT_STREQ(data.szInfoTitle, L"\u4E2D\u6587 \u0416 \u00E9");
  EXPECT_EQ(std::wstring(data.szInfo), std::wstring(L"x?y?z") + L"\U0001F600");
}

TEST(BalloonTest, NoIconOrNoTextShowsNothing) {
  FakeShell shell;
  NotifyIconRecord record = TrayRecord();
  shell.AddIcon(reinterpret_cast<HWND>(record.hWnd), 2);
  WinNotificationArea tray(shell.Function());
  EXPECT_FALSE(tray.ShowBalloon(record, L"Pop-up blocked", L"text"))
      << "the shell knows no icon 1 of the window";
  record.uID = 2;
  // An empty text would take down a balloon that shows.
  EXPECT_FALSE(tray.ShowBalloon(record, L"Pop-up blocked", L""));
  EXPECT_EQ(shell.calls.size(), 1u);
  EXPECT_TRUE(tray.ShowBalloon(record, L"", L"text")) << "a balloon may go without a title";
  EXPECT_EQ(shell.balloons.size(), 1u);
}

TEST(BalloonTest, TheShellShowsTheNoticeWithoutTakingTheFocus) {
  WinDesktop desktop;
  WinPictures pictures(GetModuleHandleW(nullptr),
                       {QX_ICON_ENABLED, QX_ICON_DISABLED, QX_ICON_ALERT});
  WinNotificationArea tray;
  NotifyIconRecord record;
  record.hWnd = desktop.CreateOwnWindow(L"", L"QuellixBalloonTest");
  record.hIcon = pictures.BuiltIn(BuiltInPicture::Enabled);
  record.szTip = L"Quellix (On)";
  // The user works in a window of their own.
  HWND work = CreateWindowExW(0, L"STATIC", L"Work", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(work, nullptr);
  SetForegroundWindow(work);
  SetFocus(work);
  ASSERT_TRUE(test::PumpUntil([&] { return GetForegroundWindow() == work; }));
  const HWND before = GetForegroundWindow();
  ASSERT_EQ(ShownBalloon(), nullptr);

  ASSERT_TRUE(tray.Add(record));
  record.szTip = L"Quellix (Off)";
  EXPECT_TRUE(tray.Modify(record));
  EXPECT_TRUE(tray.ShowBalloon(record, L"Pop-up blocked",
                               L"ads.example: no click on the page before it opened"));
  // The shell shows it a moment later, and the user's window keeps the
  // focus.
  EXPECT_TRUE(test::PumpUntil([] { return ShownBalloon() != nullptr; }));
  EXPECT_EQ(GetForegroundWindow(), before);
  EXPECT_TRUE(tray.Delete(record));
  EXPECT_FALSE(tray.ShowBalloon(record, L"Pop-up blocked", L"again"))
      << "no icon, no notice over it";
  EXPECT_FALSE(tray.Delete(record)) << "nothing left to delete";
  DestroyWindow(work);
  desktop.DestroyOwnWindow(record.hWnd);
}

}  // namespace
}  // namespace qx::win
