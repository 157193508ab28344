// The control client and its event sink against a fake control of our own:
// methods by DISPID with their argument types, failures, events by
// reference into the core's OmnihookEvents, a control that is not there.

#include <windows.h>
// windows.h first: the OLE headers need their types.
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include <string>
#include <vector>

#include "Omnihook.h"
#include "win32/program/OmnihookClient.h"
#include "win32/program/OmnihookEventSink.h"
#include "win32/program/tests/FakeControl.h"

namespace qx::win {
namespace {

using test::FakeControl;
using test::Handing;

struct Recorder final : OmnihookEvents {
  void GetTextMsg(std::int32_t& hwnd) override { seen.push_back(L"text " + std::to_wstring(hwnd)); }
  void NewWebDialog(std::int32_t& hwnd, std::wstring& caption) override {
    seen.push_back(L"dialog " + std::to_wstring(hwnd) + L" " + caption);
  }
  void LeftButtonDown(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override {
    seen.push_back(L"down " + std::to_wstring(x) + L"," + std::to_wstring(y) + L" " +
                   std::to_wstring(hwnd));
  }
  void LeftButtonUp(std::int32_t& x, std::int32_t& y, std::int32_t& hwnd) override {
    seen.push_back(L"up " + std::to_wstring(x) + L"," + std::to_wstring(y) + L" " +
                   std::to_wstring(hwnd));
  }
  void NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) override {
    seen.push_back(L"advise " + std::to_wstring(hwnd) + L" " + std::to_wstring(IEhWnd));
  }
  std::vector<std::wstring> seen;
};

class OleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

using OmnihookClientTest = OleTest;

TEST_F(OmnihookClientTest, MethodsGoByDispidWithTheirArguments) {
  FakeControl fake;
  int made = 0;
  {
    OmnihookClient client([] { return HWND(nullptr); }, Handing(fake, &made));
    EXPECT_EQ(made, 0) << "made when first needed";
    client.Initialize();
    client.InstallCBTHook(true);
    client.InstallCBTHook(false);
    client.InstallMsgHook();
    client.InstallMouseHook();
    client.RemoveCBTHook();
    client.RemoveMsgHook();
    client.RemoveMouseHook();
    client.Uninitialize();
    EXPECT_EQ(made, 1);
  }
  const DISPID expected[] = {0x60030005, 0x60030006, 0x60030006, 0x60030007, 0x60030008,
                             0x60030009, 0x6003000A, 0x6003000B, 0x6003000C};
  ASSERT_EQ(fake.calls.size(), std::size(expected));
  for (std::size_t i = 0; i < fake.calls.size(); ++i) {
    EXPECT_EQ(fake.calls[i].id, expected[i]) << i;
    EXPECT_EQ(fake.calls[i].flags, DISPATCH_METHOD) << i;
    const bool cbt = fake.calls[i].id == 0x60030006;
    ASSERT_EQ(fake.calls[i].types.size(), cbt ? 1u : 0u) << i;
    if (cbt) {
      EXPECT_EQ(fake.calls[i].types[0], VT_BYREF | VT_BOOL);
    }
  }
  EXPECT_EQ(fake.calls[1].flag, VARIANT_TRUE);
  EXPECT_EQ(fake.calls[2].flag, VARIANT_FALSE);
  EXPECT_EQ(fake.namesAsked, 0) << "bound by DISPID, never by name";
  EXPECT_EQ(fake.refs, 1u) << "every reference was given back";
  EXPECT_EQ(fake.sink, nullptr) << "unadvised";
}

TEST_F(OmnihookClientTest, AFailingMethodIsAPlatformErrorWithTheControlsWords) {
  FakeControl fake;
  fake.failWith = 0x60030007;
  fake.failPlain = 0x60030008;
  OmnihookClient client([] { return HWND(nullptr); }, Handing(fake));
  client.Initialize();
  try {
    client.InstallMsgHook();
    ADD_FAILURE() << "no failure";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.Description(), L"catchwire.dll cannot be loaded");
    EXPECT_EQ(e.Source(), L"Omnihook");
    EXPECT_EQ(e.Number(), kErrAutomation);
  }
  try {
    client.InstallMouseHook();
    ADD_FAILURE() << "no failure";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.Source(), L"OmnihookControl.InstallMouseHook");
  }
  EXPECT_NO_THROW(client.RemoveMsgHook()) << "the control stays usable";
}

TEST_F(OmnihookClientTest, EventsArriveWithTheirValues) {
  FakeControl fake;
  Recorder recorder;
  OmnihookClient client([] { return HWND(nullptr); }, Handing(fake));
  client.SetEventSink(&recorder);
  ASSERT_TRUE(client.Create());
  ASSERT_TRUE(client.Advised());
  EXPECT_EQ(fake.Fire(1, {0x10020}), S_OK);
  EXPECT_EQ(fake.Fire(2, {0x30040}, L"Alert -- Web Page Dialog"), S_OK);
  EXPECT_EQ(fake.Fire(3, {12, -5, 0x50060}), S_OK);
  EXPECT_EQ(fake.Fire(4, {13, 400, 0x50060}), S_OK);
  EXPECT_EQ(fake.Fire(5, {0x30040, 0x70080}), S_OK);
  EXPECT_EQ(fake.Fire(2, {1}, L""), S_OK);
  const std::vector<std::wstring> expected = {
      L"text 65568",           L"dialog 196672 Alert -- Web Page Dialog",
      L"down 12,-5 327776",    L"up 13,400 327776",
      L"advise 196672 458880", L"dialog 1 "};
  EXPECT_EQ(recorder.seen, expected);

  client.SetEventSink(nullptr);
  EXPECT_EQ(fake.Fire(1, {1}), S_OK);
  EXPECT_EQ(recorder.seen.size(), expected.size()) << "no sink: dropped";
}

TEST(OmnihookEventSinkTest, MalformedEventsRaiseNothing) {
  Recorder recorder;
  auto* sink = new OmnihookEventSink(DIID___OmnihookControl);
  sink->SetTarget(&recorder);
  VARIANTARG args[3];
  for (auto& a : args)
    VariantInit(&a);
  args[0].vt = VT_BSTR;  // a caption where a window handle belongs
  args[0].bstrVal = SysAllocString(L"x");
  DISPPARAMS one{args, nullptr, 1, 0};
  UINT argError = 99;
  EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, &argError),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argError, 0u);
  EXPECT_EQ(sink->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(sink->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            E_INVALIDARG);
  // By value is accepted too.
  VariantClear(&args[0]);
  args[0].vt = VT_I4;
  args[0].lVal = 42;
  EXPECT_EQ(sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(recorder.seen, std::vector<std::wstring>{L"text 42"});
  void* other = nullptr;
  EXPECT_EQ(sink->QueryInterface(IID_IConnectionPoint, &other), E_NOINTERFACE);
  sink->Release();
}

TEST_F(OmnihookClientTest, AControlThatIsNotRegisteredLeavesTheProgramWithoutHooks) {
  int tries = 0;
  OmnihookClient client([] { return HWND(nullptr); },
                        [&tries](IUnknown** out) {
                          ++tries;
                          *out = nullptr;
                          return REGDB_E_CLASSNOTREG;
                        });
  Recorder recorder;
  client.SetEventSink(&recorder);
  for (int i = 0; i < 3; ++i) {
    try {
      client.Initialize();
      ADD_FAILURE() << "a missing control initialised";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.Number(), kErrObjectRequired);
      EXPECT_EQ(e.Source(), L"OmnihookControl.Initialize");
    }
  }
  EXPECT_THROW(client.InstallCBTHook(true), PlatformError);
  EXPECT_EQ(tries, 1) << "asked once per run";
  EXPECT_EQ(client.CreationResult(), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(client.Advised());
}

TEST_F(OmnihookClientTest, TheSystemsAnswerForTheClassIsTakenAsItIs) {
  // Nothing registers the control in this test's prefix: COM says so, and
  // the client takes it as a missing control.
  OmnihookClient client([] { return HWND(nullptr); });
  if (client.Create()) GTEST_SKIP() << "the control is registered here";
  EXPECT_EQ(client.CreationResult(), REGDB_E_CLASSNOTREG);
  EXPECT_THROW(client.Uninitialize(), PlatformError);
}

}  // namespace
}  // namespace qx::win
