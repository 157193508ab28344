// The real program over the browser adapters: the browser raises the events
// of a page that opens a window by itself, and of a user's click on a link
// that opens in a new window. The first is caught in the hidden browser,
// cancelled and logged; the second opens in a new browser window.
#include <gmock/gmock.h>

#include "FakePage.h"
#include "TestWorld.h"
#include "browser/BrowserList.h"
#include "win32/browser/ComBrowser.h"
#include "win32/browser/ComDom.h"
#include "win32/browser/ComShellWindows.h"

namespace qx::win::testing {
namespace {

// New windows are fakes; the hidden control is a fake browser object too.
class FakeFactory final : public BrowserFactory {
 public:
  std::shared_ptr<Browser> NewBrowserWindow() override {
    opened.push_back(Make<FakeBrowser>());
    return std::make_shared<ComBrowser>(opened.back());
  }
  std::shared_ptr<Browser> CreateHiddenBrowserControl() override {
    return std::make_shared<ComBrowser>(catcher);
  }
  ComPtr<FakeBrowser> catcher = [] {
    ComPtr<FakeBrowser> control = Make<FakeBrowser>();
    control->fullName = L"C:\\Program Files\\Quellix\\Quellix.exe";
    control->inProcess = true;
    return control;
  }();
  std::vector<ComPtr<FakeBrowser>> opened;
};

bool Same(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> x;
  ComPtr<IUnknown> y;
  if (a) a->QueryInterface(IID_PPV_ARGS(&x));
  if (b) b->QueryInterface(IID_PPV_ARGS(&y));
  return x.Get() == y.Get();
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.Start());
    // The user opens a browser window; the shell announces it.
    shell->Open(page.browser->AsDispatch());
    ASSERT_EQ(world.form().Browsers().Count(), 1u) << "a monitor for the window";
    page.Load();
  }

  ComPtr<FakeShellWindows> shell = Make<FakeShellWindows>();
  ComShellWindows list{shell};
  FakeFactory factory;
  ProgramWorld world{list, factory};
  FakePage page{0x1001, L"http://shop.example/"};
};

TEST_F(EndToEndTest, AWindowThePageOpensByItselfIsCaughtCancelledAndLogged) {
  const FakePage::NewWindow window = page.OpenWindow();
  ASSERT_FALSE(window.cancelled) << "the window opens in the hidden browser";
  ASSERT_TRUE(Same(window.object.Get(), factory.catcher->AsDispatch()));
  EXPECT_GE(factory.catcher->stops, 1) << "the catcher was stopped before it was armed";

  // The browser navigates the object it was given to the pop-up's address.
  EXPECT_TRUE(FakePage::Navigating(*factory.catcher.Get(), L"http://pop.example/ad", L""))
      << "the catcher cancels the pop-up's navigation";

  const auto& log = world.process().popupLog().GetLogItems();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Source, L"http://shop.example/");
  EXPECT_EQ(log[0].Target, L"http://pop.example/ad");
  EXPECT_EQ(world.process().popupLog().TotalPopupCount(), 1);
  EXPECT_TRUE(factory.opened.empty());

  // Nothing is armed any more: a later navigation of the catcher is only
  // cancelled.
  EXPECT_TRUE(FakePage::Navigating(*factory.catcher.Get(), L"http://pop.example/again", L""));
  EXPECT_EQ(world.process().popupLog().GetLogItems().size(), 1u);
}

// The notice over the tray icon says what was stopped and why; a click on it
// (the shell's NIN_BALLOONUSERCLICK on the icon's callback) opens its menu,
// and "Allow" there adds the site's rule as the log's "Allow" does.
TEST_F(EndToEndTest, TheNoticeOfAKillOffersToAllowTheSite) {
  page.OpenWindow();
  ASSERT_TRUE(FakePage::Navigating(*factory.catcher.Get(), L"http://pop.example/ad", L""));
  ASSERT_EQ(world.tray.balloons.size(), 1u);
  EXPECT_EQ(world.tray.balloons[0].first, L"Pop-up blocked");
  EXPECT_EQ(world.tray.balloons[0].second,
            L"shop.example tried to open pop.example/ad \u2014 no click on the page before it "
            L"opened. Click here to allow pop-ups from shop.example.");
  ASSERT_EQ(world.process().popupLog().GetLogItems().size(), 1u);
  EXPECT_EQ(world.process().popupLog().GetLogItems()[0].Reason,
            L"no click on the page before it opened");
  EXPECT_FALSE(world.process().websites().Allow(L"http://shop.example/"));

  world.menus.answer = L"allow";
  world.form().TrayIcon()->OnCallback(kBalloonUserClick);
  EXPECT_TRUE(world.process().websites().Allow(L"http://shop.example/"));

  // "Don't show these notices" turns the option off.
  world.menus.answer = L"quiet";
  world.form().TrayIcon()->OnCallback(kBalloonUserClick);
  EXPECT_FALSE(world.process().settings().ShowNotice());
}

TEST_F(EndToEndTest, AClickOnALinkThatOpensANewWindowOpensIt) {
  ComPtr<FakeObject> link = page.AddLink(L"http://shop.example/item", L"_blank");
  page.Fire(*link.Get(), dom_event::kMouseDown, 1);
  // The press gives the link the focus.
  page.document->Set(L"activeElement", Value::Object(link->AsDispatch()));
  ASSERT_EQ(link->Point(DIID_HTMLElementEvents2)->Sinks(), 1u) << "the pressed link is followed";
  page.Fire(*link.Get(), dom_event::kMouseUp, 1);
  page.Fire(*link.Get(), dom_event::kClick);
  EXPECT_EQ(link->Point(DIID_HTMLElementEvents2)->Sinks(), 0u) << "the click ends the press";

  const FakePage::NewWindow window = page.OpenWindow();
  ASSERT_FALSE(window.cancelled);
  ASSERT_TRUE(Same(window.object.Get(), factory.catcher->AsDispatch()))
      << "caught to check it against the link";
  EXPECT_TRUE(FakePage::Navigating(*factory.catcher.Get(), L"http://shop.example/item", L"_blank"));

  // It is what the link points at: it opens in a new browser window, shown.
  ASSERT_EQ(factory.opened.size(), 1u);
  FakeBrowser& opened = *factory.opened[0].Get();
  ASSERT_EQ(opened.navigations.size(), 1u);
  EXPECT_EQ(StringOf(opened.navigations[0].url.get()),
            std::optional<std::wstring>(L"http://shop.example/item"));
  EXPECT_EQ(opened.navigations[0].target.get().vt, VT_ERROR) << "no target frame name";
  EXPECT_EQ(opened.navigations[0].target.get().scode, DISP_E_PARAMNOTFOUND);
  EXPECT_TRUE(opened.visible);
  EXPECT_TRUE(world.process().popupLog().GetLogItems().empty());
}

TEST_F(EndToEndTest, AClosedWindowIsForgotten) {
  page.browser->Events().Fire(DISPID_ONQUIT, {});
  shell->Close(0);
  EXPECT_EQ(world.form().Browsers().Count(), 0u);
  EXPECT_EQ(page.browser->Events().Sinks(), 0u) << "its events were given up";
}

}  // namespace
}  // namespace qx::win::testing
