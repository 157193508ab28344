// Window and process questions on windows the test makes, the own windows'
// messages and the single-instance check.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <vector>

#include "win32/ports/WinDesktop.h"
#include "win32/ports/tests/UiDriver.h"

namespace qx::win {
namespace {

struct Recorder final : OwnWindowMessages {
  bool OnMessage(HWND window, UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
    if (message == WM_CLOSE || message == WM_APP + 7) {
      seen.push_back({window, message, lParam});
      result = 0;
      return true;
    }
    return false;
  }
  struct Seen {
    HWND window;
    UINT message;
    LPARAM lParam;
  };
  std::vector<Seen> seen;
};

TEST(DesktopTest, AnswersAboutOwnWindows) {
  WinDesktop desktop(L"Local\\QuellixTest.A");
  const Hwnd w = desktop.CreateOwnWindow(L"Quellix caption", L"QuellixTestClass");
  ASSERT_NE(w, 0u);
  EXPECT_EQ(desktop.WindowText(w, 350), L"Quellix caption");
  EXPECT_EQ(desktop.WindowText(w, 5), L"Quel") << "the buffer holds the NUL too";
  EXPECT_EQ(desktop.WindowText(w, 1), L"");
  EXPECT_EQ(desktop.ClassName(w, 300), L"QuellixTestClass");
  EXPECT_EQ(desktop.ClassName(w, 8), L"Quellix");
  EXPECT_EQ(desktop.WindowProcessId(w), GetCurrentProcessId());
  EXPECT_EQ(desktop.CurrentProcessId(), GetCurrentProcessId());
  EXPECT_EQ(desktop.ExStyle(w) & WS_EX_TOOLWINDOW, static_cast<std::uint32_t>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(desktop.ExStyle(w) & kWsExAppWindow, 0u);
  EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(w))) << "own windows stay hidden";
  EXPECT_EQ(desktop.Parent(w), 0u);
  EXPECT_EQ(desktop.Version().platformId, 2u) << "the NT family";
  EXPECT_GE(desktop.Version().majorVersion, 5u);

  HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 10, 10,
                               reinterpret_cast<HWND>(w), nullptr, nullptr, nullptr);
  EXPECT_EQ(desktop.Parent(reinterpret_cast<Hwnd>(child)), w);

  const std::wstring exe = desktop.ProcessFirstModuleFileName(GetCurrentProcessId(), 300);
  ASSERT_GE(exe.size(), 21u);
  EXPECT_EQ(exe.substr(exe.size() - 21), L"win32_ports_tests.exe");
  EXPECT_NE(exe.back(), L'\0');
  EXPECT_EQ(desktop.WindowModuleFileName(w, 300).empty(), false);

  EXPECT_EQ(WinDesktop::FindInstanceWindow(L"QuellixTestClass"), 0u)
      << "the own process's windows do not count";
  EXPECT_NO_THROW(desktop.PostNullMessage(w));
  desktop.DestroyOwnWindow(w);
  EXPECT_EQ(desktop.WindowText(w, 350), L"") << "a vanished window answers empty";
  EXPECT_EQ(desktop.WindowProcessId(w), 0u);
  EXPECT_THROW(desktop.PostCloseMessage(w), PlatformError);
  EXPECT_THROW(desktop.PostNullMessage(w), PlatformError);
}

TEST(DesktopTest, OwnWindowsMessagesReachTheHandler) {
  WinDesktop desktop(L"Local\\QuellixTest.B");
  Recorder recorder;
  desktop.SetMessageHandler(&recorder);
  const Hwnd w = desktop.CreateOwnWindow(L"", L"QuellixTestClass2");
  desktop.PostCloseMessage(w);
  PostMessageW(reinterpret_cast<HWND>(w), WM_APP + 7, 0, 0x204);
  ASSERT_TRUE(test::PumpUntil([&] { return recorder.seen.size() >= 2; }));
  EXPECT_EQ(recorder.seen[0].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(recorder.seen[1].lParam, 0x204);
  EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(w))) << "the handler kept the window";
  desktop.SetMessageHandler(nullptr);
  desktop.DestroyOwnWindow(w);
}

TEST(DesktopTest, TheFirstInstanceHoldsTheMutexUntilItEnds) {
  const std::wstring name = L"Local\\QuellixTest.Instance" + std::to_wstring(GetCurrentProcessId());
  auto first = std::make_unique<WinDesktop>(name);
  WinDesktop second(name);
  EXPECT_FALSE(first->PreviousInstance());
  EXPECT_FALSE(first->PreviousInstance()) << "asking again does not find itself";
  EXPECT_TRUE(second.PreviousInstance());
  first.reset();
  EXPECT_FALSE(second.PreviousInstance()) << "the first one ended";
  WinDesktop third(name);
  EXPECT_TRUE(third.PreviousInstance());
}

}  // namespace
}  // namespace qx::win
