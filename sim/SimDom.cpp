#include "sim/SimDom.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "sim/SimBrowser.h"
#include "sim/SimBrowsers.h"
#include "sim/SimUrl.h"

namespace qx::sim {
namespace {

std::wstring UpperAscii(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

bool OneOf(std::wstring_view tag, std::initializer_list<std::wstring_view> tags) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

constexpr std::array<std::wstring_view, 10> kInputTypes = {
    L"text",  L"password", L"checkbox", L"radio", L"submit",
    L"reset", L"file",     L"hidden",   L"image", L"button"};

}  // namespace

// --- SimElement ---------------------------------------------------------------

SimElement::SimElement(std::shared_ptr<SimBrowserContext> context,
                       std::weak_ptr<SimDocument> document, std::wstring_view tag,
                       std::shared_ptr<SimElement> parent)
    : context_(std::move(context)),
      document_(std::move(document)),
      tag_(LowerCase(tag)),
      parent_(std::move(parent)) {}

void SimElement::Check(std::string_view call) const {
  const auto document = document_.lock();
  if (!context_->Alive() || !document || document->Disconnected()) ThrowDisconnected(call);
  context_->CheckCallOut(call, 0);
  context_->failures->Check(call);
}

std::wstring SimElement::TagName() {
  Check("Element.TagName");
  // The real document model answers tag names in capitals.
  return UpperAscii(tag_);
}

std::shared_ptr<Element> SimElement::ParentElement() {
  Check("Element.ParentElement");
  return parent_;
}

std::wstring SimElement::Href() {
  Check("Element.Href");
  if (!OneOf(tag_, {L"a", L"area", L"link", L"base"})) ThrowUnsupported("Element.Href");
  return ResolvedHref();
}

std::wstring SimElement::Target() {
  Check("Element.Target");
  if (!OneOf(tag_, {L"a", L"area", L"form", L"base"})) ThrowUnsupported("Element.Target");
  return AttributeOr(L"target");
}

std::wstring SimElement::Type() {
  Check("Element.Type");
  if (!OneOf(tag_, {L"input", L"button"})) ThrowUnsupported("Element.Type");
  return ResolvedType();
}

std::wstring SimElement::OnClickText() {
  Check("Element.OnClickText");
  return AttributeOr(L"onclick");
}

bool SimElement::IsMap() {
  Check("Element.IsMap");
  if (tag_ != L"img") ThrowUnsupported("Element.IsMap");
  return HasIsMap();
}

std::wstring SimElement::Action() {
  Check("Element.Action");
  if (tag_ != L"form") ThrowUnsupported("Element.Action");
  // As written in the page, not resolved.
  return AttributeOr(L"action");
}

std::wstring SimElement::OnSubmitText() {
  Check("Element.OnSubmitText");
  if (tag_ != L"form") ThrowUnsupported("Element.OnSubmitText");
  return AttributeOr(L"onsubmit");
}

std::wstring SimElement::DefaultValue() {
  Check("Element.DefaultValue");
  if (tag_ == L"a" || tag_ == L"area") return ResolvedHref();
  if (OneOf(tag_, {L"input", L"button", L"select", L"textarea"})) return AttributeOr(L"value");
  // Other elements have no default property; reading it fails.
  ThrowUnsupported("Element.DefaultValue");
}

std::unique_ptr<Connection> SimElement::Connect(ElementEvents& sink) {
  Check("Element.Connect");
  return sinks_.Add(sink);
}

std::optional<std::wstring> SimElement::Attribute(std::wstring_view name) const {
  const auto it = attributes_.find(LowerCase(name));
  if (it == attributes_.end()) return std::nullopt;
  return it->second;
}

std::wstring SimElement::AttributeOr(std::wstring_view name, std::wstring_view otherwise) const {
  const auto value = Attribute(name);
  return value ? *value : std::wstring(otherwise);
}

void SimElement::SetAttribute(std::wstring_view name, std::wstring value) {
  attributes_[LowerCase(name)] = std::move(value);
}

std::wstring SimElement::ResolvedHref() const {
  const auto href = Attribute(L"href");
  if (!href) return {};
  const auto document = document_.lock();
  return document ? ResolveUrl(document->Url(), *href) : *href;
}

std::wstring SimElement::ResolvedType() const {
  const std::wstring type = LowerCase(AttributeOr(L"type"));
  if (tag_ == L"button") {
    return type == L"submit" || type == L"reset" ? type : std::wstring(L"button");
  }
  return std::find(kInputTypes.begin(), kInputTypes.end(), type) != kInputTypes.end()
             ? type
             : std::wstring(L"text");
}

bool SimElement::HasIsMap() const {
  const auto value = Attribute(L"ismap");
  if (!value) return false;
  const std::wstring v = LowerCase(*value);
  return v != L"no" && v != L"false" && v != L"0";
}

bool SimElement::IsLink() const {
  return (tag_ == L"a" || tag_ == L"area") && Attribute(L"href").has_value();
}

bool SimElement::Focusable() const {
  if (IsLink() || tag_ == L"button" || tag_ == L"select" || tag_ == L"textarea") return true;
  return tag_ == L"input" && ResolvedType() != L"hidden";
}

// --- SimHtmlWindow -------------------------------------------------------------

void SimHtmlWindow::Check(std::string_view call) const {
  const auto document = document_.lock();
  if (!context_->Alive() || !document || document->Disconnected()) ThrowDisconnected(call);
  context_->CheckCallOut(call, 0);
  context_->failures->Check(call);
}

EventInfo SimHtmlWindow::CurrentEvent() {
  Check("HtmlWindow.CurrentEvent");
  if (events_.empty()) {
    throw PlatformError(kErrObjectRequired, L"Object required", L"HtmlWindow.CurrentEvent");
  }
  return events_.back();
}

std::unique_ptr<Connection> SimHtmlWindow::Connect(WindowEvents& sink) {
  Check("HtmlWindow.Connect");
  return sinks_.Add(sink);
}

// --- SimDocument ---------------------------------------------------------------

SimDocument::SimDocument(std::shared_ptr<SimBrowserContext> context,
                         std::weak_ptr<SimBrowser> browser, std::wstring url)
    : context_(std::move(context)), browser_(std::move(browser)), url_(std::move(url)) {}

std::shared_ptr<SimDocument> SimDocument::Create(std::shared_ptr<SimBrowserContext> context,
                                                 std::weak_ptr<SimBrowser> browser,
                                                 std::wstring url) {
  std::shared_ptr<SimDocument> document(
      new SimDocument(std::move(context), std::move(browser), std::move(url)));
  document->window_ = std::make_shared<SimHtmlWindow>(document->context_, document);
  document->html_ = std::make_shared<SimElement>(document->context_, document, L"html", nullptr);
  document->body_ =
      std::make_shared<SimElement>(document->context_, document, L"body", document->html_);
  document->elements_ = {document->html_, document->body_};
  return document;
}

void SimDocument::Check(std::string_view call) const {
  if (!context_->Alive() || disconnected_) ThrowDisconnected(call);
  // Pages live in the browsers' processes.
  context_->CheckCallOut(call, 0);
  context_->failures->Check(call);
}

std::shared_ptr<HtmlWindow> SimDocument::ParentWindow() {
  Check("Document.ParentWindow");
  return window_;
}

int SimDocument::FramesLength() {
  Check("Document.FramesLength");
  return static_cast<int>(std::count_if(elements_.begin(), elements_.end(), [](const auto& e) {
    return e->Tag() == L"iframe" || e->Tag() == L"frame";
  }));
}

std::vector<std::shared_ptr<Browser>> SimDocument::EmbeddedBrowsers() {
  Check("Document.EmbeddedBrowsers");
  std::vector<std::shared_ptr<Browser>> out;
  for (const auto& e : Elements()) {
    if (e->Tag() == L"iframe" || e->Tag() == L"frame") {
      out.push_back(e->FrameContent());
    } else if (OneOf(e->Tag(), {L"object", L"embed", L"applet"})) {
      // An embedded object that is no browser.
      out.push_back(nullptr);
    }
  }
  return out;
}

std::shared_ptr<Element> SimDocument::ActiveElement() {
  Check("Document.ActiveElement");
  return Active();
}

std::wstring SimDocument::LocationHref() {
  Check("Document.LocationHref");
  return url_;
}

std::unique_ptr<Connection> SimDocument::Connect(DocumentEvents& sink) {
  Check("Document.Connect");
  return sinks_.Add(sink);
}

std::shared_ptr<SimElement> SimDocument::Add(std::wstring_view tag,
                                             std::shared_ptr<SimElement> parent) {
  if (!parent) parent = body_;
  auto element = std::make_shared<SimElement>(context_, weak_from_this(), tag, std::move(parent));
  elements_.push_back(element);
  return element;
}

std::vector<std::shared_ptr<SimElement>> SimDocument::Elements() const {
  // Elements are only ever appended to a parent's end, so document order is
  // a depth-first walk with each parent's children in insertion order.
  std::vector<std::shared_ptr<SimElement>> out;
  std::vector<std::shared_ptr<SimElement>> stack{html_};
  while (!stack.empty()) {
    auto current = stack.back();
    stack.pop_back();
    out.push_back(current);
    for (auto it = elements_.rbegin(); it != elements_.rend(); ++it) {
      if ((*it)->Parent() == current) stack.push_back(*it);
    }
  }
  return out;
}

std::shared_ptr<SimElement> SimDocument::Active() const {
  auto active = active_.lock();
  return active ? active : body_;
}

std::vector<std::shared_ptr<SimBrowser>> SimDocument::Frames() const {
  std::vector<std::shared_ptr<SimBrowser>> out;
  for (const auto& e : Elements()) {
    if (e->FrameContent()) out.push_back(e->FrameContent());
  }
  return out;
}

bool SimDocument::PartsHeldElsewhere() const {
  if (window_.use_count() > 1) return true;
  // The tree's own references: the element list, each child's parent, and
  // the html and body members.
  std::map<const SimElement*, long> own;
  for (const auto& e : elements_) {
    ++own[e.get()];
    if (e->Parent()) ++own[e->Parent().get()];
  }
  ++own[html_.get()];
  ++own[body_.get()];
  for (const auto& e : elements_) {
    if (e.use_count() > own[e.get()]) return true;
    const auto& frame = e->FrameContent();
    if (frame && (frame.use_count() > 1 || frame->PagesHeldElsewhere())) return true;
  }
  return false;
}

bool SimDocument::Shown() const {
  const auto browser = browser_.lock();
  return !disconnected_ && browser && browser->IsOpen() && browser->CurrentDocument().get() == this;
}

namespace {

// One event to one element sink; false when the sink cancels it.
bool ToElementSink(ElementEvents& sink, DomEvent event) {
  switch (event) {
    case DomEvent::MouseUp:
      sink.OnMouseUp();
      return true;
    case DomEvent::Click:
      return sink.OnClick();
    case DomEvent::KeyUp:
      sink.OnKeyUp();
      return true;
    case DomEvent::MouseOver:
      sink.OnMouseOver();
      return true;
    case DomEvent::MouseOut:
      sink.OnMouseOut();
      return true;
    case DomEvent::DragStart:
      return sink.OnDragStart();
    case DomEvent::MouseDown:
    case DomEvent::KeyDown:
    case DomEvent::MouseMove:
    case DomEvent::ContextMenu:
      break;  // not among the element events
  }
  return true;
}

// One event to one document sink; false when the sink cancels it.
bool ToDocumentSink(DocumentEvents& sink, DomEvent event) {
  switch (event) {
    case DomEvent::MouseDown:
      sink.OnMouseDown();
      return true;
    case DomEvent::KeyDown:
      sink.OnKeyDown();
      return true;
    case DomEvent::MouseMove:
      sink.OnMouseMove();
      return true;
    case DomEvent::Click:
      return sink.OnClick();
    case DomEvent::ContextMenu:
      return sink.OnContextMenu();
    case DomEvent::MouseUp:
    case DomEvent::KeyUp:
    case DomEvent::MouseOver:
    case DomEvent::MouseOut:
    case DomEvent::DragStart:
      break;  // not among the document events
  }
  return true;
}

}  // namespace

bool SimDocument::Fire(DomEvent event, SimElement& target, EventInfo info) {
  const auto self = shared_from_this();
  const auto source = target.shared_from_this();
  info.srcElement = source;
  SimHtmlWindow::EventScope scope(*window_, info);
  bool proceed = true;
  for (std::shared_ptr<SimElement> element = source; element; element = element->Parent()) {
    if (!Shown()) return false;  // the page went away; its event dies with it
    if (event == DomEvent::Click) {
      if (const auto script = element->Attribute(L"onclick")) {
        if (!context_->world->RunPageScript(*this, *script)) proceed = false;
      }
    }
    element->Sinks().ForEach([&](ElementEvents& sink) {
      if (Shown()) proceed = ToElementSink(sink, event) && proceed;
    });
  }
  sinks_.ForEach([&](DocumentEvents& sink) {
    if (Shown()) proceed = ToDocumentSink(sink, event) && proceed;
  });
  return proceed && Shown();
}

void SimDocument::MoveFocus(const std::shared_ptr<SimElement>& element) {
  const auto self = shared_from_this();
  const auto old = active_.lock();
  if (old != element) {
    active_ = element;
    if (old) {
      SimHtmlWindow::EventScope scope(*window_, EventInfo{0, 0, old});
      old->Sinks().ForEach([this](ElementEvents& sink) {
        if (Shown()) sink.OnBlur();
      });
    }
    if (element && Shown()) {
      SimHtmlWindow::EventScope scope(*window_, EventInfo{0, 0, element});
      element->Sinks().ForEach([this](ElementEvents& sink) {
        if (Shown()) sink.OnFocus();
      });
    }
  }
  if (!Shown() || !element) return;
  const auto browser = browser_.lock();
  if (browser->Kind() != BrowserKind::Frame) return;
  if (const auto holder = browser->FrameElement()) {
    if (const auto above = holder->OwnerDocument(); above && above->Shown()) {
      above->MoveFocus(holder);
    }
  }
}

void SimDocument::Blur(SimElement& element) {
  const auto self = shared_from_this();
  const auto source = element.shared_from_this();
  if (active_.lock() == source) active_.reset();
  SimHtmlWindow::EventScope scope(*window_, EventInfo{0, 0, source});
  source->Sinks().ForEach([this](ElementEvents& sink) {
    if (Shown()) sink.OnBlur();
  });
}

void SimDocument::FireUnload(bool before) {
  const auto self = shared_from_this();
  window_->Sinks().ForEach([before](WindowEvents& sink) {
    if (before) {
      sink.OnBeforeUnload();
    } else {
      sink.OnUnload();
    }
  });
  for (const auto& frame : Frames()) {
    if (frame->IsOpen() && frame->CurrentDocument()) frame->CurrentDocument()->FireUnload(before);
  }
}

}  // namespace qx::sim
