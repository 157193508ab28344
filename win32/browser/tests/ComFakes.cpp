#include "ComFakes.h"

#include <algorithm>

#include <exdispid.h>
#include <olectl.h>

#include "base/Text.h"

namespace qx::win::testing {
namespace {

std::wstring Lower(std::wstring_view text) {
  return LowerCase(text);
}

template <class T>
HRESULT Hand(T* object, void** out) {
  *out = object;
  object->AddRef();
  return S_OK;
}

HRESULT PutBool(bool value, VARIANT_BOOL* out) {
  if (!out) return E_POINTER;
  *out = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT PutText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

}  // namespace

// --- values -----------------------------------------------------------------------

Value Value::Str(std::wstring_view text) {
  Value v;
  Variant::SetString(v.v_, text);
  return v;
}

Value Value::Int(std::int32_t n) {
  Value v;
  Variant::SetInt(v.v_, n);
  return v;
}

Value Value::Bool(bool on) {
  Value v;
  Variant::SetBool(v.v_, on);
  return v;
}

Value Value::Object(IUnknown* object) {
  Value v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = nullptr;
  if (object) object->QueryInterface(IID_PPV_ARGS(&v.v_.pdispVal));
  return v;
}

Value Value::Null() {
  Value v;
  v.v_.vt = VT_NULL;
  return v;
}

VARIANT RefBool(VARIANT_BOOL* b) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_BOOL;
  v.pboolVal = b;
  return v;
}

VARIANT RefVariant(VARIANT* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_VARIANT;
  v.pvarVal = target;
  return v;
}

VARIANT RefDispatch(IDispatch** d) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | VT_DISPATCH;
  v.ppdispVal = d;
  return v;
}

VARIANT Plain(const Value& value) {
  return value.get();
}

// --- connection points ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE FakeConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    return Hand(static_cast<IConnectionPoint*>(this), object);
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = events_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
FakeConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** c) {
  if (!c) return E_POINTER;
  *c = owner_;
  if (!owner_) return E_UNEXPECTED;
  owner_->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  // The real sources ask the sink for the event interface itself.
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(events.GetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = next_++;
  sinks_[*cookie] = events;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeConnectionPoint::Unadvise(DWORD cookie) {
  return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE FakeConnectionPoint::EnumConnections(IEnumConnections** e) {
  if (e) *e = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeConnectionPoint::Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result,
                                  UINT* badArgument) {
  return FireNamed(id, std::move(args), {}, {}, result, badArgument);
}

HRESULT FakeConnectionPoint::FireNamed(DISPID id, std::vector<VARIANT> args,
                                       std::vector<DISPID> names, std::vector<VARIANT> named,
                                       VARIANT* result, UINT* badArgument) {
  // Named arguments first, then the positional ones in reverse order.
  std::reverse(args.begin(), args.end());
  args.insert(args.begin(), named.begin(), named.end());
  DISPPARAMS params{args.empty() ? nullptr : args.data(), names.empty() ? nullptr : names.data(),
                    static_cast<UINT>(args.size()), static_cast<UINT>(names.size())};
  // A sink may unadvise while it handles the event.
  std::vector<ComPtr<IDispatch>> sinks;
  for (const auto& [cookie, sink] : sinks_)
    sinks.push_back(sink);
  HRESULT last = S_OK;
  for (const auto& sink : sinks) {
    last = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result,
                        nullptr, badArgument);
  }
  return last;
}

void ConnectionPoints::Offer(const IID& events, IConnectionPointContainer* owner) {
  points_.push_back(Make<FakeConnectionPoint>(events, owner));
}

HRESULT ConnectionPoints::Find(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  for (const auto& p : points_) {
    if (IsEqualIID(p->Events(), riid)) {
      *point = p.Get();
      p->AddRef();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

FakeConnectionPoint* ConnectionPoints::Point(const IID& events) {
  for (const auto& p : points_) {
    if (IsEqualIID(p->Events(), events)) return p.Get();
  }
  return nullptr;
}

void ConnectionPoints::Orphan() {
  for (const auto& p : points_)
    p->Orphan();
}

// --- late-bound objects -----------------------------------------------------------

HRESULT STDMETHODCALLTYPE FakeObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    return Hand(static_cast<IDispatch*>(this), object);
  }
  if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
    return Hand(static_cast<IConnectionPointContainer*>(this), object);
  }
  if (container_ &&
      (IsEqualIID(riid, IID_IOleContainer) || IsEqualIID(riid, IID_IParseDisplayName))) {
    return Hand(static_cast<IOleContainer*>(this), object);
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

DISPID FakeObject::IdOf(const std::wstring& lowered) {
  const auto it = std::find(names_.begin(), names_.end(), lowered);
  if (it != names_.end()) return static_cast<DISPID>(it - names_.begin()) + 1;
  names_.push_back(lowered);
  return static_cast<DISPID>(names_.size());
}

HRESULT STDMETHODCALLTYPE FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                    DISPID* ids) {
  if (!names || !ids || count != 1) return E_INVALIDARG;
  const std::wstring name = Lower(names[0]);
  // Only the properties the object has (set, put or failing) are known,
  // as an element of another kind does not know "href".
  if (!values_.count(name) && !failures_.count(name)) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = IdOf(name);
  return S_OK;
}

// A browser is another process: COM refuses a call into it while this
// thread handles a message that another thread sent and has not answered
// (RPC_E_CANTCALLOUT_ININPUTSYNCCALL; "Call Synchronization" and
// IMessageFilter in Microsoft's COM documentation). Wine lets such calls
// through, so the fakes refuse them as Windows does. The hidden control
// lives in the program's own process and is called directly.
HRESULT RefusedInsideASend(bool inProcess) {
  if (inProcess) return S_OK;
  const DWORD send = InSendMessageEx(nullptr);
  return (send & (ISMEX_SEND | ISMEX_REPLIED)) == ISMEX_SEND ? RPC_E_CANTCALLOUT_ININPUTSYNCCALL
                                                             : S_OK;
}

HRESULT STDMETHODCALLTYPE FakeObject::Invoke(DISPID id, REFIID, LCID, WORD flags,
                                             DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                             UINT*) {
  // Pages live in the browser's process too.
  if (const HRESULT refused = RefusedInsideASend(false); FAILED(refused)) return refused;
  if (id == DISPID_VALUE) {
    if (!defaultSet_) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantCopy(result, const_cast<VARIANT*>(&default_.get()));
    return S_OK;
  }
  if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
  const std::wstring& name = names_[static_cast<std::size_t>(id) - 1];
  if (flags & DISPATCH_PROPERTYPUT) {
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    values_[name] = Value(params->rgvarg[0]);
    return S_OK;
  }
  if (const auto failure = failures_.find(name); failure != failures_.end()) {
    return failure->second;
  }
  if (result) VariantCopy(result, &values_[name].get());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeObject::EnumConnectionPoints(IEnumConnectionPoints** e) {
  if (e) *e = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  return points_.Find(riid, point);
}

namespace {

class FakeEnumUnknown final : public IEnumUnknown, private RefCounted {
 public:
  explicit FakeEnumUnknown(std::vector<ComPtr<IUnknown>> items) : items_(std::move(items)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumUnknown)) {
      return Hand(static_cast<IEnumUnknown*>(this), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
  ULONG STDMETHODCALLTYPE Release() override { return Down(); }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** out, ULONG* fetched) override {
    ULONG n = 0;
    while (n < count && at_ < items_.size()) {
      out[n] = items_[at_++].Get();
      out[n]->AddRef();
      ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    at_ = std::min<std::size_t>(items_.size(), at_ + count);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** e) override {
    if (e) *e = nullptr;
    return E_NOTIMPL;
  }

 private:
  std::vector<ComPtr<IUnknown>> items_;
  std::size_t at_ = 0;
};

}  // namespace

HRESULT STDMETHODCALLTYPE FakeObject::EnumObjects(DWORD, IEnumUnknown** objects) {
  if (!objects) return E_POINTER;
  *objects = Make<FakeEnumUnknown>(embedded_).Detach();
  return S_OK;
}

void FakeObject::Set(std::wstring_view name, const Value& value) {
  const std::wstring lowered = Lower(name);
  values_[lowered] = value;
  IdOf(lowered);
}

Value FakeObject::Get(std::wstring_view name) const {
  const auto it = values_.find(Lower(name));
  return it == values_.end() ? Value() : it->second;
}

void FakeObject::Embed(IUnknown* object) {
  container_ = true;
  embedded_.emplace_back(object);
}

void FakeObject::FailOn(std::wstring_view name, HRESULT hr) {
  const std::wstring lowered = Lower(name);
  failures_[lowered] = hr;
  IdOf(lowered);
}

// --- browsers ---------------------------------------------------------------------

FakeBrowser::FakeBrowser() {
  points_.Offer(DIID_DWebBrowserEvents2, this);
}

HRESULT STDMETHODCALLTYPE FakeBrowser::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, IID_IWebBrowser) || IsEqualIID(riid, IID_IWebBrowserApp) ||
      IsEqualIID(riid, IID_IWebBrowser2)) {
    return Hand(static_cast<IWebBrowser2*>(this), object);
  }
  if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
    return Hand(static_cast<IConnectionPointContainer*>(this), object);
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::EnumConnectionPoints(IEnumConnectionPoints** e) {
  if (e) *e = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  return points_.Find(riid, point);
}

#define QX_FAKE_FAILS                  \
  if (FAILED(failure)) return failure; \
  if (const HRESULT refused = RefusedInsideASend(inProcess); FAILED(refused)) return refused

HRESULT STDMETHODCALLTYPE FakeBrowser::Stop() {
  QX_FAKE_FAILS;
  ++stops;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_Document(IDispatch** out) {
  QX_FAKE_FAILS;
  if (!out) return E_POINTER;
  *out = document.Get();
  if (*out) (*out)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_TopLevelContainer(VARIANT_BOOL* value) {
  QX_FAKE_FAILS;
  return PutBool(topLevel, value);
}

#define QX_FAKE_LONG(Name, field)                                  \
  HRESULT STDMETHODCALLTYPE FakeBrowser::get_##Name(LONG* value) { \
    QX_FAKE_FAILS;                                                 \
    if (!value) return E_POINTER;                                  \
    *value = field;                                                \
    return S_OK;                                                   \
  }                                                                \
  HRESULT STDMETHODCALLTYPE FakeBrowser::put_##Name(LONG value) {  \
    QX_FAKE_FAILS;                                                 \
    field = value;                                                 \
    return S_OK;                                                   \
  }
QX_FAKE_LONG(Left, left)
QX_FAKE_LONG(Top, top)
QX_FAKE_LONG(Width, width)
QX_FAKE_LONG(Height, height)
#undef QX_FAKE_LONG

#define QX_FAKE_BOOL(Name, field)                                          \
  HRESULT STDMETHODCALLTYPE FakeBrowser::get_##Name(VARIANT_BOOL* value) { \
    QX_FAKE_FAILS;                                                         \
    return PutBool(field, value);                                          \
  }                                                                        \
  HRESULT STDMETHODCALLTYPE FakeBrowser::put_##Name(VARIANT_BOOL value) {  \
    QX_FAKE_FAILS;                                                         \
    field = value != VARIANT_FALSE;                                        \
    return S_OK;                                                           \
  }
QX_FAKE_BOOL(Visible, visible)
QX_FAKE_BOOL(StatusBar, statusBar)
QX_FAKE_BOOL(MenuBar, menuBar)
QX_FAKE_BOOL(FullScreen, fullScreen)
QX_FAKE_BOOL(Silent, silent)
QX_FAKE_BOOL(TheaterMode, theaterMode)
QX_FAKE_BOOL(AddressBar, addressBar)
QX_FAKE_BOOL(Resizable, resizable)
#undef QX_FAKE_BOOL

HRESULT STDMETHODCALLTYPE FakeBrowser::get_LocationURL(BSTR* url) {
  QX_FAKE_FAILS;
  return PutText(location, url);
}

HRESULT STDMETHODCALLTYPE FakeBrowser::Quit() {
  QX_FAKE_FAILS;
  quit = true;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::PutProperty(BSTR name, VARIANT value) {
  QX_FAKE_FAILS;
  properties[Bstr::Text(name)] = Value(value);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::GetProperty(BSTR name, VARIANT* value) {
  QX_FAKE_FAILS;
  if (!value) return E_POINTER;
  VariantInit(value);
  const auto it = properties.find(Bstr::Text(name));
  if (it != properties.end()) VariantCopy(value, &it->second.get());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_HWND(SHANDLE_PTR* value) {
  QX_FAKE_FAILS;
  if (!value) return E_POINTER;
  *value = window;
  return window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_FullName(BSTR* name) {
  QX_FAKE_FAILS;
  return PutText(fullName, name);
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_ToolBar(int* value) {
  QX_FAKE_FAILS;
  if (!value) return E_POINTER;
  *value = toolBar;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::put_ToolBar(int value) {
  QX_FAKE_FAILS;
  toolBar = value;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target,
                                                 VARIANT* postData, VARIANT* headers) {
  QX_FAKE_FAILS;
  NavigateCall call;
  if (url) call.url = Value(*url);
  if (flags) call.flags = Value(*flags);
  if (target) call.target = Value(*target);
  if (postData) call.postData = Value(*postData);
  if (headers) call.headers = Value(*headers);
  navigations.push_back(call);
  return S_OK;
}

#undef QX_FAKE_FAILS

// --- the shell's window list ------------------------------------------------------

FakeShellWindows::FakeShellWindows() {
  points_.Offer(DIID_DShellWindowsEvents, this);
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, IID_IShellWindows)) {
    return Hand(static_cast<IShellWindows*>(this), object);
  }
  if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
    return Hand(static_cast<IConnectionPointContainer*>(this), object);
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::EnumConnectionPoints(IEnumConnectionPoints** e) {
  if (e) *e = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::FindConnectionPoint(REFIID riid,
                                                                IConnectionPoint** point) {
  return points_.Find(riid, point);
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::get_Count(LONG* count) {
  if (FAILED(failure)) return failure;
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(entries_.size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeShellWindows::Item(VARIANT index, IDispatch** folder) {
  if (FAILED(failure)) return failure;
  if (!folder) return E_POINTER;
  *folder = nullptr;
  const auto at = IntOf(index);
  if (!at) return E_INVALIDARG;
  // Past the end: S_FALSE and no object, as the shell answers.
  if (*at < 0 || static_cast<std::size_t>(*at) >= entries_.size()) return S_FALSE;
  *folder = entries_[static_cast<std::size_t>(*at)].window.Get();
  if (*folder) (*folder)->AddRef();
  return S_OK;
}

LONG FakeShellWindows::Open(IDispatch* window) {
  const LONG cookie = next_++;
  entries_.push_back(Entry{cookie, window});
  Value c = Value::Int(cookie);
  Events().Fire(DISPID_WINDOWREGISTERED, {Plain(c)});
  return cookie;
}

void FakeShellWindows::Close(LONG cookie) {
  std::erase_if(entries_, [cookie](const Entry& e) { return e.cookie == cookie; });
  Value c = Value::Int(cookie);
  Events().Fire(DISPID_WINDOWREVOKED, {Plain(c)});
}

}  // namespace qx::win::testing
