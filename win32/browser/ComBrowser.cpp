#include "win32/browser/ComBrowser.h"

#include <exdispid.h>

#include "win32/browser/ComDom.h"

namespace qx::win {
namespace {

VARIANT_BOOL VBool(bool on) {
  return on ? VARIANT_TRUE : VARIANT_FALSE;
}

// A browser object that answers nothing: the pDisp of an event that named
// no browser. Every call fails as a call through nothing does.
std::shared_ptr<ComBrowser> Unusable() {
  return std::make_shared<ComBrowser>(ComPtr<IWebBrowser2>());
}

SAFEARRAY* ByteArray(const std::string& bytes) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) throw PlatformError(7, L"Out of memory", L"Browser.Navigate2");
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    SafeArrayUnaccessData(array);
  }
  return array;
}

}  // namespace

ComBrowser::ComBrowser(ComPtr<IWebBrowser2> browser, std::shared_ptr<void> keepAlive)
    : browser_(std::move(browser)), keepAlive_(std::move(keepAlive)) {}

std::shared_ptr<ComBrowser> ComBrowser::From(IUnknown* object) {
  if (!object) return nullptr;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&browser))) || !browser) return nullptr;
  return std::make_shared<ComBrowser>(std::move(browser));
}

ComPtr<IDispatch> ComBrowser::DispatchOf(const std::shared_ptr<Browser>& browser) {
  const auto* ours = dynamic_cast<const ComBrowser*>(browser.get());
  if (!ours || !ours->browser_) return nullptr;
  ComPtr<IDispatch> dispatch;
  ours->browser_.As(&dispatch);
  return dispatch;
}

#define QX_BROWSER(call)                                                                      \
  if (!browser_) throw PlatformError(kErrObjectNotSet, L"Object variable not set", L"" call); \
  IWebBrowser2& b = *browser_.Get()

Hwnd ComBrowser::HWND() {
  QX_BROWSER("Browser.HWND");
  SHANDLE_PTR handle = 0;
  Check(b.get_HWND(&handle), L"Browser.HWND");
  return static_cast<Hwnd>(handle);
}

std::wstring ComBrowser::FullName() {
  QX_BROWSER("Browser.FullName");
  Bstr name;
  Check(b.get_FullName(name.out()), L"Browser.FullName");
  return name.text();
}

bool ComBrowser::GetBool(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(VARIANT_BOOL*),
                         const wchar_t* name) {
  if (!browser_) throw PlatformError(kErrObjectNotSet, L"Object variable not set", name);
  VARIANT_BOOL value = VARIANT_FALSE;
  Check((browser_.Get()->*get)(&value), name);
  return value != VARIANT_FALSE;
}

int ComBrowser::GetLong(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(LONG*),
                        const wchar_t* name) {
  if (!browser_) throw PlatformError(kErrObjectNotSet, L"Object variable not set", name);
  LONG value = 0;
  Check((browser_.Get()->*get)(&value), name);
  return static_cast<int>(value);
}

bool ComBrowser::TopLevelContainer() {
  return GetBool(&IWebBrowser2::get_TopLevelContainer, L"Browser.TopLevelContainer");
}

bool ComBrowser::Visible() {
  return GetBool(&IWebBrowser2::get_Visible, L"Browser.Visible");
}

void ComBrowser::SetVisible(bool on) {
  QX_BROWSER("Browser.SetVisible");
  Check(b.put_Visible(VBool(on)), L"Browser.SetVisible");
}

std::wstring ComBrowser::LocationURL() {
  QX_BROWSER("Browser.LocationURL");
  Bstr url;
  Check(b.get_LocationURL(url.out()), L"Browser.LocationURL");
  return url.text();
}

std::shared_ptr<Document> ComBrowser::GetDocument() {
  QX_BROWSER("Browser.GetDocument");
  ComPtr<IDispatch> document;
  Check(b.get_Document(&document), L"Browser.GetDocument");
  if (!document) return nullptr;
  return std::make_shared<ComDocument>(std::move(document));
}

std::optional<bool> ComBrowser::GetProperty(const std::wstring& name) {
  QX_BROWSER("Browser.GetProperty");
  Bstr property(name);
  Variant value;
  Check(b.GetProperty(property.get(), value.get()), L"Browser.GetProperty");
  return BoolOf(*value.get());
}

void ComBrowser::PutProperty(const std::wstring& name, bool value) {
  QX_BROWSER("Browser.PutProperty");
  Bstr property(name);
  Variant v;
  Variant::SetBool(*v.get(), value);
  Check(b.PutProperty(property.get(), *v.get()), L"Browser.PutProperty");
}

void ComBrowser::Navigate2(const Navigation& navigation) {
  QX_BROWSER("Browser.Navigate2");
  Variant url;
  Variant flags;
  Variant target;
  Variant postData;
  Variant headers;
  Variant::SetString(*url.get(), navigation.url);
  Variant::SetInt(*flags.get(), navigation.flags);
  if (navigation.targetFrameName) {
    Variant::SetString(*target.get(), *navigation.targetFrameName);
  } else {
    Variant::SetOmitted(*target.get());
  }
  if (navigation.postData.empty()) {
    Variant::SetOmitted(*postData.get());
  } else {
    postData.get()->vt = VT_ARRAY | VT_UI1;
    postData.get()->parray = ByteArray(navigation.postData);
  }
  if (navigation.headers.empty()) {
    Variant::SetOmitted(*headers.get());
  } else {
    Variant::SetString(*headers.get(), navigation.headers);
  }
  Check(b.Navigate2(url.get(), flags.get(), target.get(), postData.get(), headers.get()),
        L"Browser.Navigate2");
}

void ComBrowser::Quit() {
  QX_BROWSER("Browser.Quit");
  Check(b.Quit(), L"Browser.Quit");
}

void ComBrowser::Stop() {
  QX_BROWSER("Browser.Stop");
  Check(b.Stop(), L"Browser.Stop");
}

bool ComBrowser::FullScreen() {
  return GetBool(&IWebBrowser2::get_FullScreen, L"Browser.FullScreen");
}

void ComBrowser::SetFullScreen(bool on) {
  QX_BROWSER("Browser.SetFullScreen");
  Check(b.put_FullScreen(VBool(on)), L"Browser.SetFullScreen");
}

bool ComBrowser::MenuBar() {
  return GetBool(&IWebBrowser2::get_MenuBar, L"Browser.MenuBar");
}

void ComBrowser::SetMenuBar(bool on) {
  QX_BROWSER("Browser.SetMenuBar");
  Check(b.put_MenuBar(VBool(on)), L"Browser.SetMenuBar");
}

int ComBrowser::ToolBar() {
  QX_BROWSER("Browser.ToolBar");
  int value = 0;
  Check(b.get_ToolBar(&value), L"Browser.ToolBar");
  return value;
}

void ComBrowser::SetToolBar(int value) {
  QX_BROWSER("Browser.SetToolBar");
  Check(b.put_ToolBar(value), L"Browser.SetToolBar");
}

bool ComBrowser::StatusBar() {
  return GetBool(&IWebBrowser2::get_StatusBar, L"Browser.StatusBar");
}

void ComBrowser::SetStatusBar(bool on) {
  QX_BROWSER("Browser.SetStatusBar");
  Check(b.put_StatusBar(VBool(on)), L"Browser.SetStatusBar");
}

bool ComBrowser::TheaterMode() {
  return GetBool(&IWebBrowser2::get_TheaterMode, L"Browser.TheaterMode");
}

void ComBrowser::SetTheaterMode(bool on) {
  QX_BROWSER("Browser.SetTheaterMode");
  Check(b.put_TheaterMode(VBool(on)), L"Browser.SetTheaterMode");
}

bool ComBrowser::Resizable() {
  return GetBool(&IWebBrowser2::get_Resizable, L"Browser.Resizable");
}

void ComBrowser::SetResizable(bool on) {
  QX_BROWSER("Browser.SetResizable");
  Check(b.put_Resizable(VBool(on)), L"Browser.SetResizable");
}

bool ComBrowser::Silent() {
  return GetBool(&IWebBrowser2::get_Silent, L"Browser.Silent");
}

void ComBrowser::SetSilent(bool on) {
  QX_BROWSER("Browser.SetSilent");
  Check(b.put_Silent(VBool(on)), L"Browser.SetSilent");
}

bool ComBrowser::AddressBar() {
  return GetBool(&IWebBrowser2::get_AddressBar, L"Browser.AddressBar");
}

void ComBrowser::SetAddressBar(bool on) {
  QX_BROWSER("Browser.SetAddressBar");
  Check(b.put_AddressBar(VBool(on)), L"Browser.SetAddressBar");
}

int ComBrowser::Left() {
  return GetLong(&IWebBrowser2::get_Left, L"Browser.Left");
}

void ComBrowser::SetLeft(int value) {
  QX_BROWSER("Browser.SetLeft");
  Check(b.put_Left(value), L"Browser.SetLeft");
}

int ComBrowser::Top() {
  return GetLong(&IWebBrowser2::get_Top, L"Browser.Top");
}

void ComBrowser::SetTop(int value) {
  QX_BROWSER("Browser.SetTop");
  Check(b.put_Top(value), L"Browser.SetTop");
}

int ComBrowser::Width() {
  return GetLong(&IWebBrowser2::get_Width, L"Browser.Width");
}

void ComBrowser::SetWidth(int value) {
  QX_BROWSER("Browser.SetWidth");
  Check(b.put_Width(value), L"Browser.SetWidth");
}

int ComBrowser::Height() {
  return GetLong(&IWebBrowser2::get_Height, L"Browser.Height");
}

void ComBrowser::SetHeight(int value) {
  QX_BROWSER("Browser.SetHeight");
  Check(b.put_Height(value), L"Browser.SetHeight");
}

std::unique_ptr<Connection> ComBrowser::Connect(BrowserEvents& sink) {
  QX_BROWSER("Browser.Connect");
  return Advise(&b, MakeCom<BrowserEventSink>(sink), L"Browser.Connect");
}

#undef QX_BROWSER

// --- events -----------------------------------------------------------------------

BrowserEventSink::BrowserEventSink(BrowserEvents& events)
    : EventSink(DIID_DWebBrowserEvents2), events_(&events) {}

HRESULT BrowserEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT*, UINT* badArgument) {
  switch (id) {
    case DISPID_BEFORENAVIGATE2:
      return BeforeNavigate2(params, badArgument);
    case DISPID_NEWWINDOW2:
      return NewWindow2(params, badArgument);
    case DISPID_NAVIGATECOMPLETE2:
      return NavigateComplete2(params, badArgument);
    case DISPID_DOWNLOADCOMPLETE:
      if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (events_) events_->DownloadComplete();
      return S_OK;
    case DISPID_ONQUIT:
      if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
      if (events_) events_->OnQuit();
      return S_OK;
    case DISPID_ONFULLSCREEN:
    case DISPID_ONMENUBAR:
    case DISPID_ONSTATUSBAR:
    case DISPID_ONTHEATERMODE:
    case DISPID_ONTOOLBAR:
      return Chrome(id, params, badArgument);
    default:
      // The browser's other events are not watched.
      return S_OK;
  }
}

HRESULT BrowserEventSink::BeforeNavigate2(const DISPPARAMS& params, UINT* badArgument) {
  // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
  if (params.cArgs != 7) return DISP_E_BADPARAMCOUNT;
  const auto pDisp = DispatchOf(Arg(params, 0));
  if (!pDisp) return BadArgument(params, 0, badArgument);
  Navigation navigation;
  const auto url = StringOf(Arg(params, 1));
  if (!url) return BadArgument(params, 1, badArgument);
  navigation.url = *url;
  if (!IsMissing(Arg(params, 2))) {
    const auto flags = IntOf(Arg(params, 2));
    if (!flags) return BadArgument(params, 2, badArgument);
    navigation.flags = *flags;
  }
  if (!IsMissing(Arg(params, 3))) {
    navigation.targetFrameName = StringOf(Arg(params, 3));
    if (!navigation.targetFrameName) return BadArgument(params, 3, badArgument);
  }
  if (!IsMissing(Arg(params, 4))) {
    const auto postData = BytesOf(Arg(params, 4));
    if (!postData) return BadArgument(params, 4, badArgument);
    navigation.postData = *postData;
  }
  if (!IsMissing(Arg(params, 5))) {
    const auto headers = StringOf(Arg(params, 5));
    if (!headers) return BadArgument(params, 5, badArgument);
    navigation.headers = *headers;
  }
  VARIANT& cancelArg = Arg(params, 6);
  if (cancelArg.vt != (VT_BYREF | VT_BOOL) || !cancelArg.pboolVal) {
    return BadArgument(params, 6, badArgument);
  }
  if (!events_) return S_OK;
  bool cancel = *cancelArg.pboolVal != VARIANT_FALSE;
  std::shared_ptr<ComBrowser> browser = ComBrowser::From(pDisp->Get());
  if (!browser) browser = Unusable();
  events_->BeforeNavigate2(*browser, navigation, cancel);
  *cancelArg.pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT BrowserEventSink::NewWindow2(const DISPPARAMS& params, UINT* badArgument) {
  // ppDisp, Cancel.
  if (params.cArgs != 2) return DISP_E_BADPARAMCOUNT;
  VARIANT& objectArg = Arg(params, 0);
  if (objectArg.vt != (VT_BYREF | VT_DISPATCH) || !objectArg.ppdispVal) {
    return BadArgument(params, 0, badArgument);
  }
  VARIANT& cancelArg = Arg(params, 1);
  if (cancelArg.vt != (VT_BYREF | VT_BOOL) || !cancelArg.pboolVal) {
    return BadArgument(params, 1, badArgument);
  }
  if (!events_) return S_OK;
  bool cancel = *cancelArg.pboolVal != VARIANT_FALSE;
  const std::shared_ptr<Browser> given = ComBrowser::From(*objectArg.ppdispVal);
  std::shared_ptr<Browser> object = given;
  events_->NewWindow2(object, cancel);
  if (object != given) {
    ComPtr<IDispatch> replacement = ComBrowser::DispatchOf(object);
    if (object && !replacement) {
      // A browser that is no COM object cannot take the window: it must not
      // open elsewhere either.
      cancel = true;
    } else {
      // An [in, out] object: the old one is released, the new one is the
      // caller's to release.
      if (*objectArg.ppdispVal) (*objectArg.ppdispVal)->Release();
      *objectArg.ppdispVal = replacement.Detach();
    }
  }
  *cancelArg.pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT BrowserEventSink::NavigateComplete2(const DISPPARAMS& params, UINT* badArgument) {
  // pDisp, URL.
  if (params.cArgs != 2) return DISP_E_BADPARAMCOUNT;
  const auto pDisp = DispatchOf(Arg(params, 0));
  if (!pDisp) return BadArgument(params, 0, badArgument);
  const auto url = StringOf(Arg(params, 1));
  if (!url) return BadArgument(params, 1, badArgument);
  if (!events_) return S_OK;
  std::shared_ptr<ComBrowser> browser = ComBrowser::From(pDisp->Get());
  if (!browser) browser = Unusable();
  events_->NavigateComplete2(*browser, *url);
  return S_OK;
}

HRESULT BrowserEventSink::Chrome(DISPID id, const DISPPARAMS& params, UINT* badArgument) {
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  const auto on = BoolOf(Arg(params, 0));
  if (!on) return BadArgument(params, 0, badArgument);
  if (!events_) return S_OK;
  switch (id) {
    case DISPID_ONFULLSCREEN:
      events_->OnFullScreen(*on);
      break;
    case DISPID_ONMENUBAR:
      events_->OnMenuBar(*on);
      break;
    case DISPID_ONSTATUSBAR:
      events_->OnStatusBar(*on);
      break;
    case DISPID_ONTHEATERMODE:
      events_->OnTheaterMode(*on);
      break;
    case DISPID_ONTOOLBAR:
      events_->OnToolBar(*on);
      break;
    default:
      break;
  }
  return S_OK;
}

}  // namespace qx::win
