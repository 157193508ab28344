// The browser's chrome as the hold options keep it, and the normalize hot
// key that restores a window the user clicks.
#include <gtest/gtest.h>

#include "ProgramWorld.h"

namespace qx::sim::testing {
namespace {

class ChromeHold : public ProgramWorld {};

struct HoldCase {
  const char* name;
  const wchar_t* option;
  ChromePart part;
  bool pageSets;  // what the page turns the part to
};

// The parts a page hides or shows, each with its option.
const HoldCase kHoldCases[] = {
    {"tool bar", L"ToolBar", ChromePart::ToolBar, false},
    {"menu bar", L"MenuBar", ChromePart::MenuBar, false},
    {"status bar", L"StatusBar", ChromePart::StatusBar, false},
    {"full screen", L"FullScreen", ChromePart::FullScreen, true},
    {"theater mode", L"TheaterMode", ChromePart::TheaterMode, true},
};

TEST_F(ChromeHold, APageChangingAHeldPartIsUndoneAtOnceAndAnUnheldOneIsNot) {
  for (const HoldCase& c : kHoldCases) {
    for (const bool held : {true, false}) {
      SCOPED_TRACE(::testing::Message() << c.name << (held ? " held" : " not held"));
      SimDesktop desk;
      SimDialogHost host;
      desk.store().Poke(L"Options", c.option, held ? L"True" : L"False");
      SimProgram prog(desk, host);
      ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
      const auto page = desk.browsers().OpenBrowser(L"http://news.example/");
      prog.Settle();

      desk.browsers().SetChrome(*page, c.part, c.pageSets);
      prog.Settle();

      EXPECT_EQ(page->ChromeOn(c.part), held ? !c.pageSets : c.pageSets);
    }
  }
}

TEST_F(ChromeHold, AToolBarHiddenWithTheMenuBarGetsBothBack) {
  Switch(L"ToolBar", true);
  Start();
  const auto page = Open(L"http://news.example/");

  World().SetChrome(*page, ChromePart::MenuBar, false);
  EXPECT_FALSE(page->ChromeOn(ChromePart::MenuBar));  // the menu bar alone is not held
  World().SetChrome(*page, ChromePart::ToolBar, false);

  EXPECT_TRUE(page->ChromeOn(ChromePart::ToolBar));
  EXPECT_TRUE(page->ChromeOn(ChromePart::MenuBar));
}

TEST_F(ChromeHold, AMenuBarHiddenAloneReturnsAtTheNextNavigationWhenTheToolBarIsHeld) {
  Switch(L"ToolBar", true);
  Start();
  const auto page = Open(L"http://news.example/");

  World().SetChrome(*page, ChromePart::MenuBar, false);
  ASSERT_FALSE(page->ChromeOn(ChromePart::MenuBar));
  World().Go(*page, L"http://news.example/2");
  program.Settle();

  EXPECT_TRUE(page->ChromeOn(ChromePart::MenuBar));
}

TEST_F(ChromeHold, PartsWithoutEventsAreRestoredAtTheNextNavigation) {
  Switch(L"HoldResizable", true);
  Switch(L"SilentIE", true);
  Start();
  const auto page = Open(L"http://news.example/");
  EXPECT_TRUE(page->Silent());

  World().SetChrome(*page, ChromePart::Resizable, false);
  EXPECT_FALSE(page->ChromeOn(ChromePart::Resizable));
  World().Go(*page, L"http://news.example/2");
  program.Settle();

  EXPECT_TRUE(page->ChromeOn(ChromePart::Resizable));
}

TEST_F(ChromeHold, FramesOfAPageAreMadeSilentToo) {
  Switch(L"SilentIE", true);
  Start();
  const auto page = Open(L"http://news.example/");
  const auto frame = World().AddFrame(*page, L"side.html");
  program.Settle();

  EXPECT_TRUE(frame->Silent());
}

TEST_F(ChromeHold, TheAddressBarIsNeverHeld) {
  Switch(L"AddressBar", true);
  Start();
  const auto page = Open(L"http://news.example/");

  World().SetChrome(*page, ChromePart::AddressBar, false);
  World().Go(*page, L"http://news.example/2");
  program.Settle();

  EXPECT_FALSE(page->ChromeOn(ChromePart::AddressBar));
}

TEST_F(ChromeHold, OptionsChangedLaterApplyToTheOpenWindows) {
  Start();
  const auto page = Open(L"http://news.example/");
  World().SetChrome(*page, ChromePart::ToolBar, false);
  World().SetChrome(*page, ChromePart::FullScreen, true);
  ASSERT_FALSE(page->ChromeOn(ChromePart::ToolBar));

  Proc().settings().SetHoldToolbar(true);
  Proc().settings().SetHoldFullScreen(true);
  List().ReapplyHolds();

  EXPECT_TRUE(page->ChromeOn(ChromePart::ToolBar));
  EXPECT_FALSE(page->ChromeOn(ChromePart::FullScreen));
}

// --- Normalize -----------------------------------------------------------------

class Normalize : public ProgramWorld {
 protected:
  // The user holds the normalize keys (ALT) and clicks the window.
  void AltClick(const SimBrowser& browser) {
    desktop.keyboard().Press(kVkMenu);
    program.hookLibrary().MouseButton(true, browser.Window(), 10, 10);
    program.hookLibrary().MouseButton(false, browser.Window(), 10, 10);
    desktop.keyboard().Release(kVkMenu);
    program.Settle();
  }
};

TEST_F(Normalize, RestoresEveryPartWhateverTheOptions) {
  Start();
  const auto page = Open(L"http://news.example/");
  for (const ChromePart part : {ChromePart::ToolBar, ChromePart::MenuBar, ChromePart::StatusBar,
                                ChromePart::Resizable, ChromePart::AddressBar}) {
    World().SetChrome(*page, part, false);
  }
  World().SetChrome(*page, ChromePart::FullScreen, true);
  World().SetChrome(*page, ChromePart::TheaterMode, true);

  AltClick(*page);

  for (const ChromePart part : {ChromePart::ToolBar, ChromePart::MenuBar, ChromePart::StatusBar,
                                ChromePart::Resizable, ChromePart::AddressBar}) {
    EXPECT_TRUE(page->ChromeOn(part)) << static_cast<int>(part);
  }
  EXPECT_FALSE(page->ChromeOn(ChromePart::FullScreen));
  EXPECT_FALSE(page->ChromeOn(ChromePart::TheaterMode));
}

TEST_F(Normalize, PlacesTheWindowInsideTheWorkArea) {
  struct Case {
    const char* name;
    Rect workArea;
    Placement before;
    Placement after;
  };
  // The work area's width and height are one more than its rectangle's
  // differences: {0, 0, 1023, 737} is 1024 x 738, its right edge at 1024.
  const Case cases[] = {
      {"a small window at the far right",
       {0, 0, 1023, 737},
       {950, 100, 200, 150},
       {724, 100, 300, 400}},
      {"a small window at the bottom", {0, 0, 1023, 737}, {10, 700, 320, 100}, {10, 338, 320, 400}},
      {"a window larger than the work area",
       {0, 0, 1023, 737},
       {-50, -30, 1200, 900},
       {-4, -4, 1028, 742}},
      {"larger, with the task bar on the left",
       {120, 0, 1023, 767},
       {0, 0, 1100, 900},
       {116, -4, 908, 772}},
      {"a window off the top left", {0, 0, 1023, 737}, {-300, -200, 400, 500}, {-4, -4, 400, 500}},
      {"a window that fits stays", {0, 0, 1023, 737}, {100, 80, 800, 600}, {100, 80, 800, 600}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop desk;
    SimDialogHost host;
    desk.workArea().Set(c.workArea);
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto page = desk.browsers().OpenBrowser(L"http://news.example/");
    prog.Settle();
    desk.browsers().Place(*page, c.before.left, c.before.top, c.before.width, c.before.height);

    desk.keyboard().Press(kVkMenu);
    prog.hookLibrary().MouseButton(true, page->Window(), 5, 5);
    prog.hookLibrary().MouseButton(false, page->Window(), 5, 5);
    desk.keyboard().Release(kVkMenu);
    prog.Settle();

    const Placement p = page->Place();
    EXPECT_EQ(p.left, c.after.left);
    EXPECT_EQ(p.top, c.after.top);
    EXPECT_EQ(p.width, c.after.width);
    EXPECT_EQ(p.height, c.after.height);
  }
}

TEST_F(Normalize, AnUnreadableWorkAreaCountsAsEmpty) {
  Start();
  const auto page = Open(L"http://news.example/");
  World().Place(*page, 100, 100, 200, 150);
  desktop.failures().FailAlways("Desktop.WorkArea");

  AltClick(*page);

  // A work area of zeros is 1 x 1 at the corner: the window moves to the
  // corner less 4 pixels and shrinks to end at 1.
  const Placement p = page->Place();
  EXPECT_EQ(p.left, -4);
  EXPECT_EQ(p.top, -4);
  EXPECT_EQ(p.width, 5);
  EXPECT_EQ(p.height, 5);
  EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace qx::sim::testing
