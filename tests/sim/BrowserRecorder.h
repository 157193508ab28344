#pragma once
// What a program watching the simulated browsers sees, for the tests: it
// connects to the shell's window list and to every browser announced there
// (as the program does), may connect to pages and elements, and writes every
// event it gets as one line, in order.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "platform/Browser.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"

namespace qx::sim::testing {

using Lines = std::vector<std::string>;

// Names for the objects in the lines: windows "w<cookie>", the rest as the
// test names them.
class Names {
 public:
  void Set(const void* object, std::string name) { names_[object] = std::move(name); }
  std::string Of(const void* object) const {
    const auto it = names_.find(object);
    return it == names_.end() ? std::string("?") : it->second;
  }

 private:
  std::map<const void*, std::string> names_;
};

class BrowserRecorder final : public BrowserEvents {
 public:
  BrowserRecorder(Lines& log, Names& names, std::string name)
      : log_(log), names_(names), name_(std::move(name)) {}

  // What the program does in an event (nothing unless set).
  std::function<void(Navigation&, bool&)> beforeNavigate;
  std::function<void(std::shared_ptr<Browser>&, bool&)> newWindow;
  std::function<void()> navigateComplete;

  void BeforeNavigate2(Browser& pDisp, Navigation& navigation, bool& cancel) override {
    std::string line =
        name_ + " BeforeNavigate2 " + names_.Of(&pDisp) + " " + ToUtf8(navigation.url);
    if (navigation.targetFrameName && !navigation.targetFrameName->empty()) {
      line += " target=" + ToUtf8(*navigation.targetFrameName);
    }
    if (!navigation.postData.empty()) line += " post=" + navigation.postData;
    log_.push_back(line);
    if (beforeNavigate) beforeNavigate(navigation, cancel);
  }
  void NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) override {
    log_.push_back(name_ + " NewWindow2");
    if (newWindow) newWindow(ppDisp, cancel);
  }
  void NavigateComplete2(Browser& pDisp, const std::wstring& url) override {
    log_.push_back(name_ + " NavigateComplete2 " + names_.Of(&pDisp) + " " + ToUtf8(url));
    if (navigateComplete) navigateComplete();
  }
  void DownloadComplete() override { log_.push_back(name_ + " DownloadComplete"); }
  void OnQuit() override { log_.push_back(name_ + " OnQuit"); }
  void OnFullScreen(bool on) override { Chrome("OnFullScreen", on); }
  void OnMenuBar(bool on) override { Chrome("OnMenuBar", on); }
  void OnStatusBar(bool on) override { Chrome("OnStatusBar", on); }
  void OnTheaterMode(bool on) override { Chrome("OnTheaterMode", on); }
  void OnToolBar(bool on) override { Chrome("OnToolBar", on); }

 private:
  void Chrome(const char* event, bool on) {
    log_.push_back(name_ + " " + event + (on ? " on" : " off"));
  }
  Lines& log_;
  Names& names_;
  std::string name_;
};

// Connects to the shell's list and to every window it announces.
class Observer final : public ShellWindowEvents {
 public:
  explicit Observer(SimDesktop& desktop)
      : shell_(desktop.platform().shellWindows), listConnection_(shell_.Connect(*this)) {}

  void WindowRegistered(std::int32_t cookie) override {
    log.push_back("WindowRegistered " + std::to_string(cookie));
    const auto browser = shell_.Item(shell_.Count() - 1);
    if (browser) Watch(browser, "w" + std::to_string(cookie));
  }
  void WindowRevoked(std::int32_t cookie) override {
    log.push_back("WindowRevoked " + std::to_string(cookie));
  }

  // Connects a recorder to the browser (a window, or the hidden control).
  BrowserRecorder& Watch(const std::shared_ptr<Browser>& browser, const std::string& name) {
    names.Set(browser.get(), name);
    auto recorder = std::make_unique<BrowserRecorder>(log, names, name);
    connections_.push_back(browser->Connect(*recorder));
    BrowserRecorder& result = *recorder;
    recorders_[name] = std::move(recorder);
    return result;
  }
  BrowserRecorder& Recorder(const std::string& name) { return *recorders_.at(name); }
  // Forgets the events so far.
  Lines Take() {
    Lines out = std::move(log);
    log.clear();
    return out;
  }

  Lines log;
  Names names;

 private:
  ShellWindowList& shell_;
  std::unique_ptr<Connection> listConnection_;
  std::map<std::string, std::unique_ptr<BrowserRecorder>> recorders_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

// Records the events of a page (its document and window) and of the
// elements the test names.
class PageRecorder final : public DocumentEvents, public WindowEvents {
 public:
  PageRecorder(Lines& log, const std::shared_ptr<Document>& document, std::string name = "doc")
      : log_(log), name_(std::move(name)), window_(document->ParentWindow()) {
    connections_.push_back(document->Connect(*this));
    connections_.push_back(window_->Connect(*static_cast<WindowEvents*>(this)));
  }

  class ElementRecorder final : public ElementEvents {
   public:
    ElementRecorder(PageRecorder& page, std::string name) : page_(page), name_(std::move(name)) {}
    bool clickAnswer = true;
    void OnBlur() override { Line("blur"); }
    bool OnClick() override {
      Line("click");
      return clickAnswer;
    }
    void OnFocus() override { Line("focus"); }
    void OnKeyUp() override { Line("keyup"); }
    void OnMouseUp() override { Line("mouseup"); }

   private:
    void Line(const std::string& event) { page_.log_.push_back(name_ + " " + event); }
    PageRecorder& page_;
    std::string name_;
  };

  // Names the element and connects to its events.
  ElementRecorder& Watch(const std::shared_ptr<Element>& element, const std::string& name) {
    Name(element, name);
    auto recorder = std::make_unique<ElementRecorder>(*this, name);
    connections_.push_back(element->Connect(*recorder));
    ElementRecorder& result = *recorder;
    elements_.push_back(std::move(recorder));
    return result;
  }
  // Names the element without connecting to it.
  void Name(const std::shared_ptr<Element>& element, const std::string& name) {
    names_.Set(element.get(), name);
  }

  bool contextMenuAnswer = true;

  bool OnContextMenu() override {
    Line("contextmenu", true);
    return contextMenuAnswer;
  }
  void OnKeyDown() override { Line("keydown", true); }
  void OnMouseDown() override { Line("mousedown", true); }
  bool OnClick() override {
    Line("click", false);
    return true;
  }
  void OnBeforeUnload() override { log_.push_back(name_ + " beforeunload"); }
  void OnUnload() override { log_.push_back(name_ + " unload"); }

 private:
  // With the window's current event: the button or key code, and the source.
  void Line(const std::string& event, bool withEvent) {
    std::string line = name_ + " " + event;
    if (withEvent) {
      const EventInfo info = window_->CurrentEvent();
      line += " " + std::to_string(info.keyCode != 0 ? info.keyCode : info.button) + " " +
              names_.Of(info.srcElement.get());
    }
    log_.push_back(line);
  }

  Lines& log_;
  std::string name_;
  std::shared_ptr<HtmlWindow> window_;
  Names names_;
  std::vector<std::unique_ptr<ElementRecorder>> elements_;
  std::vector<std::unique_ptr<Connection>> connections_;
};

}  // namespace qx::sim::testing
