// The five events, raised from the hook messages that reach the control's
// window, each argument by reference.

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ControlTestSupport.h"

namespace qx::win::test {
namespace {

constexpr VARTYPE kRefI4 = VT_BYREF | VT_I4;
constexpr VARTYPE kRefBstr = VT_BYREF | VT_BSTR;

LONG AsLong(HWND window) {
  return static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
}

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    module_ = LoadControlFile(ControlPath());
    ASSERT_NE(module_, nullptr);
    control_ = CreateControl(module_);
    ASSERT_NE(control_, nullptr);
    window_ = ControlWindow(control_.Get());
    ASSERT_NE(window_, nullptr);
    recorder_ = Connect(control_.Get());
    ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x60030005));  // Initialize
  }
  void TearDown() override {
    if (control_ != nullptr) Call(control_.Get(), 0x6003000C);  // Uninitialize
    recorder_.Reset();
    control_.Reset();
    for (HWND window : windows_)
      DestroyWindow(window);
    OleUninitialize();
  }
  HWND Window(const std::wstring& caption, HWND parent = nullptr, DWORD style = WS_OVERLAPPED,
              const wchar_t* className = L"QxTestWindow") {
    const HWND window = MakeWindow(caption.c_str(), parent, style, className);
    windows_.insert(windows_.begin(), window);  // children go first
    return window;
  }

  // A web page dialog of this process: the control believes only dialogs of
  // the browser's process, unless told not to check (the flag stays after
  // the hook goes).
  HWND Dialog(const std::wstring& caption) {
    Call(control_.Get(), 0x60030006, {BoolArg(true)});  // InstallCBTHook(true)
    Call(control_.Get(), 0x60030009);                   // RemoveCBTHook
    return Window(caption, nullptr, WS_POPUP, L"Internet Explorer_TridentDlgFrame");
  }

  HMODULE module_ = nullptr;
  ComPtr<IDispatch> control_;
  HWND window_ = nullptr;
  ComPtr<EventRecorder> recorder_;
  std::vector<HWND> windows_;
};

TEST_F(EventsTest, HookNotifyTextRaisesGetTextMsgWithTheWindow) {
  const HWND other = Window(L"Some program");
  EXPECT_EQ(SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0), 0);
  ASSERT_EQ(recorder_->events.size(), 1u);
  const RecordedEvent& event = recorder_->events[0];
  EXPECT_EQ(event.id, kGetTextMsg);
  EXPECT_EQ(event.types, (std::vector<VARTYPE>{kRefI4}));
  EXPECT_EQ(event.numbers, (std::vector<LONG>{AsLong(other)}));
}

TEST_F(EventsTest, WebPageDialogCaptionsRaiseNewWebDialogWithoutTheSuffix) {
  const std::wstring suffix = L"-- Web Page Dialog";
  struct Case {
    std::wstring caption;
    bool raised;
    std::wstring title;
  };
  const Case cases[] = {
      {L"Quiz -- Web Page Dialog", true, L"Quiz "},
      {L"QUIZ -- WEB PAGE DIALOG", true, L"QUIZ "},
      {L"quiz -- web page dialog", true, L"quiz "},
      {L"-- wEB pAGE dIALOG", true, L""},
      {suffix, true, L""},
      {L"- Web Page Dialog", false, L""},  // 17 characters
      {L"Quiz -- Web Page Dialog ", false, L""},
      {L"Quiz - Web Page Dialog", false, L""},
      {L"Quiz", false, L""},
      {L"", false, L""},
      {std::wstring(29999 - suffix.size(), L'x') + suffix, true,
       std::wstring(29999 - suffix.size(), L'x')},
      {std::wstring(30000 - suffix.size(), L'x') + suffix, false, L""},
      {std::wstring(40000, L'x') + suffix, false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption.size() < 60 ? c.caption : std::to_wstring(c.caption.size()) + L" chars");
    recorder_->events.clear();
    const HWND dialog = Dialog(L"");
    ASSERT_TRUE(SetWindowTextW(dialog, c.caption.c_str()));
    EXPECT_EQ(SendMessageW(window_, kNotifyDialog, reinterpret_cast<WPARAM>(dialog), 0), 0);
    if (!c.raised) {
      EXPECT_TRUE(recorder_->events.empty());
      continue;
    }
    ASSERT_EQ(recorder_->events.size(), 1u);
    const RecordedEvent& event = recorder_->events[0];
    EXPECT_EQ(event.id, kNewWebDialog);
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{kRefI4, kRefBstr}));
    EXPECT_EQ(event.numbers, (std::vector<LONG>{AsLong(dialog)}));
    EXPECT_EQ(event.text, c.title);
  }
}

TEST_F(EventsTest, DialogWithAnOwnerRaisesOnlyTheAdviceWithTheTopLevelWindow) {
  const HWND browser = Window(L"Browser");
  const HWND pane = Window(L"", browser, WS_CHILD);
  const HWND inner = Window(L"", pane, WS_CHILD);
  const HWND owned = Window(L"", browser, WS_POPUP);
  const HWND dialog = Dialog(L"Quiz -- Web Page Dialog");
  struct Case {
    HWND given;
    HWND expected;
  };
  for (const Case& c : {Case{browser, browser}, Case{inner, browser}, Case{owned, browser}}) {
    recorder_->events.clear();
    SendMessageW(window_, kNotifyDialog, reinterpret_cast<WPARAM>(dialog),
                 reinterpret_cast<LPARAM>(c.given));
    ASSERT_EQ(recorder_->events.size(), 1u);
    const RecordedEvent& event = recorder_->events[0];
    EXPECT_EQ(event.id, kNewWebDialogAdvise);
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{kRefI4, kRefI4}));
    EXPECT_EQ(event.numbers, (std::vector<LONG>{AsLong(dialog), AsLong(c.expected)}));
  }
}

// The library's mouse hook, called here directly as Windows would call it in
// the clicked program: the control gets x and the window with the message,
// and y from the library, click by click even when several queue up.
TEST_F(EventsTest, MouseHookReportsEachClickWithItsOwnY) {
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x60030008));  // InstallMouseHook
  const HMODULE library = GetModuleHandleW((TestFolder() + L"\\catchwire.dll").c_str());
  ASSERT_NE(library, nullptr);
  using HookProc = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);
  const auto hookMouse = reinterpret_cast<HookProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "HookMouse")));
  ASSERT_NE(hookMouse, nullptr);
  const HWND target = Window(L"Clicked");
  struct Press {
    UINT message;
    POINT at;
  };
  const Press presses[] = {
      {WM_LBUTTONDOWN, {120, 10}},   {WM_LBUTTONUP, {121, 20}}, {WM_MOUSEMOVE, {1, 2}},
      {WM_NCLBUTTONDOWN, {-5, 30}},  {WM_RBUTTONDOWN, {7, 8}},  {WM_NCLBUTTONUP, {-6, 40}},
      {WM_LBUTTONDBLCLK, {122, 50}}, {WM_LBUTTONUP, {123, 60}},
  };
  for (const Press& press : presses) {
    MOUSEHOOKSTRUCT info{press.at, target, HTCLIENT, 0};
    hookMouse(HC_ACTION, press.message, reinterpret_cast<LPARAM>(&info));
  }
  // A look-ahead is reported when the message is really taken.
  MOUSEHOOKSTRUCT peeked{{1, 1}, target, HTCLIENT, 0};
  hookMouse(HC_NOREMOVE, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&peeked));
  PumpQueued();
  struct Expected {
    DISPID id;
    LONG x;
    LONG y;
  };
  const Expected expected[] = {
      {kLeftButtonDown, 120, 10}, {kLeftButtonUp, 121, 20},   {kLeftButtonDown, -5, 30},
      {kLeftButtonUp, -6, 40},    {kLeftButtonDown, 122, 50}, {kLeftButtonUp, 123, 60},
  };
  ASSERT_EQ(recorder_->events.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const RecordedEvent& event = recorder_->events[i];
    EXPECT_EQ(event.id, expected[i].id) << i;
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{kRefI4, kRefI4, kRefI4})) << i;
    EXPECT_EQ(event.numbers, (std::vector<LONG>{expected[i].x, expected[i].y, AsLong(target)}))
        << i;
  }
}

TEST_F(EventsTest, NoEventsBeforeInitializeOrAfterUninitialize) {
  const HWND other = Window(L"Some program");
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x6003000C));  // Uninitialize
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_TRUE(recorder_->events.empty());
  ASSERT_HRESULT_SUCCEEDED(Call(control_.Get(), 0x60030005));  // Initialize again
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_EQ(recorder_->Of(kGetTextMsg).size(), 1u);
}

TEST_F(EventsTest, EverySinkHearsTheEventAndAnUnadvisedOneNoMore) {
  DWORD cookie = 0;
  const ComPtr<EventRecorder> second = Connect(control_.Get(), &cookie);
  const HWND other = Window(L"Some program");
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_EQ(recorder_->events.size(), 1u);
  EXPECT_EQ(second->events.size(), 1u);
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&container));
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID___OmnihookControl, &point));
  EXPECT_HRESULT_SUCCEEDED(point->Unadvise(cookie));
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_EQ(recorder_->events.size(), 2u);
  EXPECT_EQ(second->events.size(), 1u);
}

TEST_F(EventsTest, FrozenEventsAreDropped) {
  ComPtr<IOleControl> ole;
  ASSERT_HRESULT_SUCCEEDED(control_.As(&ole));
  const HWND other = Window(L"Some program");
  ole->FreezeEvents(TRUE);
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_TRUE(recorder_->events.empty());
  ole->FreezeEvents(FALSE);
  SendMessageW(window_, kNotifyText, reinterpret_cast<WPARAM>(other), 0);
  EXPECT_EQ(recorder_->events.size(), 1u);
}

}  // namespace
}  // namespace qx::win::test

namespace qx::win::test {
namespace {

// A host whose handler lets go of the control: the control lives until the
// event is over, then goes, window and all.
class DroppingSink final : public IDispatch {
 public:
  explicit DroppingSink(ComPtr<IDispatch> control) : control_(std::move(control)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    heard = id;
    control_.Reset();
    return S_OK;
  }
  DISPID heard = 0;

 private:
  ULONG references_ = 1;
  ComPtr<IDispatch> control_;
};

TEST(EventsLifetimeTest, HandlerReleasingTheLastReferenceEndsTheControlAfterTheEvent) {
  ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
  ComPtr<IDispatch> control = CreateControl(LoadControlFile(ControlPath()));
  ASSERT_NE(control, nullptr);
  ASSERT_HRESULT_SUCCEEDED(Call(control.Get(), 0x60030005));  // Initialize
  const HWND window = ControlWindow(control.Get());
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IConnectionPoint> point;
  ASSERT_HRESULT_SUCCEEDED(control.As(&container));
  ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID___OmnihookControl, &point));
  ComPtr<DroppingSink> sink;
  sink.Attach(new DroppingSink(control));
  DWORD cookie = 0;
  ASSERT_HRESULT_SUCCEEDED(point->Advise(sink.Get(), &cookie));
  point.Reset();
  container.Reset();
  control.Reset();  // the sink now holds the only reference
  EXPECT_EQ(SendMessageW(window, kNotifyText, reinterpret_cast<WPARAM>(window), 0), 0);
  EXPECT_EQ(sink->heard, kGetTextMsg);
  EXPECT_FALSE(IsWindow(window));
  OleUninitialize();
}

}  // namespace
}  // namespace qx::win::test
