#pragma once
// Small COM objects standing in for the browser's: a connection point that
// raises events through IDispatch::Invoke with real DISPPARAMS, a late-bound
// object with named properties (document, window, element, event, location),
// a browser object (IWebBrowser2) and the shell's window list.

#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "win32/browser/ComSupport.h"

namespace qx::win::testing {

// A VARIANT that can be copied and kept.
class Value {
 public:
  Value() { VariantInit(&v_); }
  Value(const VARIANT& v) {  // NOLINT: a copy of any VARIANT
    VariantInit(&v_);
    VariantCopy(&v_, const_cast<VARIANT*>(&v));
  }
  Value(const Value& other) : Value(other.v_) {}
  Value& operator=(const Value& other) {
    if (this != &other) VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    return *this;
  }
  ~Value() { VariantClear(&v_); }
  static Value Str(std::wstring_view text);
  static Value Int(std::int32_t n);
  static Value Bool(bool on);
  static Value Object(IUnknown* object);  // VT_DISPATCH (null allowed)
  static Value Null();
  const VARIANT& get() const { return v_; }
  VARIANT& get() { return v_; }

 private:
  VARIANT v_;
};

// IUnknown for a fake: Find names the interfaces it answers, and the last
// reference deletes it.
template <class... Interfaces>
class Fake : public Interfaces... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = Find(riid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~Fake() = default;
  virtual void* Find(REFIID riid) = 0;

 private:
  std::atomic<ULONG> references_{1};
};

// Creates a fake holding its first reference.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
  ComPtr<T> object;
  object.Attach(new T(std::forward<Args>(args)...));
  return object;
}

// An IDispatch without type information or names of its own.
template <class Interface>
class NoTypeInfo : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
};

#define QX_NOT_IMPL(name, ...)                           \
  HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { \
    return E_NOTIMPL;                                    \
  }

class FakeConnectionPoint final : public Fake<IConnectionPoint> {
 public:
  explicit FakeConnectionPoint(const IID& events) : events_(events) {}

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
  }
  QX_NOT_IMPL(GetConnectionPointContainer, IConnectionPointContainer**)
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    return sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
  }
  QX_NOT_IMPL(EnumConnections, IEnumConnections**)

  // Raises an event on every sink; args in declaration order, named ones
  // in front (as MSHTML passes DISPID_THIS). Answers the last sink's
  // HRESULT (S_OK with no sinks) and its result.
  HRESULT Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result = nullptr,
               UINT* badArgument = nullptr, std::vector<DISPID> names = {},
               std::vector<VARIANT> named = {});
  std::size_t Sinks() const { return sinks_.size(); }
  const IID& Events() const { return events_; }

 protected:
  void* Find(REFIID riid) override {
    return riid == IID_IUnknown || riid == IID_IConnectionPoint
               ? static_cast<IConnectionPoint*>(this)
               : nullptr;
  }

 private:
  IID events_;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
  DWORD next_ = 1;
};

// The connection points of one object.
class PointContainer : public IConnectionPointContainer {
 public:
  QX_NOT_IMPL(EnumConnectionPoints, IEnumConnectionPoints**)
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  void Offer(const IID& events) { points_.push_back(Make<FakeConnectionPoint>(events)); }
  FakeConnectionPoint* Point(const IID& events);

 private:
  std::vector<ComPtr<FakeConnectionPoint>> points_;
};

// A late-bound object with named properties (names without regard to case),
// a default value, optional connection points and optional embedded objects
// (then it answers IOleContainer, as a document does).
class FakeObject final : public Fake<NoTypeInfo<IDispatch>, PointContainer, IOleContainer> {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;
  QX_NOT_IMPL(ParseDisplayName, IBindCtx*, LPOLESTR, ULONG*, IMoniker**)
  HRESULT STDMETHODCALLTYPE EnumObjects(DWORD flags, IEnumUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE LockContainer(BOOL) override { return S_OK; }

  IDispatch* AsDispatch() { return this; }
  void Set(std::wstring_view name, const Value& value);
  // The property as last set or put; an empty value when never.
  Value Get(std::wstring_view name) const;
  void SetDefault(const Value& value) {
    default_ = value;
    defaultSet_ = true;
  }
  void Embed(IUnknown* object) { embedded_.emplace_back(object); }

 protected:
  void* Find(REFIID riid) override;

 private:
  DISPID IdOf(const std::wstring& lowered);

  std::vector<std::wstring> names_;  // lower-cased; the DISPID is the index + 1
  std::map<std::wstring, Value> values_;
  Value default_;
  bool defaultSet_ = false;
  std::vector<ComPtr<IUnknown>> embedded_;
};

// A browser is another process: COM refuses a call into it while this
// thread handles a message that another thread sent and has not answered
// (RPC_E_CANTCALLOUT_ININPUTSYNCCALL; "Call Synchronization" and
// IMessageFilter in Microsoft's COM documentation). Wine lets such calls
// through, so the fakes refuse them as Windows does. The hidden control
// lives in the program's own process and is called directly.
HRESULT RefusedInsideASend(bool inProcess);

// What a browser's Navigate2 received.
struct NavigateCall {
  Value url, flags, target, postData, headers;
};

// A property of the browser: read and written through its field.
#define QX_FAKE_PROPERTY(Name, Type, field)                    \
  HRESULT STDMETHODCALLTYPE get_##Name(Type* value) override { \
    return Read(field, value);                                 \
  }                                                            \
  HRESULT STDMETHODCALLTYPE put_##Name(Type value) override {  \
    return Write(field, value);                                \
  }

class FakeBrowser final : public Fake<NoTypeInfo<IWebBrowser2>, PointContainer> {
 public:
  FakeBrowser() { Offer(DIID_DWebBrowserEvents2); }

  QX_NOT_IMPL(GoBack)
  QX_NOT_IMPL(GoForward)
  QX_NOT_IMPL(GoHome)
  QX_NOT_IMPL(GoSearch)
  QX_NOT_IMPL(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  QX_NOT_IMPL(Refresh)
  QX_NOT_IMPL(Refresh2, VARIANT*)
  QX_NOT_IMPL(get_Application, IDispatch**)
  QX_NOT_IMPL(get_Parent, IDispatch**)
  QX_NOT_IMPL(get_Container, IDispatch**)
  QX_NOT_IMPL(get_Type, BSTR*)
  QX_NOT_IMPL(get_LocationName, BSTR*)
  QX_NOT_IMPL(get_Busy, VARIANT_BOOL*)
  QX_NOT_IMPL(ClientToWindow, int*, int*)
  QX_NOT_IMPL(get_Name, BSTR*)
  QX_NOT_IMPL(get_Path, BSTR*)
  QX_NOT_IMPL(get_StatusText, BSTR*)
  QX_NOT_IMPL(put_StatusText, BSTR)
  QX_NOT_IMPL(QueryStatusWB, OLECMDID, OLECMDF*)
  QX_NOT_IMPL(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
  QX_NOT_IMPL(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
  QX_NOT_IMPL(get_ReadyState, READYSTATE*)
  QX_NOT_IMPL(get_Offline, VARIANT_BOOL*)
  QX_NOT_IMPL(put_Offline, VARIANT_BOOL)
  QX_NOT_IMPL(get_RegisterAsBrowser, VARIANT_BOOL*)
  QX_NOT_IMPL(put_RegisterAsBrowser, VARIANT_BOOL)
  QX_NOT_IMPL(get_RegisterAsDropTarget, VARIANT_BOOL*)
  QX_NOT_IMPL(put_RegisterAsDropTarget, VARIANT_BOOL)
  QX_FAKE_PROPERTY(Left, LONG, left)
  QX_FAKE_PROPERTY(Top, LONG, top)
  QX_FAKE_PROPERTY(Width, LONG, width)
  QX_FAKE_PROPERTY(Height, LONG, height)
  QX_FAKE_PROPERTY(ToolBar, int, toolBar)
  QX_FAKE_PROPERTY(Visible, VARIANT_BOOL, visible)
  QX_FAKE_PROPERTY(StatusBar, VARIANT_BOOL, statusBar)
  QX_FAKE_PROPERTY(MenuBar, VARIANT_BOOL, menuBar)
  QX_FAKE_PROPERTY(FullScreen, VARIANT_BOOL, fullScreen)
  QX_FAKE_PROPERTY(Silent, VARIANT_BOOL, silent)
  QX_FAKE_PROPERTY(TheaterMode, VARIANT_BOOL, theaterMode)
  QX_FAKE_PROPERTY(AddressBar, VARIANT_BOOL, addressBar)
  QX_FAKE_PROPERTY(Resizable, VARIANT_BOOL, resizable)
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* value) override {
    return Read(topLevel, value);
  }
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Quit() override;
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* window) override;
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target,
                                      VARIANT* postData, VARIANT* headers) override;

  // The test's side.
  IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }
  FakeConnectionPoint& Events() { return *Point(DIID_DWebBrowserEvents2); }
  SHANDLE_PTR window = 0;  // 0: get_HWND fails, as a frame's does
  std::wstring fullName = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
  std::wstring location;
  bool topLevel = true;
  bool visible = false;
  bool fullScreen = false, menuBar = true, statusBar = true, theaterMode = false;
  bool silent = false, addressBar = true, resizable = true;
  int toolBar = 1;
  LONG left = 10, top = 20, width = 800, height = 600;
  ComPtr<IDispatch> document;
  std::map<std::wstring, Value> properties;
  std::vector<NavigateCall> navigations;
  int stops = 0;
  bool quit = false;
  // Every call fails with this when set (a browser that went away).
  HRESULT failure = S_OK;
  // The hidden control of the program's own process, not another process.
  bool inProcess = false;

 protected:
  void* Find(REFIID riid) override;

 private:
  HRESULT Refused() const { return FAILED(failure) ? failure : RefusedInsideASend(inProcess); }
  template <class Field, class Out>
  HRESULT Read(const Field& field, Out* out) const {
    if (const HRESULT hr = Refused(); FAILED(hr)) return hr;
    if (!out) return E_POINTER;
    if constexpr (std::is_same_v<Field, bool>) {
      *out = field ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
      *out = field;
    }
    return S_OK;
  }
  template <class Field, class In>
  HRESULT Write(Field& field, In value) {
    if (const HRESULT hr = Refused(); FAILED(hr)) return hr;
    if constexpr (std::is_same_v<Field, bool>) {
      field = value != VARIANT_FALSE;
    } else {
      field = value;
    }
    return S_OK;
  }
};

#undef QX_FAKE_PROPERTY

class FakeShellWindows final : public Fake<NoTypeInfo<IShellWindows>, PointContainer> {
 public:
  FakeShellWindows() { Offer(DIID_DShellWindowsEvents); }

  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override;
  QX_NOT_IMPL(_NewEnum, IUnknown**)
  QX_NOT_IMPL(Register, IDispatch*, LONG, int, LONG*)
  QX_NOT_IMPL(RegisterPending, LONG, VARIANT*, VARIANT*, int, LONG*)
  QX_NOT_IMPL(Revoke, LONG)
  QX_NOT_IMPL(OnNavigate, LONG, VARIANT*)
  QX_NOT_IMPL(OnActivated, LONG, VARIANT_BOOL)
  QX_NOT_IMPL(FindWindowSW, VARIANT*, VARIANT*, int, LONG*, int, IDispatch**)
  QX_NOT_IMPL(OnCreated, LONG, IUnknown*)
  QX_NOT_IMPL(ProcessAttachDetach, VARIANT_BOOL)

  // The world's side: a window joins the list and is announced.
  LONG Open(IDispatch* window);
  void Close(LONG cookie);
  FakeConnectionPoint& Events() { return *Point(DIID_DShellWindowsEvents); }
  // The count and item calls answer this when set (a shell without them).
  HRESULT failure = S_OK;

 protected:
  void* Find(REFIID riid) override;

 private:
  struct Entry {
    LONG cookie;
    ComPtr<IDispatch> window;
  };
  std::vector<Entry> entries_;
  LONG next_ = 0;
};

#undef QX_NOT_IMPL

// The values an event raises, by reference as the browser passes them.
VARIANT RefBool(VARIANT_BOOL* b);
VARIANT RefVariant(VARIANT* v);
VARIANT RefDispatch(IDispatch** d);
VARIANT Plain(const Value& v);  // a shallow copy: the Value keeps ownership

}  // namespace qx::win::testing
