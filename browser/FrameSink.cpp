#include "browser/FrameSink.h"

#include "base/Text.h"
#include "browser/BrowserMonitor.h"
#include "platform/Browser.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {
namespace {

// A bound on walks up the element tree: a damaged tree must not hang us.
constexpr int kMaxDepth = 4096;

std::wstring Tag(Element& element) {
  return LowerCase(element.TagName());
}

}  // namespace

void FrameSink::Attach(std::shared_ptr<qx::Document> document) {
  if (!document) return;
  Step([&] { connection_ = document->Connect(*this); });
  myDocument = document;
  Document = document;
  Step([&] { Window = document->ParentWindow(); });

  int frames = 0;
  Step([&] { frames = document->FramesLength(); });
  if (frames < 1) return;
  std::vector<std::shared_ptr<Browser>> embedded;
  Step([&] { embedded = document->EmbeddedBrowsers(); });
  for (const auto& frame : embedded) {
    if (!frame) continue;  // not a browser
    Step([&] { frame->SetSilent(Monitor.GetSettings().SilentIE()); });
    auto child = std::make_unique<FrameSink>(Monitor);
    Step([&] { child->Attach(frame->GetDocument()); });
    Children.push_back(std::move(child));
  }
}

void FrameSink::RefreshWindow() {
  Step([&] {
    if (myDocument) Window = myDocument->ParentWindow();
  });
}

void FrameSink::OnMouseDown() {
  RefreshWindow();
  Step([&] {
    if (!Window) return;
    const EventInfo event = Window->CurrentEvent();
    if (event.button != 1) return;
    std::shared_ptr<Element> element = event.srcElement;
    for (int depth = 0; element && depth < kMaxDepth; ++depth) {
      const std::wstring tag = Tag(*element);
      const PressedKind kind = tag == L"a"        ? PressedKind::Link
                               : tag == L"area"   ? PressedKind::Area
                               : tag == L"button" ? PressedKind::Button
                               : tag == L"input"  ? PressedKind::Input
                                                  : PressedKind::None;
      if (kind != PressedKind::None) {
        Monitor.BeginClick(false, *this, element, kind, false);
        return;
      }
      if (tag == L"body") return;
      element = element->ParentElement();
    }
  });
}

void FrameSink::OnKeyDown() {
  RefreshWindow();
  Step([&] {
    if (!Window) return;
    const EventInfo event = Window->CurrentEvent();
    if (event.keyCode != 32 && event.keyCode != 13) return;
    const bool enter = event.keyCode == 13;
    std::shared_ptr<Element> element = event.srcElement;
    for (int depth = 0; element && depth < kMaxDepth; ++depth) {
      const std::wstring tag = Tag(*element);
      if (tag == L"a" || tag == L"area") {
        if (enter)
          Monitor.BeginClick(true, *this, element,
                             tag == L"a" ? PressedKind::Link : PressedKind::Area, true);
        return;
      }
      if (tag == L"button") {
        Monitor.BeginClick(true, *this, element, PressedKind::Button, enter);
        return;
      }
      if (tag == L"input") {
        Monitor.BeginClick(true, *this, element, PressedKind::Input, enter);
        return;
      }
      if (tag == L"body") return;
      element = element->ParentElement();
    }
  });
}

bool FrameSink::OnContextMenu() {
  RefreshWindow();
  Step([&] {
    if (!Window) return;
    std::shared_ptr<Element> element = Window->CurrentEvent().srcElement;
    for (int depth = 0; element && depth < kMaxDepth; ++depth) {
      const std::wstring tag = Tag(*element);
      if (tag == L"body" || tag == L"frameset" || tag == L"table") return;
      if (tag == L"a" || tag == L"area") {
        Monitor.BeginContextMenu(false, *this, element,
                                 tag == L"a" ? PressedKind::Link : PressedKind::Area);
        return;
      }
      if (tag == L"button" || tag == L"input") return;
      element = element->ParentElement();
    }
  });
  return true;
}

}  // namespace qx
