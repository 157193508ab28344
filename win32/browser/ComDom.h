#pragma once
// The page's document model (MSHTML) as the core's Document, HtmlWindow and
// Element. Everything is read late-bound through IDispatch by property name,
// as a script would, so that any document object serves; events come
// through the objects' connection points (HTMLDocumentEvents2,
// HTMLWindowEvents2, HTMLElementEvents2) rather than the on... properties,
// which belong to the page's own scripts and must not be overwritten.

#include <oaidl.h>
#include <windows.h>

#include <memory>

#include "platform/Dom.h"
#include "win32/browser/ComSupport.h"
#include "win32/browser/SinkConnection.h"

namespace qx::win {

// The document model's event identifiers (the same in the element, document
// and window event interfaces), as DISPIDs: some are defined as unsigned
// numbers.
namespace dom_event {
inline constexpr DISPID kBlur = static_cast<DISPID>(0x80010000);   // STDDISPID_XOBJ_ONBLUR
inline constexpr DISPID kFocus = static_cast<DISPID>(0x80010001);  // STDDISPID_XOBJ_ONFOCUS
inline constexpr DISPID kMouseOver = static_cast<DISPID>(0x80010008);
inline constexpr DISPID kMouseOut = static_cast<DISPID>(0x80010009);
inline constexpr DISPID kDragStart = static_cast<DISPID>(0x8001000B);
inline constexpr DISPID kClick = -600;         // DISPID_CLICK
inline constexpr DISPID kKeyDown = -602;       // DISPID_KEYDOWN
inline constexpr DISPID kKeyUp = -604;         // DISPID_KEYUP
inline constexpr DISPID kMouseDown = -605;     // DISPID_MOUSEDOWN
inline constexpr DISPID kMouseMove = -606;     // DISPID_MOUSEMOVE
inline constexpr DISPID kMouseUp = -607;       // DISPID_MOUSEUP
inline constexpr DISPID kContextMenu = 1023;   // DISPID_ONCONTEXTMENU
inline constexpr DISPID kUnload = 1008;        // DISPID_ONUNLOAD
inline constexpr DISPID kBeforeUnload = 1017;  // DISPID_ONBEFOREUNLOAD
}  // namespace dom_event

class ComElement final : public Element {
 public:
  explicit ComElement(ComPtr<IDispatch> element) : element_(std::move(element)) {}
  // None for a null object.
  static std::shared_ptr<Element> From(ComPtr<IDispatch> element);

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

 private:
  ComPtr<IDispatch> element_;
};

class ComHtmlWindow final : public HtmlWindow {
 public:
  explicit ComHtmlWindow(ComPtr<IDispatch> window) : window_(std::move(window)) {}
  EventInfo CurrentEvent() override;
  std::unique_ptr<Connection> Connect(WindowEvents& sink) override;

 private:
  ComPtr<IDispatch> window_;
};

class ComDocument final : public Document {
 public:
  explicit ComDocument(ComPtr<IDispatch> document) : document_(std::move(document)) {}
  std::shared_ptr<HtmlWindow> ParentWindow() override;
  int FramesLength() override;
  std::vector<std::shared_ptr<Browser>> EmbeddedBrowsers() override;
  std::shared_ptr<Element> ActiveElement() override;
  std::wstring LocationHref() override;
  std::unique_ptr<Connection> Connect(DocumentEvents& sink) override;

 private:
  ComPtr<IDispatch> document_;
};

// The sinks. Each event carries one argument, the event object; an answer
// of false cancels the default action: the event object's returnValue is
// set to false and the call's result is false.
class ElementEventSink final : public EventSink {
 public:
  ElementEventSink(ElementEvents& events, const IID& eventsInterface);
  void Detach() override { events_ = nullptr; }

 protected:
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) override;

 private:
  ElementEvents* events_;
};

class DocumentEventSink final : public EventSink {
 public:
  explicit DocumentEventSink(DocumentEvents& events);
  void Detach() override { events_ = nullptr; }

 protected:
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) override;

 private:
  DocumentEvents* events_;
};

class WindowEventSink final : public EventSink {
 public:
  explicit WindowEventSink(WindowEvents& events);
  void Detach() override { events_ = nullptr; }

 protected:
  HRESULT Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) override;

 private:
  WindowEvents* events_;
};

}  // namespace qx::win
