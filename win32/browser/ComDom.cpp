#include "win32/browser/ComDom.h"

#include <mshtmdid.h>
#include <mshtml.h>
#include <olectl.h>
#include <oleidl.h>

#include "win32/browser/ComBrowser.h"

namespace qx::win {

// The identifiers as the system's headers define them.
static_assert(dom_event::kBlur == static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONBLUR));
static_assert(dom_event::kFocus == static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONFOCUS));
static_assert(dom_event::kDragStart == static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONDRAGSTART));
static_assert(dom_event::kMouseOver == static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONMOUSEOVER));
static_assert(dom_event::kMouseOut == static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONMOUSEOUT));
static_assert(dom_event::kClick == DISPID_HTMLELEMENTEVENTS2_ONCLICK);
static_assert(dom_event::kClick == DISPID_HTMLDOCUMENTEVENTS2_ONCLICK);
static_assert(dom_event::kKeyDown == DISPID_HTMLDOCUMENTEVENTS2_ONKEYDOWN);
static_assert(dom_event::kKeyUp == DISPID_HTMLELEMENTEVENTS2_ONKEYUP);
static_assert(dom_event::kMouseDown == DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEDOWN);
static_assert(dom_event::kMouseMove == DISPID_HTMLDOCUMENTEVENTS2_ONMOUSEMOVE);
static_assert(dom_event::kMouseUp == DISPID_HTMLELEMENTEVENTS2_ONMOUSEUP);
static_assert(dom_event::kContextMenu == DISPID_HTMLDOCUMENTEVENTS2_ONCONTEXTMENU);
static_assert(dom_event::kUnload == DISPID_HTMLWINDOWEVENTS2_ONUNLOAD);
static_assert(dom_event::kBeforeUnload == DISPID_HTMLWINDOWEVENTS2_ONBEFOREUNLOAD);

namespace {

// A bound on the objects one document may embed: a broken enumerator must
// not hang the program.
constexpr int kMaxEmbedded = 4096;

// The event object of an event's single argument; none when the call is
// malformed (the answer says which).
HRESULT EventArgument(const DISPPARAMS& params, UINT* bad, ComPtr<IDispatch>& event) {
  if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  const auto object = DispatchOf(Arg(params, 0));
  if (!object) return BadArgument(params, 0, bad);
  event = *object;
  return S_OK;
}

// The default action is cancelled the way a script cancels it, and the
// call answers false as well.
void Refuse(IDispatch* event, VARIANT* result) {
  if (event) {
    Variant no;
    Variant::SetBool(*no.get(), false);
    Step([&] { PutProperty(event, L"returnValue", *no.get()); });
  }
  if (result) {
    VariantClear(result);
    Variant::SetBool(*result, false);
  }
}

}  // namespace

// --- elements ---------------------------------------------------------------------

std::shared_ptr<Element> ComElement::From(ComPtr<IDispatch> element) {
  if (!element) return nullptr;
  return std::make_shared<ComElement>(std::move(element));
}

std::wstring ComElement::TagName() {
  return StringProperty(element_.Get(), L"tagName");
}

std::shared_ptr<Element> ComElement::ParentElement() {
  return From(ObjectProperty(element_.Get(), L"parentElement"));
}

std::wstring ComElement::Href() {
  return StringProperty(element_.Get(), L"href");
}

std::wstring ComElement::Target() {
  return StringProperty(element_.Get(), L"target");
}

std::wstring ComElement::Type() {
  return StringProperty(element_.Get(), L"type");
}

std::wstring ComElement::OnClickText() {
  // A handler is a script function object; its default value is its text.
  return StringProperty(element_.Get(), L"onclick");
}

bool ComElement::IsMap() {
  return BoolProperty(element_.Get(), L"isMap");
}

std::wstring ComElement::Action() {
  return StringProperty(element_.Get(), L"action");
}

std::wstring ComElement::OnSubmitText() {
  return StringProperty(element_.Get(), L"onsubmit");
}

std::wstring ComElement::DefaultValue() {
  Variant value;
  GetDefault(element_.Get(), *value.get());
  return TextOfValue(*value.get(), L"Element.DefaultValue");
}

std::unique_ptr<Connection> ComElement::Connect(ElementEvents& sink) {
  return Advise(element_.Get(), MakeCom<ElementEventSink>(sink, DIID_HTMLElementEvents2),
                L"Element.Connect");
}

// --- the window -------------------------------------------------------------------

EventInfo ComHtmlWindow::CurrentEvent() {
  const ComPtr<IDispatch> event = ObjectProperty(window_.Get(), L"event");
  if (!event) throw PlatformError(kErrObjectNotSet, L"Object variable not set", L"window.event");
  EventInfo info;
  info.button = IntProperty(event.Get(), L"button");
  info.keyCode = IntProperty(event.Get(), L"keyCode");
  info.srcElement = ComElement::From(ObjectProperty(event.Get(), L"srcElement"));
  return info;
}

std::unique_ptr<Connection> ComHtmlWindow::Connect(WindowEvents& sink) {
  return Advise(window_.Get(), MakeCom<WindowEventSink>(sink), L"HtmlWindow.Connect");
}

// --- the document -----------------------------------------------------------------

std::shared_ptr<HtmlWindow> ComDocument::ParentWindow() {
  ComPtr<IDispatch> window = ObjectProperty(document_.Get(), L"parentWindow");
  if (!window) return nullptr;
  return std::make_shared<ComHtmlWindow>(std::move(window));
}

int ComDocument::FramesLength() {
  const ComPtr<IDispatch> frames = ObjectProperty(document_.Get(), L"frames");
  if (!frames) return 0;
  return IntProperty(frames.Get(), L"length");
}

std::vector<std::shared_ptr<Browser>> ComDocument::EmbeddedBrowsers() {
  ComPtr<IOleContainer> container;
  Check(document_.As(&container), L"Document.EmbeddedBrowsers");
  ComPtr<IEnumUnknown> objects;
  Check(container->EnumObjects(OLECONTF_EMBEDDINGS, &objects), L"Document.EmbeddedBrowsers");
  std::vector<std::shared_ptr<Browser>> out;
  if (!objects) return out;
  for (int i = 0; i < kMaxEmbedded; ++i) {
    ComPtr<IUnknown> object;
    ULONG fetched = 0;
    if (objects->Next(1, &object, &fetched) != S_OK || fetched != 1) break;
    // A frame or inline frame is a browser; anything else answers none.
    out.push_back(ComBrowser::From(object.Get()));
  }
  return out;
}

std::shared_ptr<Element> ComDocument::ActiveElement() {
  return ComElement::From(ObjectProperty(document_.Get(), L"activeElement"));
}

std::wstring ComDocument::LocationHref() {
  const ComPtr<IDispatch> location = ObjectProperty(document_.Get(), L"location");
  if (!location) {
    throw PlatformError(kErrObjectNotSet, L"Object variable not set", L"Document.LocationHref");
  }
  return StringProperty(location.Get(), L"href");
}

std::unique_ptr<Connection> ComDocument::Connect(DocumentEvents& sink) {
  return Advise(document_.Get(), MakeCom<DocumentEventSink>(sink), L"Document.Connect");
}

// --- sinks ------------------------------------------------------------------------

ElementEventSink::ElementEventSink(ElementEvents& events, const IID& eventsInterface)
    : EventSink(eventsInterface), events_(&events) {}

HRESULT ElementEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) {
  switch (id) {
    case dom_event::kBlur:
    case dom_event::kClick:
    case dom_event::kDragStart:
    case dom_event::kFocus:
    case dom_event::kKeyUp:
    case dom_event::kMouseOut:
    case dom_event::kMouseOver:
    case dom_event::kMouseUp:
      break;
    default:
      return S_OK;  // not watched
  }
  ComPtr<IDispatch> event;
  if (const HRESULT hr = EventArgument(params, bad, event); FAILED(hr)) return hr;
  if (!events_) return S_OK;
  bool proceed = true;
  switch (id) {
    case dom_event::kBlur:
      events_->OnBlur();
      break;
    case dom_event::kClick:
      proceed = events_->OnClick();
      break;
    case dom_event::kDragStart:
      proceed = events_->OnDragStart();
      break;
    case dom_event::kFocus:
      events_->OnFocus();
      break;
    case dom_event::kKeyUp:
      events_->OnKeyUp();
      break;
    case dom_event::kMouseOut:
      events_->OnMouseOut();
      break;
    case dom_event::kMouseOver:
      events_->OnMouseOver();
      break;
    case dom_event::kMouseUp:
      events_->OnMouseUp();
      break;
    default:
      break;
  }
  if (!proceed) Refuse(event.Get(), result);
  return S_OK;
}

DocumentEventSink::DocumentEventSink(DocumentEvents& events)
    : EventSink(DIID_HTMLDocumentEvents2), events_(&events) {}

HRESULT DocumentEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT* result, UINT* bad) {
  switch (id) {
    case dom_event::kContextMenu:
    case dom_event::kKeyDown:
    case dom_event::kMouseDown:
    case dom_event::kClick:
    case dom_event::kMouseMove:
      break;
    default:
      return S_OK;
  }
  ComPtr<IDispatch> event;
  if (const HRESULT hr = EventArgument(params, bad, event); FAILED(hr)) return hr;
  if (!events_) return S_OK;
  bool proceed = true;
  switch (id) {
    case dom_event::kContextMenu:
      proceed = events_->OnContextMenu();
      break;
    case dom_event::kKeyDown:
      events_->OnKeyDown();
      break;
    case dom_event::kMouseDown:
      events_->OnMouseDown();
      break;
    case dom_event::kClick:
      proceed = events_->OnClick();
      break;
    case dom_event::kMouseMove:
      events_->OnMouseMove();
      break;
    default:
      break;
  }
  if (!proceed) Refuse(event.Get(), result);
  return S_OK;
}

WindowEventSink::WindowEventSink(WindowEvents& events)
    : EventSink(DIID_HTMLWindowEvents2), events_(&events) {}

HRESULT WindowEventSink::Handle(DISPID id, const DISPPARAMS& params, VARIANT*, UINT* bad) {
  if (id != dom_event::kBeforeUnload && id != dom_event::kUnload) {
    return S_OK;
  }
  ComPtr<IDispatch> event;
  if (const HRESULT hr = EventArgument(params, bad, event); FAILED(hr)) return hr;
  if (!events_) return S_OK;
  if (id == dom_event::kBeforeUnload) {
    events_->OnBeforeUnload();
  } else {
    events_->OnUnload();
  }
  return S_OK;
}

}  // namespace qx::win
