// The tray menu's "Recently blocked" submenu as the system tracks it: opened
// with the keys, photographed, its items checked to fit their menus and the
// screen, then closed without a choice.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "Resources.h"
#include "Screenshot.h"
#include "win32/ports/WinDesktop.h"
#include "win32/ports/WinPopupMenu.h"

namespace qx::win::testing {
namespace {

using ::testing::IsEmpty;

// MN_GETHMENU: the menu a menu window shows.
constexpr UINT kGetMenu = 0x01E1;

struct MenuWindow {
  HWND window;
  HMENU menu;
  RECT frame;
};

BOOL CALLBACK CollectMenus(HWND window, LPARAM param) {
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (lstrcmpW(cls, L"#32768") == 0 && IsWindowVisible(window) &&
      process == GetCurrentProcessId()) {
    MenuWindow shown{window, reinterpret_cast<HMENU>(SendMessageW(window, kGetMenu, 0, 0)), {}};
    GetWindowRect(window, &shown.frame);
    reinterpret_cast<std::vector<MenuWindow>*>(param)->push_back(shown);
  }
  return TRUE;
}

std::vector<MenuWindow> ShownMenus() {
  std::vector<MenuWindow> shown;
  EnumWindows(&CollectMenus, reinterpret_cast<LPARAM>(&shown));
  return shown;
}

std::wstring ItemText(HMENU menu, int position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

// What would look wrong: a menu reaching past the screen, an item outside
// its menu's window, or an item's text wider than the item.
std::vector<std::wstring> MenuProblems(const std::vector<MenuWindow>& shown) {
  std::vector<std::wstring> problems;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  for (const MenuWindow& m : shown) {
    RECT inside{};
    if (!IntersectRect(&inside, &m.frame, &screen) || !EqualRect(&inside, &m.frame))
      problems.push_back(L"a menu reaches past the screen");
    for (int i = 0; i < GetMenuItemCount(m.menu); ++i) {
      const std::wstring text = ItemText(m.menu, i);
      RECT item{};
      if (!GetMenuItemRect(m.window, m.menu, static_cast<UINT>(i), &item)) continue;
      if (!IntersectRect(&inside, &item, &m.frame) || !EqualRect(&inside, &item))
        problems.push_back(L"\"" + text + L"\" lies outside its menu");
      RECT need{0, 0, 0, 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      if (need.right > item.right - item.left)
        problems.push_back(L"\"" + text + L"\" does not fit its item");
    }
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return problems;
}

// Opens the menu's submenus with the keys, once the system shows the menu,
// and waits until `depth` menus show; then photographs them, checks them
// and closes them all.
class MenuPhotographer {
 public:
  MenuPhotographer(std::vector<WPARAM> keys, std::size_t depth, std::wstring picture)
      : thread_([this, keys = std::move(keys), depth, picture = std::move(picture)] {
          for (int i = 0; i < 500 && ShownMenus().empty(); ++i)
            Sleep(20);
          for (const WPARAM k : keys)
            Post(k);
          for (int i = 0; i < 250 && ShownMenus().size() < depth; ++i)
            Sleep(20);
          Sleep(300);  // painted
          shown = ShownMenus();
          problems = MenuProblems(shown);
          RECT all{};
          for (const MenuWindow& m : shown)
            UnionRect(&all, &all, &m.frame);
          saved = !shown.empty() && SaveScreenPng(all, ScreenshotFile(picture));
          for (std::size_t i = 0; i <= depth; ++i)
            Post(VK_ESCAPE);
        }) {}
  ~MenuPhotographer() { Join(); }
  MenuPhotographer(const MenuPhotographer&) = delete;
  MenuPhotographer& operator=(const MenuPhotographer&) = delete;
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  std::vector<MenuWindow> shown;
  std::vector<std::wstring> problems;
  bool saved = false;

 private:
  static void Post(WPARAM key) {
    const std::vector<MenuWindow> menus = ShownMenus();
    if (!menus.empty()) PostMessageW(menus.front().window, WM_KEYDOWN, key, 0);
    Sleep(80);
  }
  std::thread thread_;
};

const MenuWindow* Showing(const std::vector<MenuWindow>& shown, HMENU menu) {
  for (const MenuWindow& m : shown) {
    if (m.menu == menu) return &m;
  }
  return nullptr;
}

class TrayMenuOnScreen : public ::testing::Test {
 protected:
  TrayMenuOnScreen()
      : owner_(desktop_.CreateOwnWindow(L"", L"QuellixTrayMenuShot")),
        factory_(GetModuleHandleW(nullptr), QX_BITMAP_MENU),
        created_(factory_.Create()),
        menu_(static_cast<WinPopupMenu&>(*created_)) {
    menu_.SetOwner(owner_, 0);
    menu_.AddEntry(L"-Quellix 2.1", -1, L"");
    menu_.AddEntry(L"Disable (Turn Off) Quellix", 7, L"enabled");
    menu_.AddEntry(L"Options...", 1, L"options");
    menu_.AddEntry(L"Recently blocked", -1, L"recent");
    menu_.AddEntry(L"-", -1, L"");
    menu_.AddEntry(L"Close Quellix", -1, L"close");
    SetForegroundWindow(reinterpret_cast<HWND>(owner_));
  }
  ~TrayMenuOnScreen() override { desktop_.DestroyOwnWindow(owner_); }

  // Up twice from no selection: "Close Quellix", then over the separator to
  // "Recently blocked"; right opens its submenu.
  static std::vector<WPARAM> ToRecent() { return {VK_UP, VK_UP, VK_RIGHT}; }

  WinDesktop desktop_;
  Hwnd owner_;
  WinPopupMenuFactory factory_;
  std::unique_ptr<PopupMenu> created_;
  WinPopupMenu& menu_;
};

TEST_F(TrayMenuOnScreen, RecentlyBlockedShowsAPageWithItsCommands) {
  const int recent = menu_.IndexOf(L"recent");
  const int site = menu_.AddSubEntry(recent, L"news.example", L"site");
  menu_.AddSubEntry(site, L"Open", L"open");
  menu_.AddSubEntry(site, L"Allow this site", L"allow");
  menu_.SetEnabled(menu_.AddSubEntry(site, L"Always kill this", L"kill"), false);
  menu_.AddSubEntry(recent, L"ads.example", L"site2");

  std::vector<WPARAM> keys = ToRecent();
  keys.push_back(VK_RIGHT);
  MenuPhotographer camera(keys, 3, L"tray-menu-recently-blocked");
  EXPECT_EQ(menu_.ShowAt(200, 200), 0) << "closed without a choice";
  camera.Join();

  const HMENU root = menu_.Handle();
  const HMENU sites = GetSubMenu(root, 3);
  ASSERT_NE(sites, nullptr);
  const HMENU commands = GetSubMenu(sites, 0);
  ASSERT_NE(commands, nullptr);
  ASSERT_EQ(camera.shown.size(), 3u);
  EXPECT_NE(Showing(camera.shown, root), nullptr);
  EXPECT_NE(Showing(camera.shown, sites), nullptr);
  const MenuWindow* shownCommands = Showing(camera.shown, commands);
  ASSERT_NE(shownCommands, nullptr);
  EXPECT_EQ(ItemText(commands, 2), L"Always kill this");
  EXPECT_TRUE(GetMenuState(commands, 2, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(commands, 1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_THAT(camera.problems, IsEmpty());
  EXPECT_TRUE(camera.saved);
}

TEST_F(TrayMenuOnScreen, AnEmptyListShowsOneGreyedLine) {
  const int recent = menu_.IndexOf(L"recent");
  menu_.AddSubEntry(recent, L"gone.example", L"site");
  menu_.ClearSubEntries(recent);
  menu_.SetEnabled(menu_.AddSubEntry(recent, L"(none)", L""), false);

  MenuPhotographer camera(ToRecent(), 2, L"tray-menu-recently-blocked-none");
  EXPECT_EQ(menu_.ShowAt(200, 200), 0);
  camera.Join();

  const HMENU sites = GetSubMenu(menu_.Handle(), 3);
  ASSERT_NE(sites, nullptr);
  ASSERT_EQ(GetMenuItemCount(sites), 1);
  EXPECT_EQ(ItemText(sites, 0), L"(none)");
  EXPECT_TRUE(GetMenuState(sites, 0, MF_BYPOSITION) & MF_GRAYED);
  ASSERT_EQ(camera.shown.size(), 2u);
  EXPECT_NE(Showing(camera.shown, sites), nullptr);
  EXPECT_THAT(camera.problems, IsEmpty());
  EXPECT_TRUE(camera.saved);
}

}  // namespace
}  // namespace qx::win::testing
