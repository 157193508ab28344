// Tracking the user's presses: what was pressed, how, and whether the press
// ended on the element.

#include <optional>

#include "base/Text.h"
#include "browser/ActionSinks.h"
#include "browser/FrameSink.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {
namespace {

constexpr int kMaxDepth = 4096;

}  // namespace

void BrowserMonitor::UnhookAll() {
  curAElement_.reset();
  curAreaElement_.reset();
  curInputElement_.reset();
  curButtonElement_.reset();
  curWindow_.reset();
  curDocument_.reset();
}

void BrowserMonitor::HookPress(FrameSink& sink, const std::shared_ptr<Element>& element) {
  Step([&] {
    if (sink.Window) curWindow_ = sink.Window->Connect(*windowSink_);
  });
  Step([&] {
    if (sink.Document) curDocument_ = sink.Document->Connect(*documentSink_);
  });
  ActedElement = element;
  ActedDocument = sink.Document;
}

void BrowserMonitor::BeginClick(bool byKeyboard, FrameSink& sink, std::shared_ptr<Element> element,
                                PressedKind kind, bool enterPressed) {
  if (Suspended) return;
  UnhookAll();
  EnterSubmit = false;
  PointerLeft = false;
  ClickDone = false;
  MenuArmed = false;
  ClickArmed = true;
  ElementKind = kind;
  InputKind = InputClass::Other;
  ByKeyboard = byKeyboard;
  HookPress(sink, element);
  if (!element) return;
  switch (kind) {
    case PressedKind::Link:
      Step([&] { curAElement_ = element->Connect(*linkSink_); });
      break;
    case PressedKind::Area:
      Step([&] { curAreaElement_ = element->Connect(*areaSink_); });
      break;
    case PressedKind::Button:
      Step([&] { curButtonElement_ = element->Connect(*buttonSink_); });
      break;
    case PressedKind::Input: {
      Step([&] { curInputElement_ = element->Connect(*inputSink_); });
      InputKind = ClassifyInput(*element);
      if (InputKind == InputClass::Other) {
        if (IsTextInput(*element) && enterPressed && ByKeyboard) {
          // Enter in a text field submits its form, as its submit button does.
          InputKind = InputClass::Submit;
          EnterSubmit = true;
        } else {
          // Presses on other inputs are no user action.
          ResetClick();
          ActedElement.reset();
          ActedDocument.reset();
        }
      }
      break;
    }
    default:
      break;
  }
  // Enter activates a link, area, button or input button while the key is
  // down: its click and default action (the new window) come before keyup,
  // so the press is complete now, as a mouse press is at mouse-up. Enter in
  // a text field is the form's submission instead (EnterSubmit).
  if (ByKeyboard && enterPressed && ClickArmed && !EnterSubmit) ClickDone = true;
}

void BrowserMonitor::BeginContextMenu(bool byKeyboard, FrameSink& sink,
                                      std::shared_ptr<Element> element, PressedKind kind) {
  if (Suspended) return;
  UnhookAll();
  EnterSubmit = false;
  ClickArmed = false;
  PointerLeft = false;
  ClickDone = false;
  MenuArmed = true;
  ElementKind = kind;
  ByKeyboard = byKeyboard;
  HookPress(sink, element);
  if (!element) return;
  if (kind == PressedKind::Link) Step([&] { curAElement_ = element->Connect(*linkSink_); });
  if (kind == PressedKind::Area) Step([&] { curAreaElement_ = element->Connect(*areaSink_); });
}

void BrowserMonitor::ResetClick() {
  ClickArmed = false;
  PointerLeft = false;
  UnhookAll();
}

void BrowserMonitor::ResetAll() {
  ResetClick();
  MenuArmed = false;
}

void BrowserMonitor::MenuReset() {
  if (MenuArmed) ResetAll();
}

bool BrowserMonitor::FocusMatches() {
  bool matches = false;
  Step([&] {
    if (!ActedDocument || !ActedElement) return;
    const std::shared_ptr<Element> active = ActedDocument->ActiveElement();
    if (!active) return;
    if (ElementKind == PressedKind::Link && LowerCase(active->TagName()) == L"img") {
      const std::shared_ptr<Element> parent = active->ParentElement();
      if (active->IsMap() && parent && parent->DefaultValue() == ActedElement->DefaultValue()) {
        ElementKind = PressedKind::ImageMap;
        matches = true;
      }
      return;
    }
    matches = ActedElement->DefaultValue() == active->DefaultValue();
  });
  return matches;
}

std::shared_ptr<Element> BrowserMonitor::FindForm(const std::shared_ptr<Element>& element) {
  std::shared_ptr<Element> form;
  Step([&] {
    if (!element) return;
    std::shared_ptr<Element> current = element->ParentElement();
    for (int depth = 0; current && depth < kMaxDepth; ++depth) {
      const std::wstring tag = LowerCase(current->TagName());
      if (tag == L"body") return;
      if (tag == L"form") {
        form = current;
        return;
      }
      current = current->ParentElement();
    }
  });
  return form;
}

InputClass BrowserMonitor::ClassifyInput(Element& input) {
  std::wstring type;
  Step([&] { type = LowerCase(input.Type()); });
  if (type == L"button") return InputClass::Button;
  if (type == L"submit") return InputClass::Submit;
  if (type == L"image") return InputClass::Image;
  return InputClass::Other;
}

bool BrowserMonitor::IsTextInput(Element& input) {
  std::wstring type;
  Step([&] { type = LowerCase(input.Type()); });
  return type == L"text" || type == L"password" || type == L"radio" || type == L"file" ||
         type == L"checkbox";
}

SnapshotRecord BrowserMonitor::Snapshot() const {
  return SnapshotRecord{Bool16(ClickArmed), Bool16(ClickDone), Bool16(PointerLeft)};
}

// The element events. Each may unhook its own element; the monitor outlives
// the call because the browser registry holds it.

void BrowserMonitor::ElementSink::OnBlur() {
  if (kind_ == Kind::Input && !m_.curInputElement_) return;
  m_.ResetClick();
  m_.MenuReset();
  m_.ClickDone = false;
}

bool BrowserMonitor::ElementSink::CancelClickCheck() {
  if (!m_.GetSettings().CancelClickFix()) return true;
  bool proceed = true;
  Step([&] {
    if (!m_.ActedDocument || !m_.ActedElement) return;
    const std::wstring page = m_.ActedDocument->LocationHref();
    const std::wstring href = m_.ActedElement->Href();
    // A script-only link to its own page must not reload the page.
    if (href == page && m_.ActedElement->Target().empty() &&
        !m_.ActedElement->OnClickText().empty()) {
      proceed = false;
    }
  });
  return proceed;
}

bool BrowserMonitor::ElementSink::OnClick() {
  bool proceed = true;
  if (kind_ == Kind::Link) proceed = CancelClickCheck();
  if (kind_ == Kind::Input && !m_.curInputElement_) return true;
  m_.ResetClick();
  m_.MenuReset();
  return proceed;
}

bool BrowserMonitor::ElementSink::OnDragStart() {
  switch (kind_) {
    case Kind::Link:
    case Kind::Area:
      if (!m_.ByKeyboard) m_.ResetClick();
      m_.MenuReset();
      m_.ClickDone = false;
      break;
    case Kind::Input:
      if (m_.InputKind == InputClass::Image) {
        m_.ResetClick();
        m_.MenuReset();
        m_.ClickDone = false;
      }
      break;
    case Kind::Button:
      break;
  }
  return true;
}

void BrowserMonitor::ElementSink::OnKeyUp() {
  if (m_.ByKeyboard) m_.ClickDone = true;
  m_.MenuReset();
}

void BrowserMonitor::ElementSink::OnMouseOut() {
  switch (kind_) {
    case Kind::Link:
    case Kind::Area:
      if (!m_.ByKeyboard) m_.ResetClick();
      m_.MenuReset();
      m_.ClickDone = false;
      break;
    case Kind::Button:
      if (!m_.ByKeyboard) {
        m_.PointerLeft = true;
        m_.MenuReset();
      }
      m_.ClickDone = false;
      break;
    case Kind::Input:
      if (!m_.curInputElement_) return;
      if (m_.InputKind == InputClass::Image) {
        m_.ResetClick();
        m_.MenuReset();
      } else if (!m_.ByKeyboard) {
        m_.PointerLeft = true;
        m_.MenuReset();
      }
      m_.ClickDone = false;
      break;
  }
}

void BrowserMonitor::ElementSink::OnMouseOver() {
  if (kind_ != Kind::Button && kind_ != Kind::Input) return;
  m_.PointerLeft = false;
  m_.MenuReset();
}

void BrowserMonitor::ElementSink::OnMouseUp() {
  switch (kind_) {
    case Kind::Link:
      if (!m_.ByKeyboard) {
        m_.MenuReset();
        m_.ClickDone = true;
      }
      break;
    case Kind::Area:
      if (!m_.ByKeyboard) m_.ClickDone = true;
      m_.MenuReset();
      break;
    case Kind::Button:
    case Kind::Input:
      if (!m_.ByKeyboard) m_.ClickDone = true;
      break;
  }
}

bool BrowserMonitor::DocumentSink::OnClick() {
  m_.MenuReset();
  return true;
}
void BrowserMonitor::DocumentSink::OnKeyDown() {
  m_.MenuReset();
}
void BrowserMonitor::DocumentSink::OnMouseDown() {
  m_.MenuReset();
}
void BrowserMonitor::DocumentSink::OnMouseMove() {
  m_.MenuReset();
}

void BrowserMonitor::WindowSink::OnBeforeUnload() {
  m_.ResetClick();
  m_.MenuReset();
  m_.ClickDone = false;
  m_.ActedElement.reset();
  m_.ActedDocument.reset();
}

void BrowserMonitor::WindowSink::OnUnload() {
  OnBeforeUnload();
}

}  // namespace qx
