// What the system's own browser pieces do through the adapters, as far as
// this system has them: the shell's window list, the browser control hosted
// out of sight, and the program's page catcher on that control.
#include <gmock/gmock.h>

#include <functional>

#include "FakePage.h"
#include "TestWorld.h"
#include "win32/browser/BrowserPorts.h"
#include "win32/browser/ComBrowser.h"
#include "win32/browser/ComShellWindows.h"

namespace qx::win::testing {
namespace {

// Runs this thread's messages until done() or the bound passes; answers
// done(). Browser events from the control arrive as messages.
bool RunMessagesUntil(const std::function<bool()>& done, ULONGLONG ms = 15000) {
  const ULONGLONG bound = GetTickCount64() + ms;
  while (!done() && GetTickCount64() < bound) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

class Navigations final : public BrowserEvents {
 public:
  void BeforeNavigate2(Browser&, Navigation& navigation, bool& cancel) override {
    urls.push_back(navigation.url);
    cancel = true;
  }
  void NewWindow2(std::shared_ptr<Browser>&, bool& cancel) override { cancel = true; }
  void NavigateComplete2(Browser&, const std::wstring& url) override { completed.push_back(url); }
  void DownloadComplete() override {}
  void OnQuit() override {}
  void OnFullScreen(bool) override {}
  void OnMenuBar(bool) override {}
  void OnStatusBar(bool) override {}
  void OnTheaterMode(bool) override {}
  void OnToolBar(bool) override {}
  std::vector<std::wstring> urls;
  std::vector<std::wstring> completed;
};

class Registrations final : public ShellWindowEvents {
 public:
  void WindowRegistered(std::int32_t) override {}
  void WindowRevoked(std::int32_t) override {}
};

TEST(WineBrowserTest, TheShellsWindowListIsEmptyOrFailsButNeverCrashes) {
  ComPtr<IShellWindows> shell;
  const HRESULT made =
      CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&shell));
  const auto list = MakeShellWindowList();
  Registrations sink;
  if (FAILED(made)) {
    // A system that cannot make the list now (a fresh Wine prefix whose
    // shell is not up yet): every call fails as an outside failure.
    EXPECT_THROW(list->Count(), PlatformError);
    EXPECT_THROW(list->Item(0), PlatformError);
    EXPECT_THROW(list->Connect(sink), PlatformError);
    return;
  }
  // Wine's list does not implement its count or items: no windows.
  LONG count = -1;
  if (shell->get_Count(&count) == E_NOTIMPL) {
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Item(0), nullptr);
  } else {
    EXPECT_EQ(list->Count(), count);
    EXPECT_EQ(list->Item(count), nullptr) << "past the end";
  }
  // A list without a connection point fails to connect; nothing else.
  try {
    auto connection = list->Connect(sink);
  } catch (const PlatformError&) {
  }
}

TEST(WineBrowserTest, TheHiddenControlStartsAndItsNavigationCanBeCancelled) {
  const auto factory = MakeBrowserFactory(nullptr);
  std::shared_ptr<Browser> control;
  ASSERT_NO_THROW(control = factory->CreateHiddenBrowserControl());
  ASSERT_NE(control, nullptr);
  Navigations heard;
  auto connection = control->Connect(heard);
  Navigation to;
  to.url = L"http://www.quellix.example/caught";
  control->Navigate2(to);
  ASSERT_TRUE(RunMessagesUntil([&] { return !heard.urls.empty(); }))
      << "BeforeNavigate2 never arrived";
  EXPECT_EQ(heard.urls[0], L"http://www.quellix.example/caught");
  // Cancelled: the control never completes that navigation.
  RunMessagesUntil([] { return false; }, 500);
  EXPECT_TRUE(heard.completed.empty());
}

TEST(WineBrowserTest, ANewBrowserWindowStartsHiddenAndNavigatesWithAnOmittedTarget) {
  const auto factory = MakeBrowserFactory(nullptr);
  std::shared_ptr<Browser> window;
  ASSERT_NO_THROW(window = factory->NewBrowserWindow());
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->Visible()) << "shown only when the program says so";
  Navigations heard;
  auto connection = window->Connect(heard);
  Navigation to;
  to.url = L"http://www.quellix.example/reopened";
  // No target frame name: the argument goes as omitted.
  window->Navigate2(to);
  ASSERT_TRUE(RunMessagesUntil([&] { return !heard.urls.empty(); }))
      << "BeforeNavigate2 never arrived";
  EXPECT_EQ(heard.urls[0], L"http://www.quellix.example/reopened");
  connection.reset();
  // Wine's browser application does not implement Quit; its process ends
  // with the Wine session.
  try {
    window->Quit();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.Number(), static_cast<std::int32_t>(E_NOTIMPL));
  }
}

// The hidden control is the system's; new windows are fakes.
class SystemCatcherFactory final : public BrowserFactory {
 public:
  std::shared_ptr<Browser> NewBrowserWindow() override {
    opened.push_back(Make<FakeBrowser>());
    return std::make_shared<ComBrowser>(opened.back());
  }
  std::shared_ptr<Browser> CreateHiddenBrowserControl() override {
    return system->CreateHiddenBrowserControl();
  }
  std::unique_ptr<BrowserFactory> system = MakeBrowserFactory(nullptr);
  std::vector<ComPtr<FakeBrowser>> opened;
};

TEST(WineBrowserTest, APopupCaughtInTheSystemsControlIsCancelledAndLogged) {
  ComPtr<FakeShellWindows> shell = Make<FakeShellWindows>();
  ComShellWindows list(shell);
  SystemCatcherFactory factory;
  ProgramWorld world(list, factory);
  ASSERT_TRUE(world.Start());
  ASSERT_NE(world.form().PageSink(), nullptr) << "the system's control hosts the catcher";
  FakePage page(0x2002, L"http://shop.example/");
  shell->Open(page.browser->AsDispatch());
  page.Load();

  const FakePage::NewWindow window = page.OpenWindow();
  ASSERT_FALSE(window.cancelled);
  ComPtr<IWebBrowser2> target;
  ASSERT_NE(window.object, nullptr);
  ASSERT_TRUE(SUCCEEDED(window.object.As(&target))) << "the catcher is a browser object";
  // As the browser does with the object it was given: navigate it.
  Variant url;
  Variant::SetString(*url.get(), L"http://pop.example/real");
  Variant none;
  ASSERT_TRUE(
      SUCCEEDED(target->Navigate2(url.get(), none.get(), none.get(), none.get(), none.get())));
  const auto& log = world.process().popupLog().GetLogItems();
  ASSERT_TRUE(RunMessagesUntil([&] { return !log.empty(); }))
      << "the catcher never heard the navigation";
  EXPECT_EQ(log[0].Source, L"http://shop.example/");
  EXPECT_EQ(log[0].Target, L"http://pop.example/real");
  EXPECT_TRUE(factory.opened.empty());
  world.Stop();
}

}  // namespace
}  // namespace qx::win::testing
