#pragma once
// The page of a simulated browser: a document with its window and a small
// tree of elements (html, body and whatever the scenario adds), and the
// dispatch of DOM events as the real browser does it: an event goes from its
// element up through the ancestors to the document; at each element the
// page's own handler runs before the connected sinks.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dom.h"
#include "sim/SimBrowserContext.h"
#include "sim/SinkList.h"

namespace qx::sim {

class SimBrowser;
class SimDocument;

enum class DomEvent {
  MouseDown,
  MouseUp,
  Click,
  KeyDown,
  KeyUp,
  MouseOver,
  MouseOut,
  MouseMove,
  ContextMenu,
  DragStart,
};

class SimElement final : public Element, public std::enable_shared_from_this<SimElement> {
 public:
  // tag in any case; it is kept lower-cased.
  SimElement(std::shared_ptr<SimBrowserContext> context, std::weak_ptr<SimDocument> document,
             std::wstring_view tag, std::shared_ptr<SimElement> parent);

  // Element
  std::wstring TagName() override;
  std::shared_ptr<Element> ParentElement() override;
  std::wstring Href() override;
  std::wstring Target() override;
  std::wstring Type() override;
  std::wstring OnClickText() override;
  bool IsMap() override;
  std::wstring Action() override;
  std::wstring OnSubmitText() override;
  std::wstring DefaultValue() override;
  std::unique_ptr<Connection> Connect(ElementEvents& sink) override;

  // The page's side (no failures injected).
  const std::wstring& Tag() const { return tag_; }
  std::optional<std::wstring> Attribute(std::wstring_view name) const;
  std::wstring AttributeOr(std::wstring_view name, std::wstring_view otherwise = {}) const;
  void SetAttribute(std::wstring_view name, std::wstring value);
  const std::shared_ptr<SimElement>& Parent() const { return parent_; }
  std::shared_ptr<SimDocument> OwnerDocument() const { return document_.lock(); }
  // The href of a link or area resolved against its document's address.
  std::wstring ResolvedHref() const;
  // The type of an input ("text" when missing or unknown) or button
  // ("button" when missing), lower-cased.
  std::wstring ResolvedType() const;
  bool HasIsMap() const;
  bool IsLink() const;  // an a or area element with an href
  // Whether a press gives the element the focus.
  bool Focusable() const;
  // The frame browser an iframe or frame element shows.
  const std::shared_ptr<SimBrowser>& FrameContent() const { return frame_; }
  void SetFrameContent(std::shared_ptr<SimBrowser> frame) { frame_ = std::move(frame); }
  SinkList<ElementEvents>& Sinks() { return sinks_; }

 private:
  void Check(std::string_view call) const;

  std::shared_ptr<SimBrowserContext> context_;
  std::weak_ptr<SimDocument> document_;
  std::wstring tag_;
  std::shared_ptr<SimElement> parent_;
  std::map<std::wstring, std::wstring> attributes_;  // names lower-cased
  std::shared_ptr<SimBrowser> frame_;
  SinkList<ElementEvents> sinks_;
};

class SimHtmlWindow final : public HtmlWindow {
 public:
  SimHtmlWindow(std::shared_ptr<SimBrowserContext> context, std::weak_ptr<SimDocument> document)
      : context_(std::move(context)), document_(std::move(document)) {}

  // HtmlWindow. Outside an event there is no event object, and reading one
  // fails as reading a property of null does.
  EventInfo CurrentEvent() override;
  std::unique_ptr<Connection> Connect(WindowEvents& sink) override;

  SinkList<WindowEvents>& Sinks() { return sinks_; }
  bool InEvent() const { return !events_.empty(); }

  // The event being dispatched, for as long as the scope lives; events
  // raised from inside a handler nest.
  class EventScope {
   public:
    EventScope(SimHtmlWindow& window, EventInfo info) : window_(window) {
      window_.events_.push_back(std::move(info));
    }
    ~EventScope() { window_.events_.pop_back(); }
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

   private:
    SimHtmlWindow& window_;
  };

 private:
  void Check(std::string_view call) const;

  std::shared_ptr<SimBrowserContext> context_;
  std::weak_ptr<SimDocument> document_;
  std::vector<EventInfo> events_;
  SinkList<WindowEvents> sinks_;
};

class SimDocument final : public Document, public std::enable_shared_from_this<SimDocument> {
 public:
  // A new empty page (html and body) at this address, shown in browser.
  static std::shared_ptr<SimDocument> Create(std::shared_ptr<SimBrowserContext> context,
                                             std::weak_ptr<SimBrowser> browser, std::wstring url);

  // Document
  std::shared_ptr<HtmlWindow> ParentWindow() override;
  int FramesLength() override;
  std::vector<std::shared_ptr<Browser>> EmbeddedBrowsers() override;
  std::shared_ptr<Element> ActiveElement() override;
  std::wstring LocationHref() override;
  std::unique_ptr<Connection> Connect(DocumentEvents& sink) override;

  // The page's side (no failures injected).
  const std::wstring& Url() const { return url_; }
  const std::wstring& Title() const { return title_; }
  void SetTitle(std::wstring title) { title_ = std::move(title); }
  const std::shared_ptr<SimElement>& Html() const { return html_; }
  const std::shared_ptr<SimElement>& Body() const { return body_; }
  // A new element at the end of parent (the body when none).
  std::shared_ptr<SimElement> Add(std::wstring_view tag,
                                  std::shared_ptr<SimElement> parent = nullptr);
  // Every element in document order.
  std::vector<std::shared_ptr<SimElement>> Elements() const;
  // The browser that shows (or showed) the page.
  std::shared_ptr<SimBrowser> Container() const { return browser_.lock(); }
  // The focused element, or the body.
  std::shared_ptr<SimElement> Active() const;
  // The frame browsers of the page, in document order.
  std::vector<std::shared_ptr<SimBrowser>> Frames() const;
  // The page is the one its browser shows now (and the browser is open).
  bool Shown() const;
  // Something besides the page's own tree holds the page's window, one of
  // its elements, or one of its frames or their pages (the document object
  // itself is the caller's to judge). A page that is no longer shown and
  // held by nobody can never be reached again.
  bool PartsHeldElsewhere() const;
  // The browser closed: every later call on the page fails.
  void Disconnect() { disconnected_ = true; }
  bool Disconnected() const { return disconnected_; }
  SimHtmlWindow& Window() { return *window_; }
  SinkList<DocumentEvents>& Sinks() { return sinks_; }

  // Raises the event on target and its ancestors, then on the document.
  // Answers false when a handler cancelled the default action or the page
  // went away meanwhile.
  bool Fire(DomEvent event, SimElement& target, EventInfo info);
  // The focus moves to element (to the body when none): onblur on the element
  // that had it, onfocus on the new one. A page inside a frame also moves the
  // focus of the page above to its frame element.
  void MoveFocus(const std::shared_ptr<SimElement>& element);
  // The element loses the focus.
  void Blur(SimElement& element);
  // onbeforeunload (before) or onunload of the page's window, then of its
  // frames' pages.
  void FireUnload(bool before);

 private:
  SimDocument(std::shared_ptr<SimBrowserContext> context, std::weak_ptr<SimBrowser> browser,
              std::wstring url);
  void Check(std::string_view call) const;

  std::shared_ptr<SimBrowserContext> context_;
  std::weak_ptr<SimBrowser> browser_;
  std::wstring url_;
  std::wstring title_;
  std::shared_ptr<SimHtmlWindow> window_;
  std::shared_ptr<SimElement> html_;
  std::shared_ptr<SimElement> body_;
  std::vector<std::shared_ptr<SimElement>> elements_;
  std::weak_ptr<SimElement> active_;
  bool disconnected_ = false;
  SinkList<DocumentEvents> sinks_;
};

}  // namespace qx::sim
