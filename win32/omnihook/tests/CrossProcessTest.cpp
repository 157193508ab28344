// The hooks across processes, end to end: another program makes windows and
// a web page dialog and is clicked; this process, hosting the control, hears
// of all of it through the control's events. About three seconds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "ControlTestSupport.h"
#include "SyntheticClick.h"

namespace qx::win::test {
namespace {

LONG AsLong(HWND window) {
  return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

bool HasEvent(const EventRecorder& recorder, DISPID id) {
  return !recorder.Of(id).empty();
}

using qx::win::test::Click;

TEST(CrossProcessTest, AnotherProgramsWindowsDialogAndClicksRaiseTheEvents) {
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  ComPtr<IDispatch> control = CreateControl(LoadControlFile(ControlPath()));
  ASSERT_NE(control, nullptr);
  const ComPtr<EventRecorder> recorder = Connect(control.Get());
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030005));                   // Initialize
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030006, {BoolArg(true)}));  // CBT, no check
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030007));                   // messages
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030008));                   // mouse

  std::wstring command = L"\"" + TestFolder() + L"\\hook_helper.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &helper));

  const bool dialogSeen = PumpUntil(
      [&] {
        return HasEvent(*recorder.Get(), kNewWebDialog) &&
               HasEvent(*recorder.Get(), kNewWebDialogAdvise);
      },
      std::chrono::seconds(10));
  const HWND main = FindWindowW(L"QxHookHelperMain", nullptr);
  const HWND dialog = FindWindowW(L"Internet Explorer_TridentDlgFrame", nullptr);
  EXPECT_TRUE(dialogSeen);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(dialog, nullptr);
  DWORD helperId = 0;
  GetWindowThreadProcessId(main, &helperId);
  ASSERT_EQ(helperId, helper.dwProcessId);

  // The dialog: advised at its creation with its owner, then announced with
  // its title when it became active.
  const auto advice = recorder->Of(kNewWebDialogAdvise);
  ASSERT_FALSE(advice.empty());
  EXPECT_EQ(advice[0].numbers, (std::vector<LONG>{AsLong(dialog), AsLong(main)}));
  const auto announced = recorder->Of(kNewWebDialog);
  ASSERT_FALSE(announced.empty());
  EXPECT_EQ(announced[0].numbers, (std::vector<LONG>{AsLong(dialog)}));
  EXPECT_EQ(announced[0].text, L"Quiz ");
  // The main window's creation and its new caption.
  PumpUntil([&] { return recorder->Of(kGetTextMsg).size() >= 2; }, std::chrono::seconds(3));
  std::vector<LONG> texts;
  for (const auto& event : recorder->Of(kGetTextMsg))
    texts.push_back(event.numbers.at(0));
  EXPECT_GE(std::count(texts.begin(), texts.end(), AsLong(main)), 2);

  // A click in the other program's window.
  RECT area{};
  GetWindowRect(main, &area);
  const POINT at{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  Click(at);
  PumpUntil(
      [&] {
        return HasEvent(*recorder.Get(), kLeftButtonDown) &&
               HasEvent(*recorder.Get(), kLeftButtonUp);
      },
      std::chrono::seconds(5));
  for (DISPID id : {kLeftButtonDown, kLeftButtonUp}) {
    const auto clicks = recorder->Of(id);
    ASSERT_EQ(clicks.size(), 1u) << id;
    ASSERT_EQ(clicks[0].numbers.size(), 3u);
    EXPECT_NEAR(clicks[0].numbers[0], at.x, 1) << id;
    EXPECT_NEAR(clicks[0].numbers[1], at.y, 1) << id;
    EXPECT_EQ(clicks[0].numbers[2], AsLong(main)) << id;
  }

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(helper.hProcess, 5000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(helper.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(helper.hThread);
  CloseHandle(helper.hProcess);
  EXPECT_HRESULT_SUCCEEDED(Call(control.Get(), 0x6003000C));  // Uninitialize
  control.Reset();
  OleUninitialize();
}

TEST(CrossProcessTest, ReportsForgedByAnotherProgramRaiseNothing) {
  // The control's window admits these messages from any process, so any
  // program may send them; only reports whose windows are what they say
  // raise an event (the check does not rest on the browser test, which is
  // off here).
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  ComPtr<IDispatch> control = CreateControl(LoadControlFile(ControlPath()));
  ASSERT_NE(control, nullptr);
  const ComPtr<EventRecorder> recorder = Connect(control.Get());
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030005));                   // Initialize
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030006, {BoolArg(true)}));  // CBT, no check
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030009));                   // and no CBT hook

  wchar_t window[32] = {};
  swprintf(
      window, 32, L"%llx",
      static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(ControlWindow(control.Get()))));
  std::wstring command = L"\"" + TestFolder() + L"\\hook_helper.exe\" forge " + window;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &helper));
  PumpUntil([&] { return WaitForSingleObject(helper.hProcess, 0) == WAIT_OBJECT_0; },
            std::chrono::seconds(20));
  DWORD exitCode = 1;
  GetExitCodeProcess(helper.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u) << "the forging program did not run to its end";
  CloseHandle(helper.hThread);
  CloseHandle(helper.hProcess);
  EXPECT_TRUE(recorder->events.empty()) << recorder->events.size() << " events from forged reports";
  EXPECT_HRESULT_SUCCEEDED(Call(control.Get(), 0x6003000C));  // Uninitialize
  control.Reset();
  OleUninitialize();
}

}  // namespace
}  // namespace qx::win::test
