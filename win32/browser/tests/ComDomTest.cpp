// The page's objects read late-bound, and their events through the
// connection points, with the answers the page expects.
#include <gmock/gmock.h>

#include <mshtmdid.h>
#include <mshtml.h>

#include "ComFakes.h"
#include "win32/browser/ComBrowser.h"
#include "win32/browser/ComDom.h"

namespace qx::win::testing {
namespace {

using ::testing::ElementsAre;

ComPtr<FakeObject> ElementOf(std::wstring_view tag, IDispatch* parent = nullptr) {
  ComPtr<FakeObject> element = Make<FakeObject>();
  element->Set(L"tagName", Value::Str(tag));
  element->Set(L"parentElement", Value::Object(parent));
  element->Offer(DIID_HTMLElementEvents2);
  return element;
}

TEST(ComElementTest, ReadsWhatTheTrackingReads) {
  ComPtr<FakeObject> body = ElementOf(L"BODY");
  ComPtr<FakeObject> form = ElementOf(L"FORM", body->AsDispatch());
  form->Set(L"action", Value::Str(L"/search"));
  form->Set(L"target", Value::Str(L"results"));
  form->Set(L"onsubmit", Value::Null());
  ComPtr<FakeObject> link = ElementOf(L"A", form->AsDispatch());
  link->Set(L"href", Value::Str(L"http://shop.example/item"));
  link->Set(L"target", Value::Str(L"_blank"));
  link->Set(L"onclick", Value::Str(L"window.open(this.href)"));
  link->SetDefault(Value::Str(L"http://shop.example/item"));
  ComPtr<FakeObject> image = ElementOf(L"IMG", link->AsDispatch());
  image->Set(L"isMap", Value::Bool(true));
  ComPtr<FakeObject> input = ElementOf(L"INPUT", form->AsDispatch());
  input->Set(L"type", Value::Str(L"submit"));
  input->SetDefault(Value::Str(L"Go"));
  // A script function: its default value is its source.
  ComPtr<FakeObject> handler = Make<FakeObject>();
  handler->SetDefault(Value::Str(L"function anonymous()\n{\nreturn false;\n}"));
  input->Set(L"onclick", Value::Object(handler->AsDispatch()));

  ComElement a(link->AsDispatch());
  EXPECT_EQ(a.TagName(), L"A");
  EXPECT_EQ(a.Href(), L"http://shop.example/item");
  EXPECT_EQ(a.Target(), L"_blank");
  EXPECT_EQ(a.OnClickText(), L"window.open(this.href)");
  EXPECT_EQ(a.DefaultValue(), L"http://shop.example/item");
  const auto parent = a.ParentElement();
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->TagName(), L"FORM");
  EXPECT_EQ(parent->Action(), L"/search");
  EXPECT_EQ(parent->Target(), L"results");
  EXPECT_EQ(parent->OnSubmitText(), L"") << "no handler (null) reads as none";
  EXPECT_EQ(parent->ParentElement()->ParentElement(), nullptr) << "above the body: nothing";

  EXPECT_TRUE(ComElement(image->AsDispatch()).IsMap());
  ComElement button(input->AsDispatch());
  EXPECT_EQ(button.Type(), L"submit");
  EXPECT_EQ(button.DefaultValue(), L"Go");
  EXPECT_EQ(button.OnClickText(), L"function anonymous()\n{\nreturn false;\n}");

  // What an element lacks fails as a late-bound call does.
  ComPtr<FakeObject> div = ElementOf(L"DIV");
  ComElement element(div->AsDispatch());
  for (const auto& call : {+[](ComElement& e) { e.Href(); }, +[](ComElement& e) { e.Type(); },
                           +[](ComElement& e) { e.IsMap(); }, +[](ComElement& e) { e.Action(); },
                           +[](ComElement& e) { e.DefaultValue(); }}) {
    try {
      call(element);
      ADD_FAILURE() << "no failure";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.Number(), kErrNoSuchProperty);
    }
  }
}

class Heard final : public ElementEvents, public DocumentEvents, public WindowEvents {
 public:
  void OnBlur() override { calls.push_back(L"blur"); }
  bool OnClick() override {
    calls.push_back(L"click");
    return clickAnswer;
  }
  bool OnDragStart() override {
    calls.push_back(L"dragstart");
    return true;
  }
  void OnFocus() override { calls.push_back(L"focus"); }
  void OnKeyUp() override { calls.push_back(L"keyup"); }
  void OnMouseOut() override { calls.push_back(L"mouseout"); }
  void OnMouseOver() override { calls.push_back(L"mouseover"); }
  void OnMouseUp() override {
    calls.push_back(L"mouseup");
    if (dropOnMouseUp) dropOnMouseUp->reset();
  }
  bool OnContextMenu() override {
    calls.push_back(L"contextmenu");
    return true;
  }
  void OnKeyDown() override { calls.push_back(L"keydown"); }
  void OnMouseDown() override { calls.push_back(L"mousedown"); }
  void OnMouseMove() override { calls.push_back(L"mousemove"); }
  void OnBeforeUnload() override { calls.push_back(L"beforeunload"); }
  void OnUnload() override { calls.push_back(L"unload"); }

  std::vector<std::wstring> calls;
  bool clickAnswer = true;
  std::unique_ptr<Connection>* dropOnMouseUp = nullptr;
};

TEST(ComElementTest, ElementEventsReachTheCoreAndAFalseAnswerCancelsTheDefault) {
  ComPtr<FakeObject> link = ElementOf(L"A");
  Heard heard;
  auto connection = ComElement(link->AsDispatch()).Connect(heard);
  FakeConnectionPoint& events = *link->Point(DIID_HTMLElementEvents2);
  ASSERT_EQ(events.Sinks(), 1u);

  for (const bool answer : {true, false}) {
    heard.clickAnswer = answer;
    ComPtr<FakeObject> event = Make<FakeObject>();
    event->Set(L"returnValue", Value());
    Value e = Value::Object(event->AsDispatch());
    Variant result;
    EXPECT_EQ(events.Fire(dom_event::kClick, {Plain(e)}, result.get()), S_OK);
    if (answer) {
      EXPECT_EQ(result.get()->vt, VT_EMPTY) << "the page's own answer stands";
      EXPECT_EQ(event->Get(L"returnValue").get().vt, VT_EMPTY);
    } else {
      EXPECT_EQ(result.get()->vt, VT_BOOL);
      EXPECT_EQ(result.get()->boolVal, VARIANT_FALSE);
      EXPECT_EQ(event->Get(L"returnValue").get().vt, VT_BOOL);
      EXPECT_EQ(event->Get(L"returnValue").get().boolVal, VARIANT_FALSE);
    }
  }

  ComPtr<FakeObject> event = Make<FakeObject>();
  Value e = Value::Object(event->AsDispatch());
  for (const DISPID id :
       {dom_event::kBlur, dom_event::kDragStart, dom_event::kFocus, dom_event::kKeyUp,
        dom_event::kMouseOut, dom_event::kMouseOver, dom_event::kMouseMove}) {
    EXPECT_EQ(events.Fire(id, {Plain(e)}), S_OK);
  }
  EXPECT_THAT(heard.calls, ElementsAre(L"click", L"click", L"blur", L"dragstart", L"focus",
                                       L"keyup", L"mouseout", L"mouseover"))
      << "mouse moves over an element are not followed";

  // The core unhooks the element from inside its own event.
  heard.dropOnMouseUp = &connection;
  EXPECT_EQ(events.Fire(dom_event::kMouseUp, {Plain(e)}), S_OK);
  EXPECT_EQ(connection, nullptr);
  EXPECT_EQ(events.Sinks(), 0u);
  EXPECT_EQ(events.Fire(dom_event::kBlur, {Plain(e)}), S_OK);
  EXPECT_EQ(heard.calls.back(), L"mouseup");
}

TEST(ComElementTest, MalformedEventsAreRefusedAndNamedArgumentsIgnored) {
  ComPtr<FakeObject> link = ElementOf(L"A");
  Heard heard;
  auto connection = ComElement(link->AsDispatch()).Connect(heard);
  FakeConnectionPoint& events = *link->Point(DIID_HTMLElementEvents2);
  ComPtr<FakeObject> event = Make<FakeObject>();
  Value e = Value::Object(event->AsDispatch());
  Value self = Value::Object(link->AsDispatch());
  Value text = Value::Str(L"event");
  Value other = Value::Int(1);
  UINT bad = 9;
  EXPECT_EQ(events.Fire(dom_event::kClick, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(events.Fire(dom_event::kClick, {Plain(other), Plain(other)}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(events.Fire(dom_event::kClick, {Plain(text)}, nullptr, &bad), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 0u);
  EXPECT_TRUE(heard.calls.empty());
  // MSHTML may pass the object that raised an event as DISPID_THIS.
  EXPECT_EQ(
      events.Fire(dom_event::kClick, {Plain(e)}, nullptr, nullptr, {DISPID_THIS}, {Plain(self)}),
      S_OK);
  EXPECT_EQ(events.Fire(dom_event::kBlur, {Plain(e)}, nullptr, nullptr, {DISPID_THIS, 77},
                        {Plain(text), Plain(text)}),
            S_OK);
  EXPECT_THAT(heard.calls, ElementsAre(L"click", L"blur"));
  EXPECT_EQ(events.Fire(dom_event::kClick, {}, nullptr, nullptr, {DISPID_THIS}, {Plain(self)}),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(
      events.Fire(dom_event::kClick, {Plain(text)}, nullptr, &bad, {DISPID_THIS}, {Plain(self)}),
      DISP_E_TYPEMISMATCH);
  EXPECT_EQ(bad, 1u);  // its place in rgvarg, behind the named one
  EXPECT_EQ(heard.calls.size(), 2u);
}

TEST(ComDocumentTest, DocumentAndWindowEventsReachTheCore) {
  ComPtr<FakeObject> document = Make<FakeObject>();
  document->Offer(DIID_HTMLDocumentEvents2);
  ComPtr<FakeObject> window = Make<FakeObject>();
  window->Offer(DIID_HTMLWindowEvents2);
  Heard heard;
  auto documentConnection = ComDocument(document->AsDispatch()).Connect(heard);
  auto windowConnection = ComHtmlWindow(window->AsDispatch()).Connect(heard);
  ComPtr<FakeObject> event = Make<FakeObject>();
  Value e = Value::Object(event->AsDispatch());
  FakeConnectionPoint& d = *document->Point(DIID_HTMLDocumentEvents2);
  FakeConnectionPoint& w = *window->Point(DIID_HTMLWindowEvents2);
  for (const DISPID id : {dom_event::kMouseDown, dom_event::kKeyDown, dom_event::kContextMenu,
                          dom_event::kClick, dom_event::kMouseMove, dom_event::kMouseUp}) {
    EXPECT_EQ(d.Fire(id, {Plain(e)}), S_OK);
  }
  EXPECT_EQ(w.Fire(dom_event::kBeforeUnload, {Plain(e)}), S_OK);
  EXPECT_EQ(w.Fire(dom_event::kUnload, {Plain(e)}), S_OK);
  EXPECT_EQ(w.Fire(dom_event::kUnload, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_THAT(heard.calls, ElementsAre(L"mousedown", L"keydown", L"contextmenu", L"click",
                                       L"mousemove", L"beforeunload", L"unload"));
}

TEST(ComDocumentTest, ReadsTheCurrentEventTheFocusTheAddressAndTheFrames) {
  ComPtr<FakeObject> link = ElementOf(L"A");
  ComPtr<FakeObject> event = Make<FakeObject>();
  event->Set(L"button", Value::Int(1));
  event->Set(L"keyCode", Value::Int(13));
  event->Set(L"srcElement", Value::Object(link->AsDispatch()));
  ComPtr<FakeObject> window = Make<FakeObject>();
  window->Set(L"event", Value::Object(event->AsDispatch()));
  ComPtr<FakeObject> location = Make<FakeObject>();
  location->Set(L"href", Value::Str(L"http://shop.example/page"));
  ComPtr<FakeObject> frames = Make<FakeObject>();
  frames->Set(L"length", Value::Int(2));
  ComPtr<FakeObject> document = Make<FakeObject>();
  document->Set(L"parentWindow", Value::Object(window->AsDispatch()));
  document->Set(L"location", Value::Object(location->AsDispatch()));
  document->Set(L"frames", Value::Object(frames->AsDispatch()));
  document->Set(L"activeElement", Value::Object(link->AsDispatch()));
  ComPtr<FakeBrowser> frame = Make<FakeBrowser>();
  frame->location = L"http://ads.example/frame";
  ComPtr<FakeObject> plugin = Make<FakeObject>();
  document->Embed(frame->AsDispatch());
  document->Embed(plugin->AsDispatch());

  ComDocument page(document->AsDispatch());
  EXPECT_EQ(page.LocationHref(), L"http://shop.example/page");
  EXPECT_EQ(page.FramesLength(), 2);
  EXPECT_EQ(page.ActiveElement()->TagName(), L"A");
  const EventInfo info = page.ParentWindow()->CurrentEvent();
  EXPECT_EQ(info.button, 1);
  EXPECT_EQ(info.keyCode, 13);
  ASSERT_NE(info.srcElement, nullptr);
  EXPECT_EQ(info.srcElement->TagName(), L"A");
  const auto embedded = page.EmbeddedBrowsers();
  ASSERT_EQ(embedded.size(), 2u);
  ASSERT_NE(embedded[0], nullptr);
  EXPECT_EQ(embedded[0]->LocationURL(), L"http://ads.example/frame");
  embedded[0]->SetSilent(true);
  EXPECT_TRUE(frame->silent);
  EXPECT_EQ(embedded[1], nullptr) << "an object that is no browser";

  // Outside an event there is no event object.
  window->Set(L"event", Value::Object(nullptr));
  EXPECT_THROW(page.ParentWindow()->CurrentEvent(), PlatformError);
  // A document that is no container has no embedded objects to give.
  ComPtr<FakeObject> plain = Make<FakeObject>();
  EXPECT_THROW(ComDocument(plain->AsDispatch()).EmbeddedBrowsers(), PlatformError);
}

}  // namespace
}  // namespace qx::win::testing
