// The simulated pop-up menu's submenus and greyed entries behave as the
// real menu does: only a plain, enabled entry can be chosen.
#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx::sim {
namespace {

TEST(SimMenu, SubEntriesAreChosenByIndexAndGreyedOnesNever) {
  SimDesktop desktop;
  auto menu = desktop.menus().Create();
  menu->AddEntry(L"Options...", 1, L"options");
  menu->AddEntry(L"Recently blocked", -1, L"recent");
  const int recent = menu->IndexOf(L"recent");
  const int site = menu->AddSubEntry(recent, L"news.example", L"site");
  const int open = menu->AddSubEntry(site, L"Open", L"open");
  const int kill = menu->AddSubEntry(site, L"Always kill this", L"kill");
  menu->SetEnabled(kill, false);
  EXPECT_EQ(open, 4);
  struct Case {
    const wchar_t* key;
    int chosen;
  };
  const Case cases[] = {
      {L"open", open}, {L"kill", 0},  // greyed
      {L"site", 0},                   // opens its submenu
      {L"recent", 0},                 // likewise
      {L"options", 1},                // the entries before are untouched
      {L"nothing", 0},
  };
  for (const Case& c : cases) {
    desktop.menus().QueueChoice(c.key);
    EXPECT_EQ(menu->ShowAt(0, 0), c.chosen) << c.key;
  }
  // Greying the parent greys what is under it.
  menu->SetEnabled(site, false);
  desktop.menus().QueueChoice(L"open");
  EXPECT_EQ(menu->ShowAt(0, 0), 0);
}

}  // namespace
}  // namespace qx::sim
