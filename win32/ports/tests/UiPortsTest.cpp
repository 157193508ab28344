// Timers, the notification area, pictures, the tray menu, keys and sounds.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <thread>

#include "Resources.h"
#include "win32/ports/WinDesktop.h"
#include "win32/ports/WinKeyboard.h"
#include "win32/ports/WinNotificationArea.h"
#include "win32/ports/WinPictures.h"
#include "win32/ports/WinPopupMenu.h"
#include "win32/ports/WinSound.h"
#include "win32/ports/WinUiThread.h"
#include "win32/ports/WinWorkArea.h"
#include "win32/ports/tests/UiDriver.h"

namespace qx::win {
namespace {

std::wstring ArtPath(const wchar_t* name) {
  // The build's folder as Wine sees it: drive Z: is the root.
  std::wstring path = L"Z:";
  for (const char c : std::string_view(QX_ART_DIR))
    path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path + L"\\" + name;
}

TEST(UiThreadTest, TimersTickThroughTheMessageLoopWhileEnabled) {
  WinUiThread ui;
  int fast = 0;
  int idle = 0;
  auto t1 = ui.CreateTimer(10, [&] { ++fast; });
  auto t2 = ui.CreateTimer(10, [&] { ++idle; });
  EXPECT_FALSE(t1->Enabled()) << "timers start disabled";
  t1->SetEnabled(true);
  ASSERT_TRUE(test::PumpUntil([&] { return fast >= 3; }));
  EXPECT_EQ(idle, 0);
  t1->SetEnabled(false);
  const int stopped = fast;
  t2->SetInterval(20);
  EXPECT_EQ(t2->Interval(), 20u);
  t2->SetEnabled(true);
  ASSERT_TRUE(test::PumpUntil([&] { return idle >= 2; }));
  EXPECT_EQ(fast, stopped);
}

TEST(UiThreadTest, ATimerMayDropItselfInItsTick) {
  WinUiThread ui;
  int ticks = 0;
  std::unique_ptr<Timer> timer;
  timer = ui.CreateTimer(5, [&] {
    ++ticks;
    timer.reset();
  });
  timer->SetEnabled(true);
  ASSERT_TRUE(test::PumpUntil([&] { return timer == nullptr; }));
  auto other = ui.CreateTimer(5, [&] { ++ticks; });
  other->SetEnabled(true);
  ASSERT_TRUE(test::PumpUntil([&] { return ticks >= 3; }));
}

TEST(UiThreadTest, DoEventsRunsPendingMessagesAndKeepsAQuit) {
  WinUiThread ui;
  WinDesktop desktop;
  struct Counter final : OwnWindowMessages {
    bool OnMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& r) override {
      if (message != WM_APP + 1) return false;
      ++count;
      r = 0;
      return true;
    }
    int count = 0;
  } counter;
  desktop.SetMessageHandler(&counter);
  const Hwnd w = desktop.CreateOwnWindow(L"", L"QuellixDoEvents");
  PostMessageW(reinterpret_cast<HWND>(w), WM_APP + 1, 0, 0);
  PostMessageW(reinterpret_cast<HWND>(w), WM_APP + 1, 0, 0);
  ui.DoEvents();
  EXPECT_EQ(counter.count, 2);
  PostQuitMessage(3);
  PostMessageW(reinterpret_cast<HWND>(w), WM_APP + 1, 0, 0);
  ui.DoEvents();
  MSG msg;
  bool quit = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = msg.wParam == 3;
  }
  EXPECT_TRUE(quit) << "the main loop still sees the quit";
  desktop.SetMessageHandler(nullptr);
  desktop.DestroyOwnWindow(w);
}

TEST(NotificationAreaTest, TheRecordIsTheFirstLayout) {
  NotifyIconRecord record;
  record.hWnd = 0x1234;
  record.szTip = std::wstring(80, L'x');
  const NOTIFYICONDATAA data = ToSystemRecord(record);
  EXPECT_EQ(data.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
#ifndef _WIN64
  EXPECT_EQ(data.cbSize, 88u);
#endif
  EXPECT_EQ(data.uID, 1u);
  EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(data.uCallbackMessage, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(std::string(data.szTip), std::string(63, 'x'));
  record.szTip = L"Quellix (On)";
  EXPECT_STREQ(ToSystemRecord(record).szTip, "Quellix (On)");
}

TEST(PicturesTest, BuiltInAndFilePictures) {
  WinPictures pictures(GetModuleHandleW(nullptr),
                       {QX_ICON_ENABLED, QX_ICON_DISABLED, QX_ICON_ALERT});
  const PictureHandle enabled = pictures.BuiltIn(BuiltInPicture::Enabled);
  const PictureHandle alert = pictures.BuiltIn(BuiltInPicture::Alert);
  EXPECT_NE(enabled, 0u);
  EXPECT_NE(enabled, alert);
  EXPECT_EQ(pictures.BuiltIn(BuiltInPicture::Enabled), enabled) << "loaded once";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(enabled), &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  EXPECT_NE(pictures.Load(ArtPath(L"disabled.ico")), 0u);
  EXPECT_NE(pictures.Load(ArtPath(L"menu1.bmp")), 0u) << "a bitmap becomes an icon";
  try {
    pictures.Load(ArtPath(L"missing.ico"));
    ADD_FAILURE() << "a missing file loads";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.Number(), 53);
  }
  try {
    pictures.Load(ArtPath(L"..\\..\\..\\tools\\art\\make_art.py"));
    ADD_FAILURE() << "a script loads as a picture";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.Number(), 481);
  }
  WinPictures missing(GetModuleHandleW(nullptr), {9991, 9992, 9993});
  EXPECT_THROW(missing.BuiltIn(BuiltInPicture::Disabled), PlatformError);
}

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t buffer[128] = {};
  GetMenuStringW(menu, position, buffer, 128, MF_BYPOSITION);
  return buffer;
}

TEST(PopupMenuTest, EntriesHeadingsAndImages) {
  WinPopupMenuFactory factory(GetModuleHandleW(nullptr), QX_BITMAP_MENU);
  auto created = factory.Create();
  auto& menu = static_cast<WinPopupMenu&>(*created);
  menu.AddEntry(L"-Quellix 2.1", -1, L"");
  menu.AddEntry(L"Disable (Turn Off) Quellix", 7, L"enabled");
  menu.AddEntry(L"-Info", -1, L"");
  menu.AddEntry(L"About...", 9, L"about");
  menu.AddEntry(L"-", -1, L"");
  menu.AddEntry(L"Close Quellix", -1, L"close");
  const HMENU h = menu.Handle();
  // Heading, entry, separator, heading, entry, separator, entry.
  ASSERT_EQ(GetMenuItemCount(h), 7);
  EXPECT_EQ(MenuText(h, 0), L"Quellix 2.1");
  EXPECT_TRUE(GetMenuState(h, 0, MF_BYPOSITION) & MF_GRAYED) << "a heading cannot be chosen";
  EXPECT_TRUE(GetMenuState(h, 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuText(h, 3), L"Info");
  EXPECT_TRUE(GetMenuState(h, 5, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(menu.IndexOf(L"enabled"), 2);
  EXPECT_EQ(menu.IndexOf(L"close"), 6);
  EXPECT_EQ(menu.IndexOf(L"nothing"), 0);
  EXPECT_EQ(menu.KeyOf(4), L"about");
  EXPECT_THROW(menu.KeyOf(7), PlatformError);

  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(h, 2, FALSE, &item));
  EXPECT_NE(item.hbmpItem, nullptr) << "image 7";
  ASSERT_TRUE(GetMenuItemInfoW(h, 6, FALSE, &item));
  EXPECT_EQ(item.hbmpItem, nullptr) << "no image";

  menu.SetCaption(2, L"Enable (Turn On) Quellix");
  menu.SetImage(2, 6);
  EXPECT_EQ(MenuText(h, 1), L"Enable (Turn On) Quellix");
  ASSERT_TRUE(GetMenuItemInfoW(h, 2, FALSE, &item));
  EXPECT_EQ(item.hbmpItem, factory.Image(6));
  EXPECT_NE(factory.Image(6), factory.Image(7));
}

// The tray menu's recently blocked pages: a submenu per page, each with its
// own submenu of commands, one of them greyed.
void AddRecentlyBlocked(PopupMenu& menu) {
  menu.AddEntry(L"-Quellix 2.1", -1, L"");            // 1
  menu.AddEntry(L"Options...", 1, L"options");        // 2
  menu.AddEntry(L"Recently blocked", -1, L"recent");  // 3
  const int site = menu.AddSubEntry(3, L"news.example", L"site");
  menu.AddSubEntry(site, L"Open", L"open");              // 5
  menu.AddSubEntry(site, L"Allow this site", L"allow");  // 6
  const int kill = menu.AddSubEntry(site, L"Always kill this", L"kill");
  menu.SetEnabled(kill, false);
}

bool Greyed(HMENU menu, UINT position) {
  return (GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED) != 0;
}

// How the submenus look on screen is the tray menu's screenshot test's; here
// the indices and where changes land.
TEST(PopupMenuTest, SubEntriesNumberOnAndClearingMovesTheLaterIndicesDown) {
  WinPopupMenuFactory factory(GetModuleHandleW(nullptr), QX_BITMAP_MENU);
  auto created = factory.Create();
  auto& menu = static_cast<WinPopupMenu&>(*created);
  AddRecentlyBlocked(menu);
  menu.AddEntry(L"Close Quellix", -1, L"close");
  EXPECT_EQ(menu.IndexOf(L"site"), 4);
  EXPECT_EQ(menu.IndexOf(L"kill"), 7);
  EXPECT_EQ(menu.IndexOf(L"close"), 8) << "indices go on after the sub-entries";
  EXPECT_EQ(menu.KeyOf(6), L"allow");
  const HMENU h = menu.Handle();
  ASSERT_EQ(GetMenuItemCount(h), 4);
  EXPECT_EQ(GetMenuItemID(h, 3), 8u);
  const HMENU site = GetSubMenu(GetSubMenu(h, 2), 0);
  ASSERT_NE(site, nullptr);
  EXPECT_EQ(GetMenuItemID(site, 0), 5u);
  EXPECT_EQ(GetMenuItemID(site, 2), 7u);

  // Entries of a submenu change where they are.
  menu.SetEnabled(7, true);
  EXPECT_FALSE(Greyed(site, 2));
  menu.SetEnabled(6, false);
  EXPECT_TRUE(Greyed(site, 1));
  menu.SetCaption(5, L"Open news.example");
  EXPECT_EQ(MenuText(site, 0), L"Open news.example");
  menu.SetImage(5, 3);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(site, 0, TRUE, &item));
  EXPECT_EQ(item.hbmpItem, factory.Image(3));
  EXPECT_THROW(menu.AddSubEntry(9, L"nowhere", L""), PlatformError);
  EXPECT_THROW(menu.SetEnabled(9, false), PlatformError);

  menu.SetCaption(2, L"Settings...");
  menu.SetEnabled(2, false);
  menu.ClearSubEntries(3);
  EXPECT_EQ(menu.IndexOf(L"site"), 0);
  EXPECT_EQ(menu.IndexOf(L"kill"), 0);
  EXPECT_EQ(menu.IndexOf(L"close"), 4);
  EXPECT_THROW(menu.KeyOf(5), PlatformError);
  ASSERT_EQ(GetMenuItemCount(h), 4);
  EXPECT_EQ(GetSubMenu(h, 2), nullptr) << "without entries it opens nothing";
  EXPECT_EQ(GetMenuItemID(h, 2), 3u);
  EXPECT_EQ(GetMenuItemID(h, 3), 4u);
  EXPECT_EQ(MenuText(h, 1), L"Settings...") << "what was changed stays";
  EXPECT_TRUE(Greyed(h, 1)) << "and a greyed entry stays greyed";
  EXPECT_FALSE(Greyed(h, 3));
  EXPECT_EQ(menu.AddSubEntry(3, L"(none)", L""), 5);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(h, 2), 0), 5u);
  EXPECT_EQ(GetMenuItemID(h, 3), 4u);
}

TEST(PopupMenuTest, ShowAtAnswersTheChosenEntryButNoGreyedOne) {
  WinDesktop desktop;
  const Hwnd owner = desktop.CreateOwnWindow(L"", L"QuellixSubmenuOwner");
  WinPopupMenuFactory factory(GetModuleHandleW(nullptr), QX_BITMAP_MENU);
  auto menu = factory.Create();
  menu->SetOwner(owner, 0);
  AddRecentlyBlocked(*menu);
  menu->AddEntry(L"Close Quellix", -1, L"close");
  const HWND ownerWindow = reinterpret_cast<HWND>(owner);
  auto press = [ownerWindow](std::initializer_list<WPARAM> keys) {
    return std::thread([ownerWindow, keys = std::vector<WPARAM>(keys)] {
      for (int i = 0; i < 500 && FindWindowW(L"#32768", nullptr) == nullptr; ++i)
        Sleep(20);
      for (const WPARAM k : keys) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        PostMessageW(menuWindow != nullptr ? menuWindow : ownerWindow, WM_KEYDOWN, k, 0);
        Sleep(80);
      }
    });
  };
  SetForegroundWindow(ownerWindow);
  // Up from no selection reaches the last entry, the last index of all.
  std::thread close = press({VK_UP, VK_RETURN});
  EXPECT_EQ(menu->ShowAt(10, 10), 8);
  close.join();
  // Up once more: right opens its submenu on its first entry, and again;
  // down goes to the second command.
  std::thread allow = press({VK_UP, VK_UP, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN});
  const int chosen = menu->ShowAt(10, 10);
  allow.join();
  EXPECT_EQ(chosen, 6);
  EXPECT_EQ(menu->KeyOf(chosen), L"allow");

  // Enter on the greyed command or on an entry that opens a submenu
  // chooses nothing.
  std::thread greyed =
      press({VK_UP, VK_UP, VK_RIGHT, VK_RIGHT, VK_UP, VK_RETURN, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
  EXPECT_EQ(menu->ShowAt(10, 10), 0);
  greyed.join();
  desktop.DestroyOwnWindow(owner);
}

TEST(SmallPortsTest, KeysSoundsAndWorkArea) {
  WinKeyboard keyboard;
  EXPECT_FALSE(keyboard.KeyDown(VK_F24));
  WinSound sound;
  // Played synchronously, so that the answer says whether it played.
  EXPECT_FALSE(sound.Play(ArtPath(L"missing.wav"), 2)) << "no file, no default sound";
  WinWorkArea area;
  const Rect r = area.Get();
  EXPECT_GT(r.right - r.left, 0);
  EXPECT_GT(r.bottom - r.top, 0);
}

}  // namespace
}  // namespace qx::win
