// The hook host, end to end, with the control in a folder beside a host and
// the host's library (catchwire32.dll). Here the host and its library are of
// the control's own bitness (this machine may not run 32-bit programs) and
// the control's own catchwire.dll is a silent stand-in, so every report seen
// came from the host's library. Where the build also has the 32-bit host, the
// same tests run with it and a 32-bit program (hookhost_wow64).

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "HookHostProtocol.h"
#include "RuleKill.h"
#include "SyntheticClick.h"

namespace qx::win::test {
namespace {

enum : DISPID {
  kInitialize = 0x60030005,
  kInstallCbt = 0x60030006,
  kInstallMsg = 0x60030007,
  kInstallMouse = 0x60030008,
  kRemoveCbt = 0x60030009,
  kRemoveMsg = 0x6003000A,
  kRemoveMouse = 0x6003000B,
  kUninitialize = 0x6003000C,
};

LONG AsLong(HWND window) {
  return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

// The running hosts' process ids, whichever program started them.
std::vector<DWORD> Hosts() {
  std::vector<DWORD> ids;
  HWND found = nullptr;
  while ((found = FindWindowExW(HWND_MESSAGE, found, kHookHostClass, nullptr)) != nullptr) {
    DWORD id = 0;
    GetWindowThreadProcessId(found, &id);
    ids.push_back(id);
  }
  return ids;
}

DWORD ParentOf(DWORD process) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == process) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

// Waits for a process to end, pumping this thread's messages meanwhile.
bool Ended(DWORD id, std::chrono::milliseconds limit) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process == nullptr) return true;
  const bool ended =
      PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, limit);
  CloseHandle(process);
  return ended;
}

std::wstring HelperPath() {
  return TestFolder() + L"\\hook_helper.exe";
}

class HookHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    control = CreateControl(LoadControlFile(ControlPath()));
    ASSERT_NE(control, nullptr);
    recorder = Connect(control.Get());
    ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInitialize));
  }
  void TearDown() override {
    if (control != nullptr) Call(control.Get(), kUninitialize);
    recorder.Reset();
    control.Reset();
    OleUninitialize();
  }
  // The one host this test's control started.
  DWORD OurHost() {
    for (DWORD id : Hosts()) {
      if (ParentOf(id) == GetCurrentProcessId()) return id;
    }
    return 0;
  }
  ComPtr<IDispatch> control;
  ComPtr<EventRecorder> recorder;
};

TEST_F(HookHostTest, StartsWithTheFirstHookAndEndsWithTheLast) {
  EXPECT_EQ(OurHost(), 0u) << "a host before any hook";
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMsg));
  const DWORD host = OurHost();
  ASSERT_NE(host, 0u) << "no host after the first install";
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMouse));
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kRemoveMsg));
  EXPECT_EQ(OurHost(), host) << "the same host serves every hook";
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kRemoveMouse));
  EXPECT_TRUE(Ended(host, std::chrono::seconds(3))) << "the host outlived the last hook";

  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallCbt, {BoolArg(false)}));
  const DWORD second = OurHost();
  ASSERT_NE(second, 0u);
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kUninitialize));
  EXPECT_TRUE(Ended(second, std::chrono::seconds(3))) << "the host outlived Uninitialize";
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMouse));  // uninitialised: nothing
  EXPECT_EQ(OurHost(), 0u);

  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInitialize));
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMouse));
  const DWORD third = OurHost();
  ASSERT_NE(third, 0u);
  recorder.Reset();
  control.Reset();  // the program lets the control go
  EXPECT_TRUE(Ended(third, std::chrono::seconds(3))) << "the host outlived the control";
}

using qx::win::test::Click;

TEST_F(HookHostTest, TheHostsReportsRaiseTheSameEventsAndARuleKillsTheWindow) {
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallCbt, {BoolArg(true)}));
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMsg));
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMouse));
  ASSERT_NE(OurHost(), 0u);

  std::wstring command = L"\"" + HelperPath() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &helper));
  PumpUntil([&] { return !recorder->Of(kNewWebDialog).empty(); }, std::chrono::seconds(10));
  const HWND main = FindWindowW(L"QxHookHelperMain", nullptr);
  const HWND dialog = FindWindowW(L"Internet Explorer_TridentDlgFrame", nullptr);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(dialog, nullptr);
  const auto advice = recorder->Of(kNewWebDialogAdvise);
  ASSERT_FALSE(advice.empty());
  EXPECT_EQ(advice[0].numbers, (std::vector<LONG>{AsLong(dialog), AsLong(main)}));
  const auto announced = recorder->Of(kNewWebDialog);
  ASSERT_FALSE(announced.empty());
  EXPECT_EQ(announced[0].text, L"Quiz ");

  RECT area{};
  GetWindowRect(main, &area);
  const POINT at{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  Click(at);
  PumpUntil([&] { return !recorder->Of(kLeftButtonUp).empty(); }, std::chrono::seconds(5));
  for (DISPID id : {kLeftButtonDown, kLeftButtonUp}) {
    const auto clicks = recorder->Of(id);
    ASSERT_EQ(clicks.size(), 1u) << id;
    EXPECT_NEAR(clicks[0].numbers[0], at.x, 1) << id;
    // The control's own library would answer -7777: the y is the host's.
    EXPECT_NEAR(clicks[0].numbers[1], at.y, 1) << id;
    EXPECT_EQ(clicks[0].numbers[2], AsLong(main)) << id;
  }

  // A window rule for the renamed caption: the program closes the window
  // when the caption's report arrives.
  RuleKill rules(L"renamed");
  EXPECT_TRUE(PumpUntil(
      [&] {
        for (const auto& event : recorder->Of(kGetTextMsg))
          rules.Check(event.numbers.at(0));
        return WaitForSingleObject(helper.hProcess, 0) == WAIT_OBJECT_0;
      },
      std::chrono::seconds(5)))
      << "the rule's window was not closed";
  EXPECT_GE(rules.Killed(), 1);
  CloseHandle(helper.hThread);
  CloseHandle(helper.hProcess);
}

// Run as a program of its own by the next test, which kills it.
TEST(HookHostOwner, DISABLED_HooksUntilKilled) {
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  ComPtr<IDispatch> control = CreateControl(LoadControlFile(ControlPath()));
  ASSERT_NE(control, nullptr);
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInitialize));
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), kInstallMouse));
  PumpUntil([] { return false; }, std::chrono::seconds(60));
}

TEST(HookHostEnd, TheHostEndsWhenItsProgramIsKilled) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) +
                         L"\" --gtest_also_run_disabled_tests "
                         L"--gtest_filter=HookHostOwner.DISABLED_HooksUntilKilled";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION owner{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &owner));
  DWORD host = 0;
  PumpUntil(
      [&] {
        for (DWORD id : Hosts()) {
          if (ParentOf(id) == owner.dwProcessId) host = id;
        }
        return host != 0;
      },
      std::chrono::seconds(10));
  ASSERT_NE(host, 0u) << "the program did not start a host";
  TerminateProcess(owner.hProcess, 9);
  WaitForSingleObject(owner.hProcess, 5000);
  EXPECT_TRUE(Ended(host, std::chrono::seconds(5))) << "the host outlived its program";
  CloseHandle(owner.hThread);
  CloseHandle(owner.hProcess);
}

}  // namespace
}  // namespace qx::win::test
