// The control's methods as the host calls them: late-bound by DISPID.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ControlTestSupport.h"

namespace qx::win::test {
namespace {

constexpr DISPID kInitialize = 0x60030005;
constexpr DISPID kInstallCBTHook = 0x60030006;
constexpr DISPID kInstallMsgHook = 0x60030007;
constexpr DISPID kRemoveCBTHook = 0x60030009;
constexpr DISPID kRemoveMsgHook = 0x6003000A;
constexpr DISPID kUninitialize = 0x6003000C;

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    control_ = CreateControl(LoadControlFile(ControlPath()));
    ASSERT_NE(control_, nullptr);
    recorder_ = Connect(control_.Get());
  }
  void TearDown() override {
    if (control_ != nullptr) Call(control_.Get(), kUninitialize);
    recorder_.Reset();
    control_.Reset();
    OleUninitialize();
  }
  // Makes a web page dialog in this process and answers whether the
  // control was advised of it.
  bool DialogReported() {
    PumpQueued();
    recorder_->events.clear();
    RegisterTestClass(L"Internet Explorer_TridentDlgFrame");
    const HWND owner = MakeWindow(L"Owner");
    const HWND dialog = MakeWindow(L"Quiz -- Web Page Dialog", owner, WS_POPUP,
                                   L"Internet Explorer_TridentDlgFrame");
    PumpQueued();
    const bool reported = !recorder_->Of(kNewWebDialogAdvise).empty();
    DestroyWindow(dialog);
    DestroyWindow(owner);
    PumpQueued();
    return reported;
  }

  ComPtr<IDispatch> control_;
  ComPtr<EventRecorder> recorder_;
};

TEST_F(DispatchTest, NamesGiveTheFixedDispatchIdentifiers) {
  struct Case {
    const wchar_t* name;
    DISPID id;
  };
  const Case cases[] = {
      {L"Initialize", 0x60030005},      {L"InstallCBTHook", 0x60030006},
      {L"InstallMsgHook", 0x60030007},  {L"InstallMouseHook", 0x60030008},
      {L"RemoveCBTHook", 0x60030009},   {L"RemoveMsgHook", 0x6003000A},
      {L"RemoveMouseHook", 0x6003000B}, {L"Uninitialize", 0x6003000C},
      {L"uninitialize", 0x6003000C},
  };
  for (const Case& c : cases) {
    LPOLESTR name = const_cast<LPOLESTR>(c.name);
    DISPID id = 0;
    EXPECT_HRESULT_SUCCEEDED(control_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)) << c.name;
    EXPECT_EQ(id, c.id) << c.name;
  }
  LPOLESTR withArgument[] = {const_cast<LPOLESTR>(L"InstallCBTHook"),
                             const_cast<LPOLESTR>(L"NoBrowserCheck")};
  DISPID ids[2] = {};
  EXPECT_HRESULT_SUCCEEDED(control_->GetIDsOfNames(IID_NULL, withArgument, 2, 0, ids));
  EXPECT_EQ(ids[0], 0x60030006);
  EXPECT_EQ(ids[1], 0);
  LPOLESTR unknown = const_cast<LPOLESTR>(L"InstallKeyboardHook");
  DISPID id = 0;
  EXPECT_EQ(control_->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(DispatchTest, UnknownMembersAndBadCallsAreRefused) {
  for (DISPID id : {DISPID(0), DISPID(1), DISPID(0x60030004), DISPID(0x6003000D)}) {
    EXPECT_EQ(Call(control_.Get(), id), DISP_E_MEMBERNOTFOUND) << std::hex << id;
  }
  EXPECT_EQ(Call(control_.Get(), kInitialize, {IntArg(1)}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(control_.Get(), kInstallCBTHook, {BoolArg(true), BoolArg(true)}),
            DISP_E_BADPARAMCOUNT);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(control_->Invoke(kInitialize, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr,
                             nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(control_->Invoke(kInitialize, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr,
                             nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  DISPID wrongName = 7;
  VARIANT flag = BoolArg(true);
  DISPPARAMS misnamed{&flag, &wrongName, 1, 1};
  EXPECT_EQ(control_->Invoke(kInstallCBTHook, IID_NULL, 0, DISPATCH_METHOD, &misnamed, nullptr,
                             nullptr, nullptr),
            DISP_E_PARAMNOTFOUND);
  DISPPARAMS noArguments{nullptr, nullptr, 1, 0};
  EXPECT_EQ(control_->Invoke(kInstallCBTHook, IID_NULL, 0, DISPATCH_METHOD, &noArguments, nullptr,
                             nullptr, nullptr),
            E_INVALIDARG);
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"certainly");
  UINT argError = 99;
  EXPECT_EQ(Call(control_.Get(), kInstallCBTHook, {text}, nullptr, &argError), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argError, 0u);
  VariantClear(&text);
}

TEST_F(DispatchTest, EveryMethodRunsInTheHostsOrder) {
  for (DISPID id = 0x60030005; id <= 0x6003000C; ++id) {
    EXPECT_HRESULT_SUCCEEDED(Call(control_.Get(), id)) << std::hex << id;
  }
  // Install and Remove before Initialize do nothing and succeed.
  for (DISPID id = 0x60030006; id <= 0x6003000B; ++id) {
    EXPECT_HRESULT_SUCCEEDED(Call(control_.Get(), id)) << std::hex << id;
  }
}

// The message hook: top-level windows made while it is installed are
// reported; child windows, and windows made after its removal, are not.
TEST_F(DispatchTest, MessageHookFollowsInstallAndRemove) {
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kInitialize));
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kInstallMsgHook));
  PumpQueued();
  recorder_->events.clear();
  const HWND top = MakeWindow(L"Watched");
  const HWND child = MakeWindow(L"Part", top, WS_CHILD);
  SetWindowTextW(top, L"Watched again");
  PumpQueued();
  std::vector<LONG> reported;
  for (const auto& event : recorder_->Of(kGetTextMsg))
    reported.push_back(event.numbers.at(0));
  const LONG topId = static_cast<LONG>(reinterpret_cast<LONG_PTR>(top));
  EXPECT_EQ(std::count(reported.begin(), reported.end(), topId), 2);  // created, captioned
  EXPECT_EQ(std::count(reported.begin(), reported.end(),
                       static_cast<LONG>(reinterpret_cast<LONG_PTR>(child))),
            0);
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kRemoveMsgHook));
  recorder_->events.clear();
  SetWindowTextW(top, L"Unwatched");
  PumpQueued();
  EXPECT_TRUE(recorder_->Of(kGetTextMsg).empty());
  DestroyWindow(top);
}

// The optional in/out Boolean in every form a late-bound caller may give
// it; the test program is not the browser, so only the flag lets the CBT
// hook report its web page dialogs.
TEST_F(DispatchTest, InstallCBTHookTakesItsFlagInEveryForm) {
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kInitialize));
  VARIANT_BOOL yes = VARIANT_TRUE;
  VARIANT_BOOL no = VARIANT_FALSE;
  VARIANT inner = BoolArg(true);
  VARIANT byRefTrue;
  VariantInit(&byRefTrue);
  byRefTrue.vt = VT_BYREF | VT_BOOL;
  byRefTrue.pboolVal = &yes;
  VARIANT byRefFalse = byRefTrue;
  byRefFalse.pboolVal = &no;
  VARIANT byRefVariant;
  VariantInit(&byRefVariant);
  byRefVariant.vt = VT_BYREF | VT_VARIANT;
  byRefVariant.pvarVal = &inner;
  struct Case {
    const char* form;
    std::vector<VARIANT> args;
    bool reported;
  };
  const Case cases[] = {
      {"no argument", {}, false},
      {"omitted", {Omitted()}, false},
      {"by reference, true", {byRefTrue}, true},
      {"by reference, false", {byRefFalse}, false},
      {"by value, true", {BoolArg(true)}, true},
      {"by value, false", {BoolArg(false)}, false},
      {"a number", {IntArg(1)}, true},
      {"a variant by reference", {byRefVariant}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.form);
    ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kInstallCBTHook, c.args));
    EXPECT_EQ(DialogReported(), c.reported);
    ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kRemoveCBTHook));
  }
  EXPECT_EQ(yes, VARIANT_TRUE);  // read, never written

  // By name: the argument's DISPID is 0.
  DISPID named = 0;
  VARIANT flag = BoolArg(true);
  DISPPARAMS params{&flag, &named, 1, 1};
  ASSERT_HRESULT_SUCCEEDED(control_->Invoke(kInstallCBTHook, IID_NULL, 0, DISPATCH_METHOD, &params,
                                            nullptr, nullptr, nullptr));
  EXPECT_TRUE(DialogReported());
  // The dual interface's own entry.
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), kRemoveCBTHook));
  ComPtr<_OmnihookControl> dual;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&dual));
  ASSERT_HRESULT_SUCCEEDED(dual->InstallCBTHook(&yes));
  EXPECT_TRUE(DialogReported());
}

TEST_F(DispatchTest, ClassInformationNamesTheEventInterface) {
  ComPtr<IProvideClassInfo2> info;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&info));
  GUID source{};
  ASSERT_HRESULT_SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source));
  EXPECT_TRUE(IsEqualGUID(source, DIID___OmnihookControl));
  ComPtr<ITypeInfo> coclass;
  ASSERT_HRESULT_SUCCEEDED(info->GetClassInfo(&coclass));
  TYPEATTR* attributes = nullptr;
  ASSERT_HRESULT_SUCCEEDED(coclass->GetTypeAttr(&attributes));
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_OmnihookControl));
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  coclass->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace qx::win::test
