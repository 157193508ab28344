// The browser watch on its own: one monitor on a simulated browser, its host
// a fake that records what the watch decided.
#include <gtest/gtest.h>

#include "FakeBrowserHost.h"
#include "browser/NewWindowDecision.h"
#include "sim/SimBrowsers.h"

namespace qx::testing {
namespace {

class FakeHostTest : public ::testing::Test {
 protected:
  // A browser on about:blank, watched, then navigated to url.
  std::shared_ptr<sim::SimBrowser> Watch(std::wstring_view url) {
    auto browser = desktop.browsers().OpenBrowser();
    monitor->Attach(browser);
    if (!url.empty()) desktop.browsers().Go(*browser, url);
    return browser;
  }

  sim::SimDesktop desktop;
  FakeBrowserHost host{desktop};
  int watched = 0;
  std::shared_ptr<BrowserMonitor> monitor = std::make_shared<BrowserMonitor>(host, watched);
};

TEST_F(FakeHostTest, APopupIsCaughtToLearnItsAddressThenStoppedWithItsReason) {
  auto page = Watch(L"http://news.example/");
  EXPECT_EQ(desktop.browsers().ScriptOpen(*page, L"http://ads.example/win.html"), nullptr);
  EXPECT_EQ(host.catches, std::vector<CatchMode>{CatchMode::Log});
  ASSERT_EQ(host.stops.size(), 1u);
  const StopReport& stop = host.stops[0];
  EXPECT_EQ(stop.kind, StopKind::Popup);
  EXPECT_EQ(stop.source, L"http://news.example/");
  EXPECT_EQ(stop.target, L"http://ads.example/win.html");
  EXPECT_EQ(stop.reason, kReasonNoClick);
  EXPECT_TRUE(stop.logged);
}

TEST_F(FakeHostTest, WithoutTheAccurateLogThePopupDiesAtOnce) {
  desktop.store().Poke(L"Options", L"KeepAccurateLog", L"False");
  FakeBrowserHost quick{desktop};
  auto watching = std::make_shared<BrowserMonitor>(quick, watched);
  auto page = desktop.browsers().OpenBrowser();
  watching->Attach(page);
  desktop.browsers().Go(*page, L"http://news.example/");
  desktop.browsers().ScriptOpen(*page, L"http://ads.example/win.html");
  EXPECT_TRUE(quick.catches.empty());
  ASSERT_EQ(quick.stops.size(), 1u);
  EXPECT_EQ(quick.stops[0].target, L"unknown");
}

TEST_F(FakeHostTest, AWindowAfterAMenuOnALinkOpensOnlyIfItIsThatLinks) {
  auto page = Watch(L"http://news.example/");
  auto link = desktop.browsers().AddElement(*page, L"a", {{L"href", L"http://news.example/x"}});
  ASSERT_TRUE(desktop.browsers().ContextMenu(*link));
  EXPECT_EQ(desktop.browsers().ScriptOpen(*page, L"http://ads.example/other.html"), nullptr);
  EXPECT_EQ(host.catches, std::vector<CatchMode>{CatchMode::Verify});
  ASSERT_EQ(host.stops.size(), 1u);
  EXPECT_EQ(host.stops[0].target, L"http://ads.example/other.html");
  EXPECT_EQ(host.stops[0].reason, kReasonOtherAddress);

  // The link's own window: caught, checked, and reopened as a window of its
  // own.
  ASSERT_TRUE(desktop.browsers().ContextMenu(*link));
  desktop.browsers().ScriptOpen(*page, L"http://news.example/x");
  ASSERT_FALSE(desktop.browsers().Opened().empty());
  EXPECT_EQ(desktop.browsers().Opened().back()->LocationURL(), L"http://news.example/x");
  EXPECT_EQ(host.stops.size(), 1u);
}

TEST_F(FakeHostTest, AnAlwaysKillFirstPageQuitsItsWindow) {
  host.killed.insert(L"http://ads.example/land.html");
  auto page = Watch(L"http://ads.example/land.html");
  ASSERT_EQ(host.stops.size(), 1u);
  EXPECT_EQ(host.stops[0].kind, StopKind::AlwaysKillPage);
  EXPECT_EQ(host.stops[0].source, L"");
  EXPECT_EQ(host.stops[0].reason, AlwaysKillReason(L"http://ads.example/land.html"));
  EXPECT_FALSE(page->IsOpen());
}

TEST_F(FakeHostTest, AllowedPagesAndBlockingOffStopNothing) {
  host.allowed.insert(L"http://shop.example/");
  auto shop = Watch(L"http://shop.example/");
  EXPECT_NE(desktop.browsers().ScriptOpen(*shop, L"http://shop.example/cart"), nullptr);
  host.blocking = false;
  desktop.browsers().Go(*shop, L"http://news.example/");
  EXPECT_NE(desktop.browsers().ScriptOpen(*shop, L"http://ads.example/win.html"), nullptr);
  EXPECT_TRUE(host.stops.empty());
  EXPECT_TRUE(host.catches.empty());
}

}  // namespace
}  // namespace qx::testing
