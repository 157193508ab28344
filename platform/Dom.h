#pragma once
// The part of the browser's document object model the program reads: a
// document and its window, elements and their events. Every call may throw
// PlatformError (the page may be unloading at any moment).

#include <memory>
#include <string>
#include <vector>

#include "platform/Connection.h"

namespace qx {

class Browser;

class ElementEvents {
 public:
  virtual ~ElementEvents() = default;
  virtual void OnBlur() {}
  // Answers whether the default action proceeds.
  virtual bool OnClick() { return true; }
  virtual bool OnDragStart() { return true; }
  virtual void OnFocus() {}
  virtual void OnKeyUp() {}
  virtual void OnMouseOut() {}
  virtual void OnMouseOver() {}
  virtual void OnMouseUp() {}
};

class Element {
 public:
  virtual ~Element() = default;
  virtual std::wstring TagName() = 0;
  // None at the top of the tree.
  virtual std::shared_ptr<Element> ParentElement() = 0;
  virtual std::wstring Href() = 0;    // a, area
  virtual std::wstring Target() = 0;  // a, area, form
  virtual std::wstring Type() = 0;    // input, button
  // The text of the element's own onclick handler; "" when it has none.
  virtual std::wstring OnClickText() = 0;
  virtual bool IsMap() = 0;                 // img
  virtual std::wstring Action() = 0;        // form
  virtual std::wstring OnSubmitText() = 0;  // form; "" when it has none
  // The value the element gives as its default: the href of a link or area,
  // the value of an input or button.
  virtual std::wstring DefaultValue() = 0;
  virtual std::unique_ptr<Connection> Connect(ElementEvents& sink) = 0;
};

// What the window's current event says.
struct EventInfo {
  int button = 0;  // 1 left, 2 right, 4 middle
  int keyCode = 0;
  std::shared_ptr<Element> srcElement;
};

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual void OnBeforeUnload() {}
  virtual void OnUnload() {}
};

class HtmlWindow {
 public:
  virtual ~HtmlWindow() = default;
  virtual EventInfo CurrentEvent() = 0;
  virtual std::unique_ptr<Connection> Connect(WindowEvents& sink) = 0;
};

class DocumentEvents {
 public:
  virtual ~DocumentEvents() = default;
  virtual bool OnContextMenu() { return true; }
  virtual void OnKeyDown() {}
  virtual void OnMouseDown() {}
  virtual bool OnClick() { return true; }
  virtual void OnMouseMove() {}
};

class Document {
 public:
  virtual ~Document() = default;
  virtual std::shared_ptr<HtmlWindow> ParentWindow() = 0;
  // The length of the document's frames collection.
  virtual int FramesLength() = 0;
  // The objects embedded in the document (its container's enumeration); a
  // frame or inline frame is a browser, anything else answers none.
  virtual std::vector<std::shared_ptr<Browser>> EmbeddedBrowsers() = 0;
  virtual std::shared_ptr<Element> ActiveElement() = 0;
  virtual std::wstring LocationHref() = 0;
  virtual std::unique_ptr<Connection> Connect(DocumentEvents& sink) = 0;
};

}  // namespace qx
