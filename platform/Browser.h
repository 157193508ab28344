#pragma once
// The part of a browser window the program uses, and its events. Every call
// may throw PlatformError: the window may close at any moment.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Connection.h"
#include "platform/Dom.h"
#include "platform/PlatformError.h"
#include "platform/Types.h"

namespace qx {

class Browser;

// The arguments a navigation carries, as BeforeNavigate2 gives them and as
// Navigate2 takes them.
struct Navigation {
  std::wstring url;
  std::int32_t flags = 0;
  // None: the argument is omitted.
  std::optional<std::wstring> targetFrameName;
  std::string postData;
  std::wstring headers;
};

class BrowserEvents {
 public:
  virtual ~BrowserEvents() = default;
  // pDisp is the browser or frame that navigates.
  virtual void BeforeNavigate2(Browser& pDisp, Navigation& navigation, bool& cancel) = 0;
  // ppDisp may be replaced by the browser object the new window is to open in.
  virtual void NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) = 0;
  virtual void NavigateComplete2(Browser& pDisp, const std::wstring& url) = 0;
  virtual void DownloadComplete() = 0;
  virtual void OnQuit() = 0;
  virtual void OnFullScreen(bool on) = 0;
  virtual void OnMenuBar(bool on) = 0;
  virtual void OnStatusBar(bool on) = 0;
  virtual void OnTheaterMode(bool on) = 0;
  virtual void OnToolBar(bool on) = 0;
};

class Browser {
 public:
  virtual ~Browser() = default;
  virtual Hwnd HWND() = 0;
  virtual std::wstring FullName() = 0;
  virtual bool TopLevelContainer() = 0;
  virtual bool Visible() = 0;
  virtual void SetVisible(bool on) = 0;
  virtual std::wstring LocationURL() = 0;
  // None while no document is loaded.
  virtual std::shared_ptr<Document> GetDocument() = 0;
  // A property of the browser window's own bag; none when unset or not a
  // Boolean.
  virtual std::optional<bool> GetProperty(const std::wstring& name) = 0;
  virtual void PutProperty(const std::wstring& name, bool value) = 0;
  virtual void Navigate2(const Navigation& navigation) = 0;
  virtual void Quit() = 0;
  virtual void Stop() = 0;

  virtual bool FullScreen() = 0;
  virtual void SetFullScreen(bool on) = 0;
  virtual bool MenuBar() = 0;
  virtual void SetMenuBar(bool on) = 0;
  virtual int ToolBar() = 0;  // 0: hidden
  virtual void SetToolBar(int value) = 0;
  virtual bool StatusBar() = 0;
  virtual void SetStatusBar(bool on) = 0;
  virtual bool TheaterMode() = 0;
  virtual void SetTheaterMode(bool on) = 0;
  virtual bool Resizable() = 0;
  virtual void SetResizable(bool on) = 0;
  virtual bool Silent() = 0;
  virtual void SetSilent(bool on) = 0;
  virtual bool AddressBar() = 0;
  virtual void SetAddressBar(bool on) = 0;
  virtual int Left() = 0;
  virtual void SetLeft(int value) = 0;
  virtual int Top() = 0;
  virtual void SetTop(int value) = 0;
  virtual int Width() = 0;
  virtual void SetWidth(int value) = 0;
  virtual int Height() = 0;
  virtual void SetHeight(int value) = 0;

  virtual std::unique_ptr<Connection> Connect(BrowserEvents& sink) = 0;
};

class ShellWindowEvents {
 public:
  virtual ~ShellWindowEvents() = default;
  virtual void WindowRegistered(std::int32_t cookie) = 0;
  virtual void WindowRevoked(std::int32_t cookie) = 0;
};

// The shell's list of open browser windows.
class ShellWindowList {
 public:
  virtual ~ShellWindowList() = default;
  virtual int Count() = 0;
  // From 0; none for an entry that is not a browser.
  virtual std::shared_ptr<Browser> Item(int index) = 0;
  virtual std::unique_ptr<Connection> Connect(ShellWindowEvents& sink) = 0;
};

class BrowserFactory {
 public:
  virtual ~BrowserFactory() = default;
  // A new browser application window, not yet visible.
  virtual std::shared_ptr<Browser> NewBrowserWindow() = 0;
  // A browser control hosted hidden on the program's own form (the page
  // catcher): it has no window of its own, is not in the shell's list, and
  // raises its events on its own sinks. A platform that cannot host one
  // fails.
  virtual std::shared_ptr<Browser> CreateHiddenBrowserControl() {
    throw PlatformError(kErrAutomation, L"No browser control can be hosted here",
                        L"BrowserFactory.CreateHiddenBrowserControl");
  }
};

}  // namespace qx
