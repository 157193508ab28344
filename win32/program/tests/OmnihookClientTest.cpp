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

namespace qx::win {
namespace {

class FakeControl final : public IDispatch,
                          public IConnectionPointContainer,
                          public IConnectionPoint {
 public:
  struct Call {
    DISPID id;
    WORD flags;
    std::vector<VARTYPE> types;
    VARIANT_BOOL flag = 0;
  };

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__OmnihookControl)
      *out = static_cast<IDispatch*>(this);
    else if (riid == IID_IConnectionPointContainer)
      *out = static_cast<IConnectionPointContainer*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    ++namesAsked;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO* info, UINT*) override {
    Call call{id, flags, {}};
    for (UINT i = 0; i < p->cArgs; ++i)
      call.types.push_back(p->rgvarg[i].vt);
    if (p->cArgs == 1 && p->rgvarg[0].vt == (VT_BYREF | VT_BOOL))
      call.flag = *p->rgvarg[0].pboolVal;
    calls.push_back(call);
    if (id == failWith && info != nullptr) {
      info->wCode = 0;
      info->scode = E_FAIL;
      info->bstrSource = SysAllocString(L"Omnihook");
      info->bstrDescription = SysAllocString(L"catchwire.dll cannot be loaded");
      return DISP_E_EXCEPTION;
    }
    if (id == failPlain) return E_FAIL;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
    *out = nullptr;
    if (riid != DIID___OmnihookControl) return CONNECT_E_NOCONNECTION;
    *out = this;
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    *iid = DIID___OmnihookControl;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    *out = this;
    AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* unknown, DWORD* cookie) override {
    if (sink != nullptr) return CONNECT_E_ADVISELIMIT;
    // As a real connection point does: ask the sink for the event interface.
    if (FAILED(unknown->QueryInterface(DIID___OmnihookControl, reinterpret_cast<void**>(&sink))))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    if (cookie != 7 || sink == nullptr) return CONNECT_E_NOCONNECTION;
    sink->Release();
    sink = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  // Raises an event as the control does: every argument by reference.
  HRESULT Fire(DISPID id, std::vector<LONG> ints, const wchar_t* caption = nullptr) {
    std::vector<LONG> values = std::move(ints);
    BSTR text = caption != nullptr ? SysAllocString(caption) : nullptr;
    std::vector<VARIANTARG> args;
    for (LONG& v : values) {
      VARIANTARG a;
      VariantInit(&a);
      a.vt = VT_BYREF | VT_I4;
      a.plVal = &v;
      args.push_back(a);
    }
    if (caption != nullptr) {
      VARIANTARG a;
      VariantInit(&a);
      a.vt = VT_BYREF | VT_BSTR;
      a.pbstrVal = &text;
      args.insert(args.begin() + 1, a);
    }
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS p{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const HRESULT hr =
        sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &p, nullptr, nullptr, nullptr);
    SysFreeString(text);  // the control owns the caption and frees it after the event
    return hr;
  }

  ULONG refs = 1;
  int namesAsked = 0;
  DISPID failWith = 0;
  DISPID failPlain = 0;
  IDispatch* sink = nullptr;
  std::vector<Call> calls;
};

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

OmnihookClient::Factory Handing(FakeControl& fake, int* made = nullptr) {
  return [&fake, made](IUnknown** out) {
    if (made != nullptr) ++*made;
    fake.AddRef();
    *out = static_cast<IDispatch*>(&fake);
    return S_OK;
  };
}

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
