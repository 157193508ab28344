#include "ComFakes.h"

#include <algorithm>

#include <exdispid.h>
#include <olectl.h>

#include "base/Text.h"

namespace qx::win::testing {
namespace {

HRESULT PutText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

VARIANT Ref(VARTYPE type, void* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BYREF | type;
  v.byref = target;
  return v;
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
  return Ref(VT_BOOL, b);
}

VARIANT RefVariant(VARIANT* target) {
  return Ref(VT_VARIANT, target);
}

VARIANT RefDispatch(IDispatch** d) {
  return Ref(VT_DISPATCH, d);
}

VARIANT Plain(const Value& value) {
  return value.get();
}

// --- connection points ------------------------------------------------------------

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

HRESULT FakeConnectionPoint::Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result,
                                  UINT* badArgument, std::vector<DISPID> names,
                                  std::vector<VARIANT> named) {
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

HRESULT STDMETHODCALLTYPE PointContainer::FindConnectionPoint(REFIID riid,
                                                              IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = Point(riid);
  if (!*point) return CONNECT_E_NOCONNECTION;
  (*point)->AddRef();
  return S_OK;
}

FakeConnectionPoint* PointContainer::Point(const IID& events) {
  for (const auto& p : points_) {
    if (IsEqualIID(p->Events(), events)) return p.Get();
  }
  return nullptr;
}

// --- late-bound objects -----------------------------------------------------------

void* FakeObject::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch) return static_cast<IDispatch*>(this);
  if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
  // Only a document with embedded objects is their container.
  if (!embedded_.empty() && (riid == IID_IOleContainer || riid == IID_IParseDisplayName)) {
    return static_cast<IOleContainer*>(this);
  }
  return nullptr;
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
  const std::wstring name = LowerCase(names[0]);
  // Only the properties the object has (set or put) are known, as an
  // element of another kind does not know "href".
  if (!values_.count(name)) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = IdOf(name);
  return S_OK;
}

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
  if (result) VariantCopy(result, &values_[name].get());
  return S_OK;
}

namespace {

class FakeEnumUnknown final : public Fake<IEnumUnknown> {
 public:
  explicit FakeEnumUnknown(std::vector<ComPtr<IUnknown>> items) : items_(std::move(items)) {}
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IUnknown** out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count && at_ < items_.size(); ++n) {
      out[n] = items_[at_++].Get();
      out[n]->AddRef();
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
  HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown**) override { return E_NOTIMPL; }

 protected:
  void* Find(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IEnumUnknown ? static_cast<IEnumUnknown*>(this)
                                                            : nullptr;
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
  const std::wstring lowered = LowerCase(name);
  values_[lowered] = value;
  IdOf(lowered);
}

Value FakeObject::Get(std::wstring_view name) const {
  const auto it = values_.find(LowerCase(name));
  return it == values_.end() ? Value() : it->second;
}

// --- browsers ---------------------------------------------------------------------

void* FakeBrowser::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser ||
      riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2) {
    return static_cast<IWebBrowser2*>(this);
  }
  if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
  return nullptr;
}

#define QX_FAKE_FAILS \
  if (const HRESULT hr = Refused(); FAILED(hr)) return hr

HRESULT STDMETHODCALLTYPE FakeBrowser::Stop() {
  QX_FAKE_FAILS;
  ++stops;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::Quit() {
  QX_FAKE_FAILS;
  quit = true;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_Document(IDispatch** out) {
  QX_FAKE_FAILS;
  if (!out) return E_POINTER;
  *out = document.Get();
  if (*out) (*out)->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeBrowser::get_LocationURL(BSTR* url) {
  QX_FAKE_FAILS;
  return PutText(location, url);
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

HRESULT STDMETHODCALLTYPE FakeBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target,
                                                 VARIANT* postData, VARIANT* headers) {
  QX_FAKE_FAILS;
  const auto copy = [](VARIANT* v) { return v ? Value(*v) : Value(); };
  navigations.push_back({copy(url), copy(flags), copy(target), copy(postData), copy(headers)});
  return S_OK;
}

#undef QX_FAKE_FAILS

// --- the shell's window list ------------------------------------------------------

void* FakeShellWindows::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IShellWindows) {
    return static_cast<IShellWindows*>(this);
  }
  if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
  return nullptr;
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
