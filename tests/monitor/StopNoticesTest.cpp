// What the notices and the recently-blocked menu say of each kind of stop,
// when kills share a notice, and what each offers to undo.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "monitor/StopNotices.h"

namespace qx {
namespace {

StopReport Popup(std::wstring source, std::wstring target, std::wstring reason = L"why") {
  StopReport r;
  r.source = std::move(source);
  r.target = std::move(target);
  r.reason = std::move(reason);
  return r;
}

StopReport WindowStop(StopKind kind, std::wstring caption) {
  StopReport r;
  r.kind = kind;
  r.browser = false;
  r.source = L"c:\\program files\\other\\other.exe";
  r.target = std::move(caption);
  r.reason = L"why";
  return r;
}

// notices.scn walks each kind's notice; these are the texts it does not
// (a "www." name in capitals, a page without an address, a page killed by
// the hot key).
TEST(StopNotices, EachKindSaysWhatHappenedAndWhy) {
  StopReport hotPage = Popup(L"http://www.news.example/", L"http://www.news.example/");
  hotPage.kind = StopKind::HotKey;
  struct Case {
    StopReport report;
    const wchar_t* title;
    const wchar_t* text;
  };
  const Case cases[] = {
      {Popup(L"http://www.News.example/index.html", L"http://ads.example/win.html"),
       L"Pop-up blocked",
       L"news.example tried to open ads.example/win.html \u2014 why. Click "
       L"here to allow pop-ups "
       L"from news.example."},
      // A page whose address could not be read: nothing to allow.
      {Popup(L"", L""), L"Pop-up blocked", L"A page tried to open a new window \u2014 why."},
      {hotPage, L"Window closed", L"www.news.example/ was closed \u2014 why."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoticeTitle(c.report), c.title) << ToUtf8(c.text);
    EXPECT_EQ(NoticeText(c.report, 1), c.text);
  }
}

TEST(StopNotices, WhatCanBeUndone) {
  StopReport dialog = Popup(L"http://shop.example/", L"\"Survey\" (Web page dialog)");
  dialog.kind = StopKind::WebDialog;
  StopReport page = Popup(L"", L"http://ads.example/land.html");
  page.kind = StopKind::AlwaysKillPage;
  StopReport ban = WindowStop(StopKind::HotKey, L"chat");
  ban.detail = L"banned";
  struct Case {
    const char* name;
    StopReport report;
    bool open, allow, kill;
  };
  const Case cases[] = {
      {"pop-up", Popup(L"http://news.example/", L"http://ads.example/w.html"), true, true, true},
      {"pop-up, address unknown", Popup(L"http://news.example/", L"unknown"), false, true, false},
      {"pop-up of an unknown page", Popup(L"", L"http://ads.example/w.html"), true, false, true},
      {"web page dialog", dialog, false, true, false},
      {"always-kill page", page, true, false, false},
      {"window rule", WindowStop(StopKind::WindowRule, L"you won"), false, false, false},
      {"hot-key kill", WindowStop(StopKind::HotKey, L"chat"), false, false, true},
      {"hot-key ban", ban, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CanOpen(c.report), c.open) << c.name;
    EXPECT_EQ(CanAllow(c.report), c.allow) << c.name;
    EXPECT_EQ(CanAlwaysKill(c.report), c.kill) << c.name;
  }
}

TEST(StopNotices, KillsFromOneSourceWithinTenSecondsShareANotice) {
  NoticeBoard board;
  EXPECT_FALSE(board.Last());
  const StopReport a = Popup(L"http://news.example/", L"http://ads.example/1.html");
  EXPECT_EQ(board.Add(a, 100).count, 1);
  EXPECT_EQ(board.Add(a, 109.5).count, 2);
  // The window slides: each kill keeps the notice open another ten seconds.
  const Notice& third = board.Add(Popup(L"http://news.example/b", L"unknown"), 119);
  EXPECT_EQ(third.count, 3);
  EXPECT_EQ(third.text,
            L"3 pop-ups blocked on news.example. Click here to "
            L"allow pop-ups from news.example.");
  // The menu acts on the latest.
  EXPECT_EQ(board.Last()->report.source, L"http://news.example/b");
  EXPECT_EQ(board.Add(a, 129).count, 1);
  // Another source starts afresh, and so does the first one after it.
  EXPECT_EQ(board.Add(Popup(L"http://shop.example/", L"x"), 130).count, 1);
  EXPECT_EQ(board.Add(a, 131).count, 1);
  // A clock that went back never joins.
  EXPECT_EQ(board.Add(a, 50).count, 1);
  // Windows of one program count as windows.
  board.Add(WindowStop(StopKind::WindowRule, L"a"), 200);
  const Notice& windows = board.Add(WindowStop(StopKind::HotKey, L"b"), 201);
  EXPECT_EQ(windows.text, L"2 windows of other.exe closed.");
  // Pages whose address is unknown are no one source.
  board.Add(Popup(L"", L""), 300);
  EXPECT_EQ(board.Add(Popup(L"", L""), 301).count, 1);
}

TEST(StopNotices, RecentKeepsTheLastTenNewestFirst) {
  RecentStops recent;
  for (int i = 1; i <= 12; ++i) {
    recent.Add(Popup(L"http://news.example/", L"http://ads.example/" + std::to_wstring(i)));
  }
  ASSERT_EQ(recent.Items().size(), kRecentStops);
  EXPECT_EQ(recent.Items().front().target, L"http://ads.example/12");
  EXPECT_EQ(recent.Items().back().target, L"http://ads.example/3");
}

TEST(StopNotices, LabelsNameTheSiteOrTheCaption) {
  EXPECT_EQ(StopLabel(Popup(L"http://www.news.example/x", L"unknown")), L"news.example");
  EXPECT_EQ(StopLabel(Popup(L"", L"")), L"(unknown page)");
  EXPECT_EQ(StopLabel(WindowStop(StopKind::WindowRule, L"you won")), L"you won");
  EXPECT_EQ(StopLabel(WindowStop(StopKind::HotKey, L"")), L"other.exe");
}

}  // namespace
}  // namespace qx
