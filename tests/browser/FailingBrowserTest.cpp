// Browsers, pages and the shell's window list whose calls fail, as a closing
// or hung browser's do: the program never breaks, keeps running, and still
// blocks what it can.
#include <gtest/gtest.h>

#include "ProgramWorld.h"
#include "base/Text.h"

namespace qx::sim::testing {
namespace {

// A little of everything the browser watch handles, on one page.
void Workout(SimDesktop& desk, SimProgram& prog, SimBrowser& page) {
  SimBrowsers& w = desk.browsers();
  const auto link = w.AddElement(page, L"a", {{L"href", L"story.html"}, {L"target", L"_blank"}});
  const auto script = w.AddElement(page, L"a", {{L"href", L"javascript:open('js.html')"}});
  const auto button = w.AddElement(page, L"button", {{L"onclick", L"dialog \"Hi\"; open b.html"}});
  const auto form = w.AddElement(page, L"form", {{L"action", L"find"}, {L"target", L"_blank"}});
  const auto field = w.AddElement(page, L"input", {{L"type", L"text"}, {L"name", L"q"}}, form);
  const auto frame = w.AddFrame(page, L"frame.html", L"side");
  const auto inner = w.AddElement(*frame, L"a", {{L"href", L"inner.html"}, {L"target", L"_blank"}});

  w.ScriptOpen(page, L"pop1.html");
  w.ScriptDialog(page, L"Alone");
  w.Click(*link);
  w.Click(*script);
  w.Click(*button);
  w.Key(*field, PageKey::Enter);
  w.NewWindowFromMenu(*link);
  w.Click(*inner);
  w.ScriptOpen(*frame, L"pop2.html");
  w.ScriptGo(page, L"javascript:while(1)f()");
  for (const ChromePart part :
       {ChromePart::ToolBar, ChromePart::MenuBar, ChromePart::StatusBar, ChromePart::Resizable}) {
    w.SetChrome(page, part, false);
  }
  w.SetChrome(page, ChromePart::FullScreen, true);
  desk.keyboard().Press(kVkMenu);
  prog.hookLibrary().MouseButton(true, page.Window(), 1, 1);
  prog.hookLibrary().MouseButton(false, page.Window(), 1, 1);
  desk.keyboard().Release(kVkMenu);
  prog.Run([&] { prog.form()->Browsers().ReapplyHolds(); });
  w.Go(page, L"http://ads.example/kill/now.html");
}

class FailingBrowser : public ProgramWorld, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailingBrowser, NeverBreaksTheProgramAndBlockingResumesWhenTheCallsWorkAgain) {
  SetOption(L"SilentIE", L"True");
  SetOption(L"ToolBar", L"True");
  SetOption(L"FullScreen", L"True");
  SetOption(L"HoldResizable", L"True");
  Start();
  AddRule(L"ads.example/kill", 3);
  const auto before = Open(L"http://news.example/");

  desktop.failures().FailAlways(GetParam());
  const auto during = World().OpenBrowser(L"http://shop.example/");
  program.Settle();
  Workout(desktop, program, *before);
  if (during->IsOpen()) Workout(desktop, program, *during);
  desktop.Advance(60000);  // the ping
  program.Settle();
  if (during->IsOpen()) World().Quit(*during);
  program.Settle();
  ASSERT_TRUE(program.Running());
  EXPECT_FALSE(desktop.errorDialog().Loaded());

  desktop.failures().Clear();
  const auto after = Open(L"http://ads.example/");
  const std::size_t logged = Log().size();
  const std::int32_t kills = Kills();
  EXPECT_EQ(World().ScriptOpen(*after, L"late.html"), nullptr);
  program.Settle();
  ASSERT_EQ(Log().size(), logged + 1);
  EXPECT_EQ(Log().back().Source, L"http://ads.example/");
  EXPECT_EQ(Log().back().Target, L"http://ads.example/late.html");
  EXPECT_EQ(Kills(), kills + 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCallOf, FailingBrowser,
    ::testing::Values("Browser", "Document", "Element", "HtmlWindow", "ShellWindows",
                      "BrowserFactory", "Shell.UrlUnescape", "Browser.HWND", "Browser.GetProperty",
                      "Browser.PutProperty", "Browser.LocationURL", "Browser.GetDocument",
                      "Browser.Connect", "Browser.Stop", "Browser.Visible", "Browser.FullName",
                      "Browser.Navigate2", "Document.Connect", "Document.ParentWindow",
                      "Document.ActiveElement", "Document.EmbeddedBrowsers",
                      "HtmlWindow.CurrentEvent", "Element.TagName", "Element.Connect",
                      "Element.DefaultValue", "Element.Href"),
    [](const ::testing::TestParamInfo<const char*>& param) {
      std::string name = param.param;
      for (char& c : name) {
        if (c == '.') c = '_';
      }
      return name;
    });

// What is still blocked while a part of the browser fails.
struct StillBlocked {
  const char* rule;
  bool unsolicitedWindow;  // a window a watched page opens by itself
  bool newPagesWatched;    // a browser opened while the calls fail is watched
};

TEST(FailingBrowserBlocking, WhatCanStillBeJudgedIsStillBlocked) {
  const StillBlocked cases[] = {
      {"Document", true, true},      {"Element", true, true},       {"HtmlWindow", true, true},
      {"ShellWindows", true, false}, {"Browser.HWND", true, false}, {"Browser", true, false},
  };
  for (const StillBlocked& c : cases) {
    SCOPED_TRACE(c.rule);
    SimDesktop desk;
    SimDialogHost host;
    SimProgram prog(desk, host);
    ASSERT_EQ(prog.Start(L"auto"), StartOutcome::Running);
    const auto watched = desk.browsers().OpenBrowser(L"http://ads.example/");
    prog.Settle();

    desk.failures().FailAlways(c.rule);
    const auto fresh = desk.browsers().OpenBrowser(L"http://ads.example/new");
    prog.Settle();
    const auto first = desk.browsers().ScriptOpen(*watched, L"a.html");
    const auto second = desk.browsers().ScriptOpen(*fresh, L"b.html");
    prog.Settle();

    EXPECT_EQ(first == nullptr, c.unsolicitedWindow);
    EXPECT_EQ(second == nullptr, c.newPagesWatched);
    EXPECT_TRUE(prog.Running());
  }
}

}  // namespace
}  // namespace qx::sim::testing
