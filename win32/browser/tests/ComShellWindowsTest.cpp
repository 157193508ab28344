// The shell's window list: its entries as browsers, its announcements with
// their cookies, and a shell that cannot count.
#include <gmock/gmock.h>

#include <exdispid.h>

#include "ComFakes.h"
#include "win32/browser/ComShellWindows.h"

namespace qx::win::testing {
namespace {

using ::testing::ElementsAre;

class Announcements final : public ShellWindowEvents {
 public:
  void WindowRegistered(std::int32_t cookie) override {
    heard.push_back(L"+" + std::to_wstring(cookie));
  }
  void WindowRevoked(std::int32_t cookie) override {
    heard.push_back(L"-" + std::to_wstring(cookie));
  }
  std::vector<std::wstring> heard;
};

TEST(ComShellWindowsTest, ListsBrowsersOnlyAndFailsOnlyWhereTheShellFails) {
  ComPtr<FakeShellWindows> shell = Make<FakeShellWindows>();
  ComPtr<FakeBrowser> first = Make<FakeBrowser>();
  first->location = L"http://one.example/";
  ComPtr<FakeObject> folder = Make<FakeObject>();  // no browser
  ComPtr<FakeBrowser> second = Make<FakeBrowser>();
  second->location = L"http://two.example/";
  shell->Open(first->AsDispatch());
  shell->Open(folder->AsDispatch());
  shell->Open(second->AsDispatch());

  ComShellWindows list(shell);
  ASSERT_EQ(list.Count(), 3);
  ASSERT_NE(list.Item(0), nullptr);
  EXPECT_EQ(list.Item(0)->LocationURL(), L"http://one.example/");
  EXPECT_EQ(list.Item(1), nullptr);
  EXPECT_EQ(list.Item(2)->LocationURL(), L"http://two.example/");
  EXPECT_EQ(list.Item(3), nullptr) << "past the end";
  EXPECT_EQ(list.Item(-1), nullptr);
  // A shell that cannot count has no windows; any other failure is one.
  shell->failure = E_NOTIMPL;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Item(0), nullptr);
  shell->failure = RPC_E_SERVERFAULT;
  EXPECT_THROW(list.Count(), PlatformError);
  EXPECT_THROW(list.Item(0), PlatformError);
  ComShellWindows none{ComPtr<IShellWindows>()};
  EXPECT_THROW(none.Count(), PlatformError);
}

TEST(ComShellWindowsTest, AnnouncementsCarryTheirCookies) {
  ComPtr<FakeShellWindows> shell = Make<FakeShellWindows>();
  ComShellWindows list(shell);
  Announcements sink;
  auto connection = list.Connect(sink);
  ComPtr<FakeBrowser> a = Make<FakeBrowser>();
  const LONG ca = shell->Open(a->AsDispatch());
  shell->Close(ca);
  // A cookie as a short is still a number.
  VARIANT shortCookie;
  VariantInit(&shortCookie);
  shortCookie.vt = VT_I2;
  shortCookie.iVal = 7;
  EXPECT_EQ(shell->Events().Fire(DISPID_WINDOWREVOKED, {shortCookie}), S_OK);
  const std::wstring c = std::to_wstring(ca);
  EXPECT_THAT(sink.heard, ElementsAre(L"+" + c, L"-" + c, L"-7"));

  Value text = Value::Str(L"3");
  UINT bad = 9;
  EXPECT_EQ(shell->Events().Fire(DISPID_WINDOWREGISTERED, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(shell->Events().Fire(DISPID_WINDOWREGISTERED, {Plain(text)}, nullptr, &bad),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 0u);
  connection.reset();
  EXPECT_EQ(shell->Events().Sinks(), 0u);
  shell->Open(a->AsDispatch());
  EXPECT_EQ(sink.heard.size(), 3u);
  EXPECT_THROW(ComShellWindows{ComPtr<IShellWindows>()}.Connect(sink), PlatformError);
}

}  // namespace
}  // namespace qx::win::testing
