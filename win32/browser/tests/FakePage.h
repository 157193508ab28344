#pragma once
// A browser window as the browser application would present it, made of
// the fakes: the window's browser object, its page (document, window,
// location, body and elements) and the browser's own side of a new window:
// raising NewWindow2 and, when the program hands back an object, navigating
// that object.

#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtml.h>
#include <windows.h>

#include "ComFakes.h"

namespace qx::win::testing {

class FakePage {
 public:
  FakePage(SHANDLE_PTR window, std::wstring_view url) {
    browser->window = window;
    browser->location = std::wstring(url);
    browser->document = document->AsDispatch();
    document->Offer(DIID_HTMLDocumentEvents2);
    htmlWindow->Offer(DIID_HTMLWindowEvents2);
    htmlWindow->Set(L"event", Value::Object(nullptr));
    location->Set(L"href", Value::Str(url));
    frames->Set(L"length", Value::Int(0));
    document->Set(L"parentWindow", Value::Object(htmlWindow->AsDispatch()));
    document->Set(L"location", Value::Object(location->AsDispatch()));
    document->Set(L"frames", Value::Object(frames->AsDispatch()));
    body->Set(L"tagName", Value::Str(L"BODY"));
    body->Set(L"parentElement", Value::Object(nullptr));
    body->Offer(DIID_HTMLElementEvents2);
    document->Set(L"activeElement", Value::Object(body->AsDispatch()));
  }

  // A link in the body.
  ComPtr<FakeObject> AddLink(std::wstring_view href, std::wstring_view target) {
    ComPtr<FakeObject> link = Make<FakeObject>();
    link->Set(L"tagName", Value::Str(L"A"));
    link->Set(L"parentElement", Value::Object(body->AsDispatch()));
    link->Set(L"href", Value::Str(href));
    link->Set(L"target", Value::Str(target));
    link->Set(L"onclick", Value::Null());
    link->SetDefault(Value::Str(href));
    link->Offer(DIID_HTMLElementEvents2);
    return link;
  }

  // A DOM event on element: the window's event object is set while the
  // element's sinks and then the document's hear it, as it bubbles.
  void Fire(FakeObject& element, DISPID id, int button = 0, int keyCode = 0) {
    ComPtr<FakeObject> event = Make<FakeObject>();
    event->Set(L"button", Value::Int(button));
    event->Set(L"keyCode", Value::Int(keyCode));
    event->Set(L"srcElement", Value::Object(element.AsDispatch()));
    event->Set(L"returnValue", Value());
    htmlWindow->Set(L"event", Value::Object(event->AsDispatch()));
    Value e = Value::Object(event->AsDispatch());
    if (FakeConnectionPoint* own = element.Point(DIID_HTMLElementEvents2)) {
      own->Fire(id, {Plain(e)});
    }
    document->Point(DIID_HTMLDocumentEvents2)->Fire(id, {Plain(e)});
    htmlWindow->Set(L"event", Value::Object(nullptr));
  }

  // The browser's BeforeNavigate2 on target (this window or the object a new
  // window opens in); answers whether it was cancelled.
  static bool Navigating(FakeBrowser& target, std::wstring_view url, std::wstring_view frame) {
    Value u = Value::Str(url);
    Value flags = Value::Int(0);
    Value name = Value::Str(frame);
    Value post;
    Value headers = Value::Str(L"");
    Value self = Value::Object(target.AsDispatch());
    VARIANT_BOOL cancel = VARIANT_FALSE;
    target.Events().Fire(
        DISPID_BEFORENAVIGATE2,
        {Plain(self), RefVariant(&u.get()), RefVariant(&flags.get()), RefVariant(&name.get()),
         RefVariant(&post.get()), RefVariant(&headers.get()), RefBool(&cancel)});
    return cancel != VARIANT_FALSE;
  }

  // The page loads as the browser reports it.
  void Load() {
    const std::wstring url = browser->location;
    Navigating(*browser.Get(), url, L"");
    Value self = Value::Object(browser->AsDispatch());
    Value u = Value::Str(url);
    browser->Events().Fire(DISPID_NAVIGATECOMPLETE2, {Plain(self), RefVariant(&u.get())});
    browser->Events().Fire(DISPID_DOWNLOADCOMPLETE, {});
  }

  // What became of a new window the page asked for.
  struct NewWindow {
    bool cancelled = false;    // NewWindow2 was cancelled: nothing opens
    ComPtr<IDispatch> object;  // the object handed back, if any
  };
  // The browser raises NewWindow2 for a window the page opens.
  NewWindow OpenWindow() {
    NewWindow out;
    IDispatch* object = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    browser->Events().Fire(DISPID_NEWWINDOW2, {RefDispatch(&object), RefBool(&cancel)});
    out.cancelled = cancel != VARIANT_FALSE;
    out.object.Attach(object);
    return out;
  }

  ComPtr<FakeBrowser> browser = Make<FakeBrowser>();
  ComPtr<FakeObject> document = Make<FakeObject>();
  ComPtr<FakeObject> htmlWindow = Make<FakeObject>();
  ComPtr<FakeObject> location = Make<FakeObject>();
  ComPtr<FakeObject> frames = Make<FakeObject>();
  ComPtr<FakeObject> body = Make<FakeObject>();
};

}  // namespace qx::win::testing
