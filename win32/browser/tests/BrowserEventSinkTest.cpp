// DWebBrowserEvents2 reaches the core through the adapter's sink exactly as
// the browser raises it: IDispatch::Invoke with DISPPARAMS in reverse order,
// by-reference Cancel and ppDisp written back.
#include <gmock/gmock.h>

#include <exdispid.h>

#include <map>

#include "ComFakes.h"
#include "win32/browser/ComBrowser.h"

namespace qx::win::testing {
namespace {

using ::testing::ElementsAre;

// What the core heard, and what it answers.
class Recorder final : public BrowserEvents {
 public:
  void BeforeNavigate2(Browser& pDisp, Navigation& navigation, bool& cancel) override {
    calls.push_back(L"BeforeNavigate2");
    seen = navigation;
    cancelIn = cancel;
    Step([&] { navigatorLocation = pDisp.LocationURL(); });
    if (cancelIt) cancel = true;
  }
  void NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) override {
    calls.push_back(L"NewWindow2");
    givenObject = ppDisp != nullptr;
    cancelIn = cancel;
    if (replaceWith) ppDisp = replaceWith;
    if (cancelIt) cancel = true;
  }
  void NavigateComplete2(Browser& pDisp, const std::wstring& url) override {
    calls.push_back(L"NavigateComplete2 " + url);
    Step([&] { navigatorLocation = pDisp.LocationURL(); });
  }
  void DownloadComplete() override { calls.push_back(L"DownloadComplete"); }
  void OnQuit() override {
    calls.push_back(L"OnQuit");
    if (dropOnQuit) dropOnQuit->reset();
  }
  void OnFullScreen(bool on) override { calls.push_back(L"OnFullScreen " + Flag(on)); }
  void OnMenuBar(bool on) override { calls.push_back(L"OnMenuBar " + Flag(on)); }
  void OnStatusBar(bool on) override { calls.push_back(L"OnStatusBar " + Flag(on)); }
  void OnTheaterMode(bool on) override { calls.push_back(L"OnTheaterMode " + Flag(on)); }
  void OnToolBar(bool on) override { calls.push_back(L"OnToolBar " + Flag(on)); }

  static std::wstring Flag(bool on) { return on ? L"on" : L"off"; }

  std::vector<std::wstring> calls;
  Navigation seen;
  bool cancelIn = false;
  bool givenObject = false;
  std::wstring navigatorLocation;
  bool cancelIt = false;
  std::shared_ptr<Browser> replaceWith;
  std::unique_ptr<Connection>* dropOnQuit = nullptr;
};

SAFEARRAY* Bytes(std::string_view bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
  SafeArrayUnaccessData(array);
  return array;
}

class BrowserEventSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    browser->location = L"http://shop.example/";
    connection = ComBrowser(browser).Connect(recorder);
    ASSERT_EQ(browser->Events().Sinks(), 1u);
  }

  // BeforeNavigate2 as the browser raises it: every argument but pDisp and
  // Cancel is a VARIANT passed by reference.
  HRESULT RaiseBeforeNavigate2(VARIANT_BOOL& cancel, VARIANT target, UINT* bad = nullptr) {
    Value url = Value::Str(L"http://pop.example/ad?x=1");
    Value flags = Value::Int(0x40);
    Value headers = Value::Str(L"Referer: http://shop.example/\r\n");
    VARIANT postData;
    VariantInit(&postData);
    postData.vt = VT_ARRAY | VT_UI1;
    postData.parray = Bytes("a=1&b=2");
    Value self = Value::Object(browser->AsDispatch());
    const HRESULT hr = browser->Events().Fire(
        DISPID_BEFORENAVIGATE2,
        {Plain(self), RefVariant(&url.get()), RefVariant(&flags.get()), RefVariant(&target),
         RefVariant(&postData), RefVariant(&headers.get()), RefBool(&cancel)},
        nullptr, bad);
    VariantClear(&postData);
    return hr;
  }

  ComPtr<FakeBrowser> browser = Make<FakeBrowser>();
  Recorder recorder;
  std::unique_ptr<Connection> connection;
};

TEST_F(BrowserEventSinkTest, BeforeNavigate2DecodesEveryArgumentAndWritesCancelBack) {
  for (const bool cancelIt : {false, true}) {
    recorder.cancelIt = cancelIt;
    Value target = Value::Str(L"_blank");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    ASSERT_EQ(RaiseBeforeNavigate2(cancel, target.get()), S_OK);
    EXPECT_EQ(recorder.seen.url, L"http://pop.example/ad?x=1");
    EXPECT_EQ(recorder.seen.flags, 0x40);
    EXPECT_EQ(recorder.seen.targetFrameName, std::optional<std::wstring>(L"_blank"));
    EXPECT_EQ(recorder.seen.postData, "a=1&b=2");
    EXPECT_EQ(recorder.seen.headers, L"Referer: http://shop.example/\r\n");
    EXPECT_FALSE(recorder.cancelIn);
    // pDisp is the navigating browser itself.
    EXPECT_EQ(recorder.navigatorLocation, L"http://shop.example/");
    EXPECT_EQ(cancel, cancelIt ? VARIANT_TRUE : VARIANT_FALSE) << "cancel " << cancelIt;
  }
  // An earlier sink's cancel is read and stays; an omitted target is none.
  recorder.cancelIt = false;
  VARIANT omitted;
  Variant::SetOmitted(omitted);
  VARIANT_BOOL cancel = VARIANT_TRUE;
  ASSERT_EQ(RaiseBeforeNavigate2(cancel, omitted), S_OK);
  EXPECT_TRUE(recorder.cancelIn);
  EXPECT_FALSE(recorder.seen.targetFrameName.has_value());
  EXPECT_EQ(cancel, VARIANT_TRUE);
}

TEST_F(BrowserEventSinkTest, NewWindow2HandsOutTheCoresBrowserOrCancels) {
  const auto raise = [&](IDispatch*& object, VARIANT_BOOL& cancel) {
    object = nullptr;
    cancel = VARIANT_FALSE;
    return browser->Events().Fire(DISPID_NEWWINDOW2, {RefDispatch(&object), RefBool(&cancel)});
  };
  ComPtr<FakeBrowser> catcher = Make<FakeBrowser>();
  recorder.replaceWith = std::make_shared<ComBrowser>(catcher);
  IDispatch* object = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  ASSERT_EQ(raise(object, cancel), S_OK);
  EXPECT_FALSE(recorder.givenObject);
  ASSERT_NE(object, nullptr);
  ComPtr<IUnknown> handed;
  ComPtr<IUnknown> expected;
  object->QueryInterface(IID_PPV_ARGS(&handed));
  catcher->QueryInterface(IID_PPV_ARGS(&expected));
  EXPECT_EQ(handed.Get(), expected.Get()) << "the object is the catcher's";
  EXPECT_EQ(cancel, VARIANT_FALSE);
  object->Release();  // the caller's reference

  // A browser of the core without a COM object behind it opens nothing.
  recorder.replaceWith = std::make_shared<ComBrowser>(ComPtr<IWebBrowser2>());
  ASSERT_EQ(raise(object, cancel), S_OK);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(cancel, VARIANT_TRUE);

  recorder.replaceWith = nullptr;
  recorder.cancelIt = true;
  ASSERT_EQ(raise(object, cancel), S_OK);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(cancel, VARIANT_TRUE);
}

TEST_F(BrowserEventSinkTest, TheOtherEventsArriveWithTheirValues) {
  Value self = Value::Object(browser->AsDispatch());
  Value url = Value::Str(L"http://shop.example/next");
  EXPECT_EQ(browser->Events().Fire(DISPID_NAVIGATECOMPLETE2, {Plain(self), RefVariant(&url.get())}),
            S_OK);
  EXPECT_EQ(browser->Events().Fire(DISPID_DOWNLOADCOMPLETE, {}), S_OK);
  const std::pair<DISPID, bool> chrome[] = {{DISPID_ONFULLSCREEN, true},
                                            {DISPID_ONMENUBAR, false},
                                            {DISPID_ONSTATUSBAR, false},
                                            {DISPID_ONTHEATERMODE, true},
                                            {DISPID_ONTOOLBAR, false}};
  for (const auto& [id, on] : chrome) {
    Value v = Value::Bool(on);
    EXPECT_EQ(browser->Events().Fire(id, {Plain(v)}), S_OK);
  }
  // Events the program does not watch are accepted and ignored.
  Value text = Value::Str(L"Done");
  EXPECT_EQ(browser->Events().Fire(DISPID_STATUSTEXTCHANGE, {Plain(text)}), S_OK);
  EXPECT_EQ(browser->Events().Fire(DISPID_ONQUIT, {}), S_OK);
  EXPECT_THAT(recorder.calls,
              ElementsAre(L"NavigateComplete2 http://shop.example/next", L"DownloadComplete",
                          L"OnFullScreen on", L"OnMenuBar off", L"OnStatusBar off",
                          L"OnTheaterMode on", L"OnToolBar off", L"OnQuit"));
}

TEST_F(BrowserEventSinkTest, MalformedEventsAreRefusedWithoutReachingTheCore) {
  Value self = Value::Object(browser->AsDispatch());
  Value url = Value::Str(L"http://x.example/");
  Value number = Value::Int(3);
  Value text = Value::Str(L"yes");
  Value empty;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  IDispatch* object = nullptr;
  // The arguments by letter: o pDisp, u a by-reference URL, n a number, t
  // text, p no post data, c Cancel and d ppDisp by reference.
  const std::map<char, VARIANT> kinds = {
      {'o', Plain(self)},         {'u', RefVariant(&url.get())},   {'n', Plain(number)},
      {'t', Plain(text)},         {'p', RefVariant(&empty.get())}, {'c', RefBool(&cancel)},
      {'d', RefDispatch(&object)}};
  struct Case {
    DISPID id;
    const char* args;
    HRESULT expected;
    UINT badArgument;
  };
  const Case cases[] = {
      {DISPID_BEFORENAVIGATE2, "", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_BEFORENAVIGATE2, "ounupu", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_BEFORENAVIGATE2, "onnupuc", DISP_E_TYPEMISMATCH, 5},
      {DISPID_BEFORENAVIGATE2, "ounuput", DISP_E_TYPEMISMATCH, 0},
      {DISPID_BEFORENAVIGATE2, "tunupuc", DISP_E_TYPEMISMATCH, 6},
      {DISPID_BEFORENAVIGATE2, "outupuc", DISP_E_TYPEMISMATCH, 4},
      {DISPID_BEFORENAVIGATE2, "oununuc", DISP_E_TYPEMISMATCH, 2},
      {DISPID_NEWWINDOW2, "c", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_NEWWINDOW2, "oc", DISP_E_TYPEMISMATCH, 1},
      {DISPID_NEWWINDOW2, "dt", DISP_E_TYPEMISMATCH, 0},
      {DISPID_NAVIGATECOMPLETE2, "o", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_NAVIGATECOMPLETE2, "on", DISP_E_TYPEMISMATCH, 0},
      {DISPID_DOWNLOADCOMPLETE, "n", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_ONQUIT, "n", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_ONTOOLBAR, "", DISP_E_BADPARAMCOUNT, 0},
      {DISPID_ONFULLSCREEN, "t", DISP_E_TYPEMISMATCH, 0},
      {DISPID_ONMENUBAR, "n", DISP_E_TYPEMISMATCH, 0},
  };
  for (const Case& c : cases) {
    std::vector<VARIANT> args;
    for (const char* k = c.args; *k != 0; ++k)
      args.push_back(kinds.at(*k));
    UINT bad = 99;
    EXPECT_EQ(browser->Events().Fire(c.id, args, nullptr, &bad), c.expected)
        << c.id << " " << c.args;
    if (c.expected == DISP_E_TYPEMISMATCH) {
      EXPECT_EQ(bad, c.badArgument) << c.id << " " << c.args;
    }
  }
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(cancel, VARIANT_FALSE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(BrowserEventSinkTest, TheCoreMayDropItsConnectionInsideAnEvent) {
  recorder.dropOnQuit = &connection;
  EXPECT_EQ(browser->Events().Fire(DISPID_ONQUIT, {}), S_OK);
  EXPECT_EQ(connection, nullptr);
  EXPECT_EQ(browser->Events().Sinks(), 0u) << "unadvised";
  EXPECT_EQ(browser->Events().Fire(DISPID_ONQUIT, {}), S_OK);
  EXPECT_THAT(recorder.calls, ElementsAre(L"OnQuit")) << "and hears nothing more";
  EXPECT_THROW(ComBrowser(ComPtr<IWebBrowser2>()).Connect(recorder), PlatformError);
}

}  // namespace
}  // namespace qx::win::testing
