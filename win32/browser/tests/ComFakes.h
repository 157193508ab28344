#pragma once
// Small COM objects standing in for the browser's: a connection point that
// raises events through IDispatch::Invoke with real DISPPARAMS, a late-bound
// object with named properties (document, window, element, event, location),
// a browser object (IWebBrowser2) and the shell's window list.

#include <exdisp.h>
#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
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

// Reference counting for the fakes.
class RefCounted {
 protected:
  virtual ~RefCounted() = default;
  ULONG Up() { return ++references_; }
  ULONG Down() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

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

class FakeConnectionPoint final : public IConnectionPoint, private RefCounted {
 public:
  FakeConnectionPoint(const IID& events, IConnectionPointContainer* owner)
      : events_(events), owner_(owner) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
  ULONG STDMETHODCALLTYPE Release() override { return Down(); }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** c) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** e) override;

  // Raises an event on every sink; args in declaration order. Answers the
  // last sink's HRESULT (S_OK with no sinks) and its result.
  HRESULT Fire(DISPID id, std::vector<VARIANT> args, VARIANT* result = nullptr,
               UINT* badArgument = nullptr);
  // The same with named arguments in front, as MSHTML passes DISPID_THIS.
  HRESULT FireNamed(DISPID id, std::vector<VARIANT> args, std::vector<DISPID> names,
                    std::vector<VARIANT> named, VARIANT* result = nullptr,
                    UINT* badArgument = nullptr);
  std::size_t Sinks() const { return sinks_.size(); }
  const IID& Events() const { return events_; }
  // The owner went: no way back to it.
  void Orphan() { owner_ = nullptr; }

 private:
  IID events_;
  IConnectionPointContainer* owner_;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
  DWORD next_ = 1;
};

// The connection points of one object.
class ConnectionPoints {
 public:
  void Offer(const IID& events, IConnectionPointContainer* owner);
  HRESULT Find(REFIID riid, IConnectionPoint** point);
  FakeConnectionPoint* Point(const IID& events);
  void Orphan();

 private:
  std::vector<ComPtr<FakeConnectionPoint>> points_;
};

// A late-bound object with named properties (names without regard to case),
// a default value, optional connection points and optional embedded objects
// (then it answers IOleContainer, as a document does).
class FakeObject final : public IDispatch,
                         public IConnectionPointContainer,
                         public IOleContainer,
                         private RefCounted {
 public:
  FakeObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
  ULONG STDMETHODCALLTYPE Release() override { return Down(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** e) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EnumObjects(DWORD flags, IEnumUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE LockContainer(BOOL) override { return S_OK; }

  IDispatch* AsDispatch() { return static_cast<IDispatch*>(this); }
  void Set(std::wstring_view name, const Value& value);
  // The property as last set or put; an empty value when never.
  Value Get(std::wstring_view name) const;
  void SetDefault(const Value& value) {
    default_ = value;
    defaultSet_ = true;
  }
  void Offer(const IID& events) { points_.Offer(events, this); }
  FakeConnectionPoint* Point(const IID& events) { return points_.Point(events); }
  void Embed(IUnknown* object);
  // A named property fails to be read with this error.
  void FailOn(std::wstring_view name, HRESULT hr);

 private:
  ~FakeObject() override { points_.Orphan(); }
  DISPID IdOf(const std::wstring& lowered);

  std::vector<std::wstring> names_;  // lower-cased; the DISPID is the index + 1
  std::map<std::wstring, Value> values_;
  std::map<std::wstring, HRESULT> failures_;
  Value default_;
  bool defaultSet_ = false;
  ConnectionPoints points_;
  std::vector<ComPtr<IUnknown>> embedded_;
  bool container_ = false;
};

// What a browser's Navigate2 received.
struct NavigateCall {
  Value url, flags, target, postData, headers;
};

class FakeBrowser final : public IWebBrowser2,
                          public IConnectionPointContainer,
                          private RefCounted {
 public:
  FakeBrowser();

  // IUnknown, IDispatch
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
  ULONG STDMETHODCALLTYPE Release() override { return Down(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** e) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  // IWebBrowser
  HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoHome() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GoSearch() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Refresh2(VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE get_Application(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Container(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
  HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE get_Type(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Left(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Left(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Top(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Top(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Width(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Width(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_Height(LONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Height(LONG value) override;
  HRESULT STDMETHODCALLTYPE get_LocationName(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
  HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }
  // IWebBrowserApp
  HRESULT STDMETHODCALLTYPE Quit() override;
  HRESULT STDMETHODCALLTYPE ClientToWindow(int*, int*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
  HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* window) override;
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_StatusText(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_StatusText(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ToolBar(int* value) override;
  HRESULT STDMETHODCALLTYPE put_ToolBar(int value) override;
  HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL value) override;
  // IWebBrowser2
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target,
                                      VARIANT* postData, VARIANT* headers) override;
  HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL value) override;

  // The test's side.
  IDispatch* AsDispatch() { return static_cast<IWebBrowser2*>(this); }
  FakeConnectionPoint& Events() { return *points_.Point(DIID_DWebBrowserEvents2); }
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

 private:
  ~FakeBrowser() override { points_.Orphan(); }
  ConnectionPoints points_;
};

class FakeShellWindows final : public IShellWindows,
                               public IConnectionPointContainer,
                               private RefCounted {
 public:
  FakeShellWindows();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return Up(); }
  ULONG STDMETHODCALLTYPE Release() override { return Down(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** e) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override;
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int,
                                         IDispatch**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }

  IShellWindows* AsShellWindows() { return this; }
  // The world's side: a window joins the list and is announced.
  LONG Open(IDispatch* window);
  void Close(LONG cookie);
  FakeConnectionPoint& Events() { return *points_.Point(DIID_DShellWindowsEvents); }
  // The count and item calls answer this when set (a shell without them).
  HRESULT failure = S_OK;

 private:
  ~FakeShellWindows() override { points_.Orphan(); }
  struct Entry {
    LONG cookie;
    ComPtr<IDispatch> window;
  };
  std::vector<Entry> entries_;
  LONG next_ = 0;
  ConnectionPoints points_;
};

// The values an event raises, by reference as the browser passes them.
struct ByRef {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  IDispatch* object = nullptr;
};
VARIANT RefBool(VARIANT_BOOL* b);
VARIANT RefVariant(VARIANT* v);
VARIANT RefDispatch(IDispatch** d);
VARIANT Plain(const Value& v);  // a shallow copy: the Value keeps ownership

}  // namespace qx::win::testing
