#pragma once
// A browser object (IWebBrowser2: an application window, a frame or a hosted
// control) as the core's Browser, and the sink that turns its
// DWebBrowserEvents2 into the core's BrowserEvents.

#include <exdisp.h>
#include <windows.h>

#include <memory>

#include "platform/Browser.h"
#include "win32/browser/ComSupport.h"
#include "win32/browser/SinkConnection.h"

namespace qx::win {

class ComBrowser final : public Browser {
 public:
  // keepAlive: whatever must live as long as the browser object is used
  // through this adapter (the hidden control's host).
  explicit ComBrowser(ComPtr<IWebBrowser2> browser, std::shared_ptr<void> keepAlive = nullptr);
  // The adapter for any browser object; none when the object is no browser.
  static std::shared_ptr<ComBrowser> From(IUnknown* object);
  // The object to hand to COM for a browser of the core (a new window's
  // ppDisp); null when it is not one of these adapters.
  static ComPtr<IDispatch> DispatchOf(const std::shared_ptr<Browser>& browser);
  IWebBrowser2* Object() const { return browser_.Get(); }

  Hwnd HWND() override;
  std::wstring FullName() override;
  bool TopLevelContainer() override;
  bool Visible() override;
  void SetVisible(bool on) override;
  std::wstring LocationURL() override;
  std::shared_ptr<Document> GetDocument() override;
  std::optional<bool> GetProperty(const std::wstring& name) override;
  void PutProperty(const std::wstring& name, bool value) override;
  void Navigate2(const Navigation& navigation) override;
  void Quit() override;
  void Stop() override;
  bool FullScreen() override;
  void SetFullScreen(bool on) override;
  bool MenuBar() override;
  void SetMenuBar(bool on) override;
  int ToolBar() override;
  void SetToolBar(int value) override;
  bool StatusBar() override;
  void SetStatusBar(bool on) override;
  bool TheaterMode() override;
  void SetTheaterMode(bool on) override;
  bool Resizable() override;
  void SetResizable(bool on) override;
  bool Silent() override;
  void SetSilent(bool on) override;
  bool AddressBar() override;
  void SetAddressBar(bool on) override;
  int Left() override;
  void SetLeft(int value) override;
  int Top() override;
  void SetTop(int value) override;
  int Width() override;
  void SetWidth(int value) override;
  int Height() override;
  void SetHeight(int value) override;
  std::unique_ptr<Connection> Connect(BrowserEvents& sink) override;

 private:
  bool GetBool(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(VARIANT_BOOL*), const wchar_t* name);
  int GetLong(HRESULT (STDMETHODCALLTYPE IWebBrowser2::*get)(LONG*), const wchar_t* name);

  ComPtr<IWebBrowser2> browser_;
  std::shared_ptr<void> keepAlive_;
};

// DWebBrowserEvents2 → BrowserEvents.
class BrowserEventSink final : public EventSink {
 public:
  explicit BrowserEventSink(BrowserEvents& events);
  void Detach() override { events_ = nullptr; }

 protected:
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* badArgument) override;

 private:
  HRESULT BeforeNavigate2(const DISPPARAMS& params, UINT* badArgument);
  HRESULT NewWindow2(const DISPPARAMS& params, UINT* badArgument);
  HRESULT NavigateComplete2(const DISPPARAMS& params, UINT* badArgument);
  HRESULT Chrome(DISPID id, const DISPPARAMS& params, UINT* badArgument);

  BrowserEvents* events_;
};

}  // namespace qx::win
