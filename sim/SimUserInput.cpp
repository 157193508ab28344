// The user at a simulated page: clicks, keys, the context menu, and the
// default actions that follow them (following a link, submitting a form).

#include "base/Text.h"
#include "sim/SimBrowsers.h"
#include "sim/SimUrl.h"

namespace qx::sim {
namespace {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
int KeyCode(PageKey key) {
  switch (key) {
    case PageKey::Enter:
      return 13;
    case PageKey::Space:
      return 32;
    case PageKey::Tab:
      return 9;
    case PageKey::Escape:
      return 27;
    case PageKey::Left:
      return 37;
    case PageKey::Up:
      return 38;
    case PageKey::Right:
      return 39;
    case PageKey::Down:
      return 40;
  }
  return 0;
}

// The real browser reports the button for mouse down, up and move only; every
// other event (click, context menu, drag) says 0.
EventInfo Mouse(int button) {
  return EventInfo{button, 0, nullptr};
}

// Where a press puts the focus: the nearest link, area, button or input
// around the element (a server-side image map takes it itself); none (the
// body) when there is none.
std::shared_ptr<SimElement> FocusTarget(SimElement& element) {
  auto current = element.shared_from_this();
  if (current->Tag() == L"img" && current->HasIsMap() && current->Parent() &&
      current->Parent()->Tag() == L"a") {
    return current;
  }
  for (; current; current = current->Parent()) {
    if (current->Focusable()) return current;
    if (current->Tag() == L"body") break;
  }
  return nullptr;
}

std::shared_ptr<SimElement> FindForm(const SimElement& element) {
  for (auto current = element.Parent(); current; current = current->Parent()) {
    if (current->Tag() == L"form") return current;
    if (current->Tag() == L"body") break;
  }
  return nullptr;
}

// The element Tab moves the focus to: the next one in document order that a
// press would focus; none after the last.
std::shared_ptr<SimElement> NextInTabOrder(const SimDocument& document, const SimElement& from) {
  bool passed = false;
  for (const auto& element : document.Elements()) {
    if (passed && element->Focusable()) return element;
    if (element.get() == &from) passed = true;
  }
  return nullptr;
}

std::shared_ptr<SimElement> EnclosingLink(SimElement& element) {
  for (auto current = element.shared_from_this(); current; current = current->Parent()) {
    if (current->IsLink()) return current;
    if (current->Tag() == L"body") break;
  }
  return nullptr;
}

bool IsInside(const SimElement& element, const SimElement& ancestor) {
  for (auto current = element.Parent(); current; current = current->Parent()) {
    if (current.get() == &ancestor) return true;
  }
  return false;
}

std::wstring FormEncode(std::wstring_view text) {
  std::wstring out;
  for (const wchar_t c : text) {
    if (c == L' ') {
      out += L'+';
    } else if (c == L'&' || c == L'=' || c == L'+' || c == L'%' || c == L'#') {
      constexpr wchar_t kHex[] = L"0123456789ABCDEF";
      out += L'%';
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

// The form's named controls as the browser sends them.
std::wstring FormData(const SimDocument& document, const SimElement& form,
                      const SimElement* submitter) {
  std::wstring data;
  auto add = [&data](const std::wstring& name, const std::wstring& value) {
    if (!data.empty()) data += L'&';
    data += FormEncode(name) + L"=" + FormEncode(value);
  };
  for (const auto& element : document.Elements()) {
    if (!IsInside(*element, form)) continue;
    const std::wstring name = element->AttributeOr(L"name");
    const std::wstring& tag = element->Tag();
    if (tag == L"input") {
      const std::wstring type = element->ResolvedType();
      if (type == L"image") {
        // The click's place within the image.
        if (element.get() != submitter) continue;
        const std::wstring prefix = name.empty() ? std::wstring() : name + L".";
        add(prefix + L"x", L"0");
        add(prefix + L"y", L"0");
        continue;
      }
      if (name.empty()) continue;
      if ((type == L"submit" || type == L"button" || type == L"reset") &&
          element.get() != submitter) {
        continue;
      }
      if ((type == L"checkbox" || type == L"radio") && !element->Attribute(L"checked")) continue;
      add(name, element->AttributeOr(L"value"));
    } else if (tag == L"button") {
      if (!name.empty() && element.get() == submitter) add(name, element->AttributeOr(L"value"));
    } else if ((tag == L"select" || tag == L"textarea") && !name.empty()) {
      add(name, element->AttributeOr(L"value"));
    }
  }
  return data;
}

}  // namespace

void SimBrowsers::Click(SimElement& element) {
  const auto document = ShownDocumentOf(element);
  const auto target = element.shared_from_this();
  document->Fire(DomEvent::MouseDown, element, Mouse(kLeftButton));
  if (!document->Shown()) return;
  document->MoveFocus(FocusTarget(element));
  if (!document->Shown()) return;
  document->Fire(DomEvent::MouseUp, element, Mouse(kLeftButton));
  if (!document->Shown()) return;
  // The click event itself carries no button, as in the real browser.
  if (document->Fire(DomEvent::Click, element, Mouse(0))) ClickDefault(element);
}

void SimBrowsers::ClickDefault(SimElement& element) {
  const auto source = element.shared_from_this();
  for (auto current = source; current; current = current->Parent()) {
    const std::wstring& tag = current->Tag();
    if (current->IsLink()) {
      const bool serverMap = source->Tag() == L"img" && source->HasIsMap() && tag == L"a";
      Follow(*current, serverMap);
      return;
    }
    if (tag == L"button") {
      if (current->ResolvedType() == L"submit") {
        if (const auto form = FindForm(*current)) Submit(*form, current.get());
      }
      return;
    }
    if (tag == L"input") {
      const std::wstring type = current->ResolvedType();
      if (type == L"submit" || type == L"image") {
        if (const auto form = FindForm(*current)) Submit(*form, current.get());
      }
      return;
    }
    if (tag == L"body") return;
  }
}

void SimBrowsers::Follow(SimElement& link, bool serverMap) {
  const auto document = link.OwnerDocument();
  const auto browser = document ? document->Container() : nullptr;
  if (!browser || !document->Shown()) return;
  NavigationRequest request = RequestFor(link.ResolvedHref());
  // A server-side image map sends where in the image the click landed.
  if (serverMap) request.url += L"?0,0";
  request.targetName = link.AttributeOr(L"target");
  if (IsJavascriptUrl(request.url)) {
    // A script link runs in its own page, whatever its target.
    browser->StartNavigation(request);
    return;
  }
  NavigateTarget(*browser, std::move(request));
}

void SimBrowsers::Submit(SimElement& form, SimElement* submitter) {
  const auto document = form.OwnerDocument();
  const auto browser = document ? document->Container() : nullptr;
  if (!browser || !document->Shown()) return;
  const auto keep = form.shared_from_this();
  if (const auto script = form.Attribute(L"onsubmit")) {
    if (!RunPageScript(*document, *script) || !document->Shown()) return;
  }
  const std::wstring data = FormData(*document, form, submitter);
  const std::wstring action = form.AttributeOr(L"action");
  std::wstring url = action.empty() ? document->Url() : ResolveUrl(document->Url(), action);
  NavigationRequest request;
  request.targetName = form.AttributeOr(L"target");
  if (IsJavascriptUrl(url)) {
    // A script action runs as written, in its own page: no data is sent.
    request.url = url;
    browser->StartNavigation(request);
    return;
  }
  if (LowerCase(form.AttributeOr(L"method", L"get")) == L"post") {
    request.url = url;
    request.postData = ToUtf8(data);
    request.headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
  } else {
    url = url.substr(0, url.find_first_of(L"?#"));
    request.url = url + L"?" + data;
  }
  NavigateTarget(*browser, std::move(request));
}

// The key events as the browser raises them (the MSHTML reference, "onkeydown
// event", "onkeypress event", "onkeyup event" and "onclick event",
// learn.microsoft.com/previous-versions/windows/internet-explorer/ie-developer/
// platform-apis/aa742686, aa742907, aa743509, and the onclick page cc392242):
// onkeydown when the key goes down, onkeypress after it for character keys
// only (Enter, Space, Escape; not Tab or the arrows), onkeyup when it comes up.
// Enter activates a link, area or button while the key is down: its click and
// default action run after keydown and keypress, before keyup. Space
// activates a button, input button, check box or radio button when it is
// released: the click follows keyup. Tab moves the focus on the way down, so
// keyup reaches the element that has the focus then. Nothing here listens to
// onkeypress (neither the program nor the page's tiny scripts), so it is not
// raised.
void SimBrowsers::Key(SimElement& element, PageKey key) {
  const auto document = ShownDocumentOf(element);
  const auto target = element.shared_from_this();
  const EventInfo info{0, KeyCode(key), nullptr};
  document->MoveFocus(target);
  if (!document->Shown()) return;
  document->Fire(DomEvent::KeyDown, element, info);
  if (!document->Shown()) return;

  std::shared_ptr<SimElement> released = target;
  if (key == PageKey::Enter) {
    // A window the activation opened comes to the front and hears the release.
    const Hwnd front = windows_.Foreground();
    KeyActivate(element, key);
    if (windows_.Foreground() != front) return;
  } else if (key == PageKey::Tab) {
    released = NextInTabOrder(*document, element);
    document->MoveFocus(released);
  }
  if (!document->Shown()) return;
  // Tabbing off the last element leaves the page for the browser's own bar.
  if (released) document->Fire(DomEvent::KeyUp, *released, info);
  if (key == PageKey::Space && document->Shown()) KeyActivate(element, key);
}

void SimBrowsers::KeyActivate(SimElement& element, PageKey key) {
  const auto document = ShownDocumentOf(element);
  const auto click = [&] { return document->Fire(DomEvent::Click, element, Mouse(0)); };
  const std::wstring& tag = element.Tag();
  if (element.IsLink()) {
    // Enter follows a link, with its click event first; space does nothing.
    if (key == PageKey::Enter && click()) Follow(element, false);
    return;
  }
  if (tag == L"button") {
    if (click() && element.ResolvedType() == L"submit") {
      if (const auto form = FindForm(element)) Submit(*form, &element);
    }
    return;
  }
  if (tag != L"input") return;
  const std::wstring type = element.ResolvedType();
  if (type == L"button" || type == L"reset") {
    click();
  } else if (type == L"submit" || type == L"image") {
    if (click()) {
      if (const auto form = FindForm(element)) Submit(*form, &element);
    }
  } else if ((type == L"checkbox" || type == L"radio") && key == PageKey::Space) {
    click();
  } else if (key == PageKey::Enter) {
    // Enter in a field submits its form.
    if (const auto form = FindForm(element)) Submit(*form, nullptr);
  }
}

void SimBrowsers::MouseDown(SimElement& element, bool right) {
  const auto document = ShownDocumentOf(element);
  document->Fire(DomEvent::MouseDown, element, Mouse(right ? kRightButton : kLeftButton));
  if (document->Shown()) document->MoveFocus(FocusTarget(element));
}

void SimBrowsers::MouseUp(SimElement& element) {
  ShownDocumentOf(element)->Fire(DomEvent::MouseUp, element, Mouse(kLeftButton));
}

void SimBrowsers::MouseOut(SimElement& element) {
  ShownDocumentOf(element)->Fire(DomEvent::MouseOut, element, Mouse(0));
}

void SimBrowsers::MouseOver(SimElement& element) {
  ShownDocumentOf(element)->Fire(DomEvent::MouseOver, element, Mouse(0));
}

void SimBrowsers::MouseMove(SimBrowser& page) {
  const auto document = PageOf(page);
  document->Fire(DomEvent::MouseMove, *document->Body(), Mouse(0));
}

void SimBrowsers::Blur(SimElement& element) {
  ShownDocumentOf(element)->Blur(element);
}

void SimBrowsers::Drag(SimElement& element) {
  ShownDocumentOf(element)->Fire(DomEvent::DragStart, element, Mouse(0));
}

bool SimBrowsers::ContextMenu(SimElement& element) {
  const auto document = ShownDocumentOf(element);
  const auto target = element.shared_from_this();
  document->Fire(DomEvent::MouseDown, element, Mouse(kRightButton));
  if (!document->Shown()) return false;
  document->MoveFocus(FocusTarget(element));
  if (!document->Shown()) return false;
  document->Fire(DomEvent::MouseUp, element, Mouse(kRightButton));
  if (!document->Shown()) return false;
  return document->Fire(DomEvent::ContextMenu, element, Mouse(0));
}

void SimBrowsers::OpenInNewWindow(SimElement& element) {
  const auto document = ShownDocumentOf(element);
  const auto link = EnclosingLink(element);
  // Without a link under the pointer the menu has no such command.
  if (!link) return;
  OpenNewWindow(*document->Container(), RequestFor(link->ResolvedHref()), L"");
}

void SimBrowsers::NewWindowFromMenu(SimElement& element) {
  if (ContextMenu(element)) OpenInNewWindow(element);
}

bool SimBrowsers::UseMenuEntry(SimBrowser& page, std::wstring_view script) {
  const auto document = PageOf(page);
  if (!ContextMenu(*document->Body())) return false;
  // The entry's script: external.menuArguments[.Parent...].navigate "URL",
  // VBScript and so without regard to case. The window it climbs from is the
  // one right-clicked; a top window is its own parent.
  const std::wstring text = LowerCase(script);
  const std::size_t start = text.find(L"external.menuarguments");
  const std::size_t call = text.find(L".navigate", start);
  if (start == std::wstring::npos || call == std::wstring::npos) return false;
  const std::size_t open = text.find(L'"', call);
  const std::size_t close = open == std::wstring::npos ? open : text.find(L'"', open + 1);
  if (close == std::wstring::npos) return false;
  std::shared_ptr<SimBrowser> window = page.shared_from_this();
  for (std::size_t at = text.find(L".parent", start); at < call;
       at = text.find(L".parent", at + 1)) {
    if (const auto parent = window->ParentBrowser()) window = parent;
  }
  window->StartNavigation(RequestFor(std::wstring(script.substr(open + 1, close - open - 1))));
  return true;
}

}  // namespace qx::sim
