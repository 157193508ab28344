// The core's calls on a browser reach IWebBrowser2 with the right values,
// and a failing browser answers PlatformError.
#include <gmock/gmock.h>

#include <functional>

#include "ComFakes.h"
#include "win32/browser/ComBrowser.h"

namespace qx::win::testing {
namespace {

class ComBrowserTest : public ::testing::Test {
 protected:
  ComPtr<FakeBrowser> fake = Make<FakeBrowser>();
  ComBrowser browser{fake};
};

TEST_F(ComBrowserTest, ReadsTheWindowItsTagsAndItsChrome) {
  fake->window = 0x1234;
  fake->location = L"http://shop.example/";
  fake->topLevel = false;
  EXPECT_EQ(browser.HWND(), 0x1234u);
  EXPECT_EQ(browser.FullName(), L"C:\\Program Files\\Internet Explorer\\iexplore.exe");
  EXPECT_EQ(browser.LocationURL(), L"http://shop.example/");
  EXPECT_FALSE(browser.TopLevelContainer());
  EXPECT_EQ(browser.GetDocument(), nullptr) << "no document is none";
  // A frame or hosted control has no window of its own: the call fails.
  fake->window = 0;
  EXPECT_THROW(browser.HWND(), PlatformError);

  // Tags are boolean properties of the window; another program's value of
  // another type is no tag.
  EXPECT_EQ(browser.GetProperty(L"QXtag1"), std::nullopt) << "unset";
  browser.PutProperty(L"QXtag1", true);
  EXPECT_EQ(fake->properties[L"QXtag1"].get().vt, VT_BOOL);
  EXPECT_EQ(browser.GetProperty(L"QXtag1"), std::optional<bool>(true));
  browser.PutProperty(L"QXtag2", false);
  EXPECT_EQ(browser.GetProperty(L"QXtag2"), std::optional<bool>(false));
  fake->properties[L"QXtag1"] = Value::Str(L"True");
  EXPECT_EQ(browser.GetProperty(L"QXtag1"), std::nullopt);

  // Each setter reaches its own property, each getter reads it back.
  browser.SetVisible(true);
  browser.SetFullScreen(true);
  browser.SetMenuBar(false);
  browser.SetToolBar(0);
  browser.SetStatusBar(false);
  browser.SetTheaterMode(true);
  browser.SetResizable(false);
  browser.SetSilent(true);
  browser.SetAddressBar(false);
  browser.SetLeft(-4);
  browser.SetTop(7);
  browser.SetWidth(300);
  browser.SetHeight(400);
  EXPECT_TRUE(fake->visible && browser.Visible());
  EXPECT_TRUE(fake->fullScreen && browser.FullScreen());
  EXPECT_FALSE(fake->menuBar || browser.MenuBar());
  EXPECT_EQ(browser.ToolBar(), fake->toolBar);
  EXPECT_FALSE(fake->statusBar || browser.StatusBar());
  EXPECT_TRUE(fake->theaterMode && browser.TheaterMode());
  EXPECT_FALSE(fake->resizable || browser.Resizable());
  EXPECT_TRUE(fake->silent && browser.Silent());
  EXPECT_FALSE(fake->addressBar || browser.AddressBar());
  EXPECT_EQ(std::vector<int>({browser.Left(), browser.Top(), browser.Width(), browser.Height()}),
            std::vector<int>({-4, 7, 300, 400}));
  EXPECT_EQ(fake->toolBar, 0);
}

TEST_F(ComBrowserTest, Navigate2LeavesOutWhatTheNavigationDoesNotName) {
  Navigation plain;
  plain.url = L"http://pop.example/";
  browser.Navigate2(plain);
  Navigation full;
  full.url = L"http://shop.example/order";
  full.flags = 2;
  full.targetFrameName = L"_top";
  full.postData = std::string("q=1\0z", 5);
  full.headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
  browser.Navigate2(full);
  ASSERT_EQ(fake->navigations.size(), 2u);

  const NavigateCall& first = fake->navigations[0];
  EXPECT_EQ(StringOf(first.url.get()), std::optional<std::wstring>(L"http://pop.example/"));
  EXPECT_EQ(first.target.get().vt, VT_ERROR);
  EXPECT_EQ(first.target.get().scode, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(first.postData.get().vt, VT_ERROR);
  EXPECT_EQ(first.headers.get().vt, VT_ERROR);

  const NavigateCall& second = fake->navigations[1];
  EXPECT_EQ(IntOf(second.flags.get()), std::optional<std::int32_t>(2));
  EXPECT_EQ(StringOf(second.target.get()), std::optional<std::wstring>(L"_top"));
  EXPECT_EQ(second.postData.get().vt, VT_ARRAY | VT_UI1);
  EXPECT_EQ(BytesOf(second.postData.get()), std::optional<std::string>(std::string("q=1\0z", 5)));
  EXPECT_EQ(StringOf(second.headers.get()),
            std::optional<std::wstring>(L"Content-Type: application/x-www-form-urlencoded\r\n"));
}

TEST_F(ComBrowserTest, AGoneBrowserFailsEveryKindOfCall) {
  fake->failure = RPC_E_DISCONNECTED;
  const std::pair<const char*, std::function<void()>> calls[] = {
      {"HWND", [&] { browser.HWND(); }},
      {"FullName", [&] { browser.FullName(); }},
      {"Visible", [&] { browser.Visible(); }},
      {"SetVisible", [&] { browser.SetVisible(true); }},
      {"SetMenuBar", [&] { browser.SetMenuBar(true); }},
      {"SetSilent", [&] { browser.SetSilent(true); }},
      {"LocationURL", [&] { browser.LocationURL(); }},
      {"GetDocument", [&] { browser.GetDocument(); }},
      {"GetProperty", [&] { browser.GetProperty(L"QXtag1"); }},
      {"PutProperty", [&] { browser.PutProperty(L"QXtag1", true); }},
      {"Navigate2",
       [&] {
         Navigation n;
         n.url = L"http://a.example/";
         browser.Navigate2(n);
       }},
      {"Quit", [&] { browser.Quit(); }},
      {"Stop", [&] { browser.Stop(); }},
      {"ToolBar", [&] { browser.ToolBar(); }},
      {"SetToolBar", [&] { browser.SetToolBar(1); }},
      {"Left", [&] { browser.Left(); }},
      {"SetHeight", [&] { browser.SetHeight(400); }},
  };
  for (const auto& [name, call] : calls) {
    try {
      call();
      ADD_FAILURE() << name << " did not fail";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.Number(), static_cast<std::int32_t>(RPC_E_DISCONNECTED)) << name;
    }
  }
  // No browser object at all: every call fails before it is made.
  ComBrowser none{ComPtr<IWebBrowser2>()};
  EXPECT_THROW(none.Visible(), PlatformError);
  EXPECT_THROW(none.Stop(), PlatformError);
}

}  // namespace
}  // namespace qx::win::testing
