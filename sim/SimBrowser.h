#pragma once
// One simulated browser object: a browser application window ("IEFrame"), a
// frame or inline frame inside a page, or the hidden browser control the
// program hosts. It raises its events in the order the real browser does;
// a frame's navigations are raised on the sinks of the window it sits in,
// with the frame as pDisp.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Browser.h"
#include "sim/SimBrowserContext.h"
#include "sim/SimDom.h"
#include "sim/SinkList.h"

namespace qx::sim {

enum class BrowserKind { Window, Frame, Control };

enum class ChromePart {
  ToolBar,
  MenuBar,
  StatusBar,
  FullScreen,
  TheaterMode,
  Resizable,
  AddressBar
};

// A navigation as the browser starts it.
struct NavigationRequest {
  std::wstring url;
  std::int32_t flags = 0;
  // The target as the request named it; BeforeNavigate2 reports it.
  std::wstring targetName;
  std::string postData;
  std::wstring headers;
};

// A plain navigation to url: no target, flags, data or headers.
inline NavigationRequest RequestFor(std::wstring url) {
  NavigationRequest request;
  request.url = std::move(url);
  return request;
}

struct Placement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline constexpr std::wstring_view kCaptionSuffix = L" - Microsoft Internet Explorer";

class SimBrowser final : public Browser, public std::enable_shared_from_this<SimBrowser> {
 public:
  SimBrowser(std::shared_ptr<SimBrowserContext> context, BrowserKind kind, ProcessId process,
             std::wstring exe);

  // Browser
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

  // The world's side (no failures injected).
  BrowserKind Kind() const { return kind_; }
  bool IsOpen() const { return open_; }
  // The application window; 0 for a frame or the control.
  Hwnd Window() const { return window_; }
  void SetWindow(Hwnd window) { window_ = window; }
  ProcessId Process() const { return process_; }
  const std::wstring& Exe() const { return exe_; }
  // The window (or control) this browser sits in: itself unless a frame.
  std::shared_ptr<SimBrowser> TopBrowser();
  // A frame's element and the browser whose page holds it.
  std::shared_ptr<SimElement> FrameElement() const { return frameElement_.lock(); }
  void SetFrameElement(const std::shared_ptr<SimElement>& element) { frameElement_ = element; }
  std::shared_ptr<SimBrowser> ParentBrowser() const;
  // The page shown now; none before the first navigation.
  const std::shared_ptr<SimDocument>& CurrentDocument() const { return document_; }
  const std::wstring& Location() const { return location_; }
  // The address of the latest navigation that was not cancelled.
  const std::wstring& LastNavigated() const { return lastNavigated_; }
  // The window's or frame's name, as targets name it.
  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring name) { name_ = std::move(name); }
  bool IsVisible() const;
  // Shows or hides the window, as its program does (no failure injected).
  void SetVisibleState(bool on);
  bool ChromeOn(ChromePart part) const;
  Placement Place() const;
  void SetPlace(const Placement& place);
  // The page turns a part of the window on or off; the browser raises the
  // matching event (none for resizable and the address bar).
  void SetChrome(ChromePart part, bool on);
  // The window's announcement in the shell's list waits for its first
  // navigation: it runs once, right after that navigation's BeforeNavigate2.
  void AnnounceOnNavigation(std::function<void()> announce) { announce_ = std::move(announce); }
  // Every call of the program on this browser fails (a hung browser).
  void SetFailing(bool on) { failing_ = on; }
  std::wstring Caption() const;
  void UpdateCaption();
  // A frame of this browser's pages (at any depth) with this name.
  std::shared_ptr<SimBrowser> FindFrame(std::wstring_view name);

  // Starts a navigation here: BeforeNavigate2, then (not cancelled) the old
  // page unloads, a new empty page, NavigateComplete2, DownloadComplete.
  // Answers whether the navigation went ahead.
  bool StartNavigation(const NavigationRequest& request);
  // The window closes (the user or Quit): the page unloads, OnQuit, the
  // window goes, the shell list revokes it.
  void Close();
  // The window went without the browser's doing (its process ended).
  void Vanish();
  // A frame whose page was replaced or closed goes with it.
  void Discard();

  // Lets go of the pages shown before that nothing outside holds (neither
  // the page nor its window, elements or frames): nobody can reach them
  // again, so only memory tells them apart from freed ones.
  void ForgetUnheldPages();
  // Something outside holds one of this browser's pages, shown or past, or a
  // part of one.
  bool PagesHeldElsewhere() const;

  // The sinks this browser's events are raised on: the window's for a frame.
  SinkList<BrowserEvents>& EventSinks();

 private:
  void Check(std::string_view call);
  // The window whose chrome and place a frame's calls reach.
  SimBrowser& ChromeOwner();
  const SimBrowser& ChromeOwner() const;
  void UnloadPage();
  void DiscardPages();
  // Every call on this browser's pages, shown or past, fails from now on.
  void DisconnectPages();
  void RaiseChrome(ChromePart part, bool on);

  std::shared_ptr<SimBrowserContext> context_;
  BrowserKind kind_;
  ProcessId process_;
  std::wstring exe_;
  Hwnd window_ = 0;
  std::weak_ptr<SimElement> frameElement_;
  std::shared_ptr<SimDocument> document_;
  // The pages shown before: elements the program still holds keep answering
  // as long as the browser lives, as they do in the real one.
  std::vector<std::shared_ptr<SimDocument>> history_;
  std::wstring location_;
  std::wstring lastNavigated_;
  std::wstring name_;
  std::map<std::wstring, bool> properties_;
  bool open_ = true;
  bool closing_ = false;
  bool failing_ = false;
  std::function<void()> announce_;
  bool visible_ = false;
  bool fullScreen_ = false;
  bool menuBar_ = true;
  int toolBar_ = 1;
  bool statusBar_ = true;
  bool theaterMode_ = false;
  bool resizable_ = true;
  bool silent_ = false;
  bool addressBar_ = true;
  Placement place_{100, 80, 800, 600};
  // Counts navigations started here; one that finds the count moved on after
  // its BeforeNavigate2 was stopped or replaced by another.
  std::uint64_t navigations_ = 0;
  SinkList<BrowserEvents> sinks_;
};

}  // namespace qx::sim
