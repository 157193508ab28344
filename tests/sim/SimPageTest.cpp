// The user at a simulated page: the DOM events of a click, a key, the
// context menu, in the order the real browser raises them, and the default
// actions that follow (a link followed, a form submitted, a window opened).
#include <gtest/gtest.h>

#include "BrowserRecorder.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"
#include "sim/SimPageScript.h"
#include "sim/SimUrl.h"

namespace qx::sim {
namespace {

using testing::Lines;
using testing::Observer;
using testing::PageRecorder;

class SimPageTest : public ::testing::Test {
 protected:
  SimPageTest() {
    browser = desktop.browsers().OpenBrowser(L"http://a.example/dir/page.html");
    observer.Take();
  }
  SimBrowsers& browsers() { return desktop.browsers(); }
  std::shared_ptr<SimElement> Add(const wchar_t* tag, const Attributes& attributes = {},
                                  const std::shared_ptr<SimElement>& parent = nullptr) {
    return browsers().AddElement(*browser, tag, attributes, parent);
  }
  // Starts recording the page's events (after its elements are in place).
  PageRecorder& Record() {
    page = std::make_unique<PageRecorder>(observer.log, browser->GetDocument());
    page->Name(browser->GetDocument()->ActiveElement(), "body");
    return *page;
  }

  SimDesktop desktop;
  Observer observer{desktop};
  std::shared_ptr<SimBrowser> browser;
  std::unique_ptr<PageRecorder> page;
};

TEST_F(SimPageTest, AClickOnANewWindowLinkRunsDownUpClickThenOpensTheWindow) {
  const auto link = Add(L"a", {{L"href", L"http://b.example/"}, {L"target", L"_blank"}});
  Record().Watch(link, "link");
  browsers().Click(*link);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 1 link", "link focus", "link mouseup", "link click", "doc click",
                   "w0 NewWindow2", "WindowRegistered 1", "w1 BeforeNavigate2 w1 http://b.example/",
                   "w1 NavigateComplete2 w1 http://b.example/", "w1 DownloadComplete"}));
  EXPECT_EQ(browser->GetDocument()->ActiveElement(), link);
  EXPECT_EQ(browser->LocationURL(), L"http://a.example/dir/page.html");
}

TEST_F(SimPageTest, ALinkGoesWhereItsTargetSays) {
  struct Case {
    const wchar_t* target;
    Lines navigation;  // after the click's DOM events
  };
  const Case cases[] = {
      {L"", {"w0 BeforeNavigate2 w0 http://a.example/dir/next.html"}},
      {L"_self", {"w0 BeforeNavigate2 w0 http://a.example/dir/next.html target=_self"}},
      {L"_top", {"w0 BeforeNavigate2 w0 http://a.example/dir/next.html target=_top"}},
      {L"side", {"w0 BeforeNavigate2 side http://a.example/dir/next.html target=side"}},
      {L"fresh",
       {"w0 NewWindow2", "WindowRegistered 1",
        "w1 BeforeNavigate2 w1 http://a.example/dir/next.html target=fresh"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.target));
    SimDesktop d;
    Observer o(d);
    const auto top = d.browsers().OpenBrowser(L"http://a.example/dir/page.html");
    o.names.Set(d.browsers().AddFrame(*top, L"side.html", L"side").get(), "side");
    const auto link =
        d.browsers().AddElement(*top, L"a", {{L"href", L"next.html"}, {L"target", c.target}});
    o.Take();
    d.browsers().Click(*link);
    const Lines log = o.Take();
    ASSERT_GE(log.size(), c.navigation.size());
    EXPECT_EQ(Lines(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(c.navigation.size())),
              c.navigation);
  }
}

TEST_F(SimPageTest, ThePagesOwnHandlerRunsBeforeTheSinksAndEitherMayCancel) {
  const auto opener =
      Add(L"a", {{L"href", L"http://b.example/"}, {L"onclick", L"open http://pop.example/"}});
  Record().Watch(opener, "link");
  browsers().Click(*opener);
  const Lines log = observer.Take();
  const auto at = [&log](const std::string& line) {
    return std::find(log.begin(), log.end(), line) - log.begin();
  };
  EXPECT_LT(at("w0 NewWindow2"), at("link click"));
  EXPECT_LT(at("doc click"), at("w0 BeforeNavigate2 w0 http://b.example/"));

  // "cancel" in the page's handler, or a sink answering false: the link is
  // not followed, though every handler still hears the click.
  const auto cancelling = Add(L"a", {{L"href", L"http://c.example/"}, {L"onclick", L"cancel"}});
  Record().Watch(cancelling, "cancelling");
  browsers().Click(*cancelling);
  Lines after = observer.Take();
  EXPECT_EQ(after.back(), "doc click");
  EXPECT_EQ(browser->LocationURL(), L"http://b.example/");

  const auto plain = browsers().AddElement(*browser, L"a", {{L"href", L"http://d.example/"}});
  page->Watch(plain, "plain").clickAnswer = false;
  browsers().Click(*plain);
  after = observer.Take();
  EXPECT_EQ(after.back(), "doc click");
  EXPECT_EQ(browser->LocationURL(), L"http://b.example/");
}

TEST_F(SimPageTest, AnOnclickThatNavigatesEndsTheClickWithThePage) {
  const auto link =
      Add(L"a", {{L"href", L"http://b.example/"}, {L"onclick", L"go http://go.example/"}});
  Record().Watch(link, "link");
  browsers().Click(*link);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 1 link", "link focus", "link mouseup",
                   "w0 BeforeNavigate2 w0 http://go.example/", "doc beforeunload", "doc unload",
                   "w0 NavigateComplete2 w0 http://go.example/", "w0 DownloadComplete"}));
}

TEST_F(SimPageTest, EventsBubbleFromAnImageToTheLinkAroundIt) {
  const auto link = Add(L"a", {{L"href", L"http://b.example/"}});
  const auto image = Add(L"img", {}, link);
  auto& recorder = Record();
  recorder.Watch(link, "link");
  recorder.Watch(image, "img");
  browsers().Click(*image);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 1 img", "link focus", "img mouseup", "link mouseup", "img click",
                   "link click", "doc click", "w0 BeforeNavigate2 w0 http://b.example/",
                   "doc beforeunload", "doc unload", "w0 NavigateComplete2 w0 http://b.example/",
                   "w0 DownloadComplete"}));
}

TEST_F(SimPageTest, AServerSideImageMapTakesTheFocusAndSendsThePlace) {
  const auto link = Add(L"a", {{L"href", L"http://map.example/click"}});
  const auto image = Add(L"img", {{L"ismap", L"yes"}}, link);
  Record().Watch(link, "link");
  browsers().Click(*image);
  EXPECT_EQ(browser->LastNavigated(), L"http://map.example/click?0,0");
  EXPECT_FALSE(std::count(observer.log.begin(), observer.log.end(), "link focus"));
  EXPECT_TRUE(image->IsMap());
}

TEST_F(SimPageTest, EnterInATextFieldSubmitsItsFormToTheFormsTarget) {
  const auto form = Add(L"form", {{L"action", L"/find"}, {L"target", L"results"}});
  const auto field =
      Add(L"input", {{L"type", L"text"}, {L"name", L"q"}, {L"value", L"two words"}}, form);
  Add(L"input", {{L"type", L"submit"}, {L"name", L"go"}, {L"value", L"Go"}}, form);
  Record().Watch(field, "field");
  browsers().Key(*field, PageKey::Enter);
  EXPECT_EQ(
      observer.Take(),
      (Lines{"field focus", "doc keydown 13 field", "w0 NewWindow2", "WindowRegistered 1",
             "w1 BeforeNavigate2 w1 http://a.example/find?q=two+words target=results",
             "w1 NavigateComplete2 w1 http://a.example/find?q=two+words", "w1 DownloadComplete"}));
  // The window of that name exists now: the next submission goes there.
  browsers().Key(*field, PageKey::Enter);
  EXPECT_EQ(observer.Take().front(), "doc keydown 13 field");
  EXPECT_EQ(browsers().OpenWindows().size(), 2u);
  EXPECT_EQ(browsers().OpenWindows()[1]->LastNavigated(), L"http://a.example/find?q=two+words");
}

TEST_F(SimPageTest, AFormsOnsubmitRunsFirstAndMayCancel) {
  const auto form = Add(L"form", {{L"action", L"http://s.example/post"},
                                  {L"method", L"post"},
                                  {L"onsubmit", L"open about:blank"}});
  Add(L"input", {{L"type", L"hidden"}, {L"name", L"k"}, {L"value", L"v"}}, form);
  const auto button = Add(L"input", {{L"type", L"submit"}}, form);
  Record().Name(button, "submit");
  browsers().Click(*button);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 1 submit", "doc click", "w0 NewWindow2", "WindowRegistered 1",
                   "w1 BeforeNavigate2 w1 about:blank", "w1 NavigateComplete2 w1 about:blank",
                   "w1 DownloadComplete", "w0 BeforeNavigate2 w0 http://s.example/post post=k=v",
                   "doc beforeunload", "doc unload",
                   "w0 NavigateComplete2 w0 http://s.example/post", "w0 DownloadComplete"}));
  EXPECT_EQ(browser->LastNavigated(), L"http://s.example/post");

  const auto blocked = browsers().AddElement(*browser, L"form", {{L"onsubmit", L"cancel"}});
  const auto submit = browsers().AddElement(*browser, L"button", {{L"type", L"submit"}}, blocked);
  browsers().Click(*submit);
  EXPECT_EQ(browser->LastNavigated(), L"http://s.example/post");
}

TEST_F(SimPageTest, AScriptActionRunsAsWrittenWithoutTheFormsData) {
  for (const wchar_t* method : {L"get", L"post"}) {
    SCOPED_TRACE(ToUtf8(method));
    const auto form =
        Add(L"form", {{L"action", L"javascript:open('cart.html?id=7#top')"}, {L"method", method}});
    Add(L"input", {{L"type", L"text"}, {L"name", L"q"}, {L"value", L"x"}}, form);
    const auto go = Add(L"input", {{L"type", L"submit"}}, form);
    observer.Take();
    browsers().Click(*go);
    EXPECT_EQ(browser->LastNavigated(), L"javascript:open('cart.html?id=7#top')");
    const Lines log = observer.Take();
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "w0 BeforeNavigate2 w0 javascript:open('cart.html?id=7#top')"),
              1);
    ASSERT_FALSE(browsers().OpenWindows().empty());
    EXPECT_EQ(browsers().OpenWindows().back()->LastNavigated(),
              L"http://a.example/dir/cart.html?id=7#top");
  }
}

TEST_F(SimPageTest, KeysDoWhatTheyDoOnEachKindOfElementInTheRealBrowsersOrder) {
  // Enter acts while the key is down (before keyup; a page it replaces hears
  // no keyup), Space when it comes up (after keyup).
  struct Case {
    const char* name;
    const wchar_t* tag;
    Attributes attributes;
    PageKey key;
    Lines events;         // after "e focus"
    const wchar_t* goes;  // where the page then navigates; none: nowhere
  };
  const Case cases[] = {
      {"space on a link",
       L"a",
       {{L"href", L"http://l.example/"}},
       PageKey::Space,
       {"doc keydown 32 e", "e keyup"},
       nullptr},
      {"enter on a link",
       L"a",
       {{L"href", L"http://l.example/"}},
       PageKey::Enter,
       {"doc keydown 13 e", "e click", "doc click", "w0 BeforeNavigate2 w0 http://l.example/"},
       L"http://l.example/"},
      {"space on a submit button",
       L"button",
       {{L"type", L"submit"}},
       PageKey::Space,
       {"doc keydown 32 e", "e keyup", "e click", "doc click",
        "w0 BeforeNavigate2 w0 http://f.example/s?"},
       L"http://f.example/s?"},
      {"enter on a plain button",
       L"button",
       {},
       PageKey::Enter,
       {"doc keydown 13 e", "e click", "doc click", "e keyup"},
       nullptr},
      {"space on an input button",
       L"input",
       {{L"type", L"button"}},
       PageKey::Space,
       {"doc keydown 32 e", "e keyup", "e click", "doc click"},
       nullptr},
      {"space on a check box",
       L"input",
       {{L"type", L"checkbox"}},
       PageKey::Space,
       {"doc keydown 32 e", "e keyup", "e click", "doc click"},
       nullptr},
      {"enter on a check box",
       L"input",
       {{L"type", L"checkbox"}},
       PageKey::Enter,
       {"doc keydown 13 e", "w0 BeforeNavigate2 w0 http://f.example/s?"},
       L"http://f.example/s?"},
      {"space in a text field",
       L"input",
       {},
       PageKey::Space,
       {"doc keydown 32 e", "e keyup"},
       nullptr},
      {"enter on an image input",
       L"input",
       {{L"type", L"image"}},
       PageKey::Enter,
       {"doc keydown 13 e", "e click", "doc click",
        "w0 BeforeNavigate2 w0 http://f.example/s?x=0&y=0"},
       L"http://f.example/s?x=0&y=0"},
      {"escape on a link",
       L"a",
       {{L"href", L"http://l.example/"}},
       PageKey::Escape,
       {"doc keydown 27 e", "e keyup"},
       nullptr},
      {"an arrow on a button",
       L"button",
       {{L"type", L"submit"}},
       PageKey::Down,
       {"doc keydown 40 e", "e keyup"},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop d;
    Observer o(d);
    const auto top = d.browsers().OpenBrowser(L"http://a.example/");
    const auto form = d.browsers().AddElement(*top, L"form", {{L"action", L"http://f.example/s"}});
    const auto element = d.browsers().AddElement(*top, c.tag, c.attributes, form);
    PageRecorder recorder(o.log, top->GetDocument());
    recorder.Watch(element, "e");
    o.Take();
    d.browsers().Key(*element, c.key);
    Lines expected{"e focus"};
    expected.insert(expected.end(), c.events.begin(), c.events.end());
    Lines log = o.Take();
    if (log.size() > expected.size()) log.resize(expected.size());
    EXPECT_EQ(log, expected);
    EXPECT_EQ(top->LastNavigated(), c.goes ? c.goes : L"http://a.example/");
  }
}

TEST_F(SimPageTest, TabMovesTheFocusOnTheWayDownAndTheNextElementHearsTheKeyUp) {
  const auto first = Add(L"a", {{L"href", L"http://l.example/"}});
  Add(L"div");
  Add(L"input", {{L"type", L"hidden"}});
  const auto second = Add(L"button");
  Record().Watch(first, "first");
  page->Watch(second, "second");
  browsers().Key(*first, PageKey::Tab);
  EXPECT_EQ(observer.Take(), (Lines{"first focus", "doc keydown 9 first", "first blur",
                                    "second focus", "second keyup"}));
  EXPECT_EQ(browser->GetDocument()->ActiveElement(), second);
  // Off the last element the focus leaves the page for the browser's bar.
  browsers().Key(*second, PageKey::Tab);
  EXPECT_EQ(observer.Take(), (Lines{"doc keydown 9 second", "second blur"}));
}

TEST_F(SimPageTest, AWindowThatEnterOpensComesToTheFrontAndTheKeyUpGoesThere) {
  const auto link = Add(L"a", {{L"href", L"http://b.example/"}, {L"target", L"_blank"}});
  Record().Watch(link, "link");
  browsers().Key(*link, PageKey::Enter);
  const Lines log = observer.Take();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "w1 DownloadComplete");
  EXPECT_EQ(std::count(log.begin(), log.end(), "link keyup"), 0);
}

TEST_F(SimPageTest, TheContextMenusOpenInNewWindowOpensTheLink) {
  const auto link = Add(L"a", {{L"href", L"http://b.example/"}});
  Record().Watch(link, "link");
  browsers().NewWindowFromMenu(*link);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 2 link", "link focus", "link mouseup", "doc contextmenu 0 link",
                   "w0 NewWindow2", "WindowRegistered 1", "w1 BeforeNavigate2 w1 http://b.example/",
                   "w1 NavigateComplete2 w1 http://b.example/", "w1 DownloadComplete"}));
  EXPECT_EQ(browser->GetDocument()->ActiveElement(), link);

  // A page that refuses the menu gets no command either.
  page->contextMenuAnswer = false;
  browsers().NewWindowFromMenu(*link);
  EXPECT_EQ(observer.Take(),
            (Lines{"doc mousedown 2 link", "link mouseup", "doc contextmenu 0 link"}));
  // Over something that is no link the menu has no such command.
  const auto text = Add(L"span");
  page->contextMenuAnswer = true;
  EXPECT_TRUE(browsers().ContextMenu(*text));
  browsers().OpenInNewWindow(*text);
  EXPECT_EQ(observer.Take(), (Lines{"doc mousedown 2 ?", "link blur", "doc contextmenu 0 ?"}));
}

TEST_F(SimPageTest, AContextMenuEntrysScriptNavigatesTheWindowItClimbsTo) {
  const std::wstring script =
      L"<SCRIPT language=VBScript>\r\n"
      L"external.menuArguments.Parent.Parent.Parent.navigate "
      L"\"file://C:\\Program Files\\Quellix\\b0123456789.html\"\r\n</SCRIPT>";
  const auto frame = browsers().AddFrame(*browser, L"in.html", L"in");
  observer.names.Set(frame.get(), "f");
  observer.Take();
  Record();
  EXPECT_TRUE(browsers().UseMenuEntry(*frame, script));
  const Lines log = observer.Take();
  ASSERT_GE(log.size(), 2u);
  // The right click lands in the frame's page, whose events this recorder
  // does not hear; the top window reports the file as its plain path.
  EXPECT_EQ(log.front(), "w0 BeforeNavigate2 w0 C:\\Program Files\\Quellix\\b0123456789.html");
  EXPECT_EQ(browser->LastNavigated(), L"file://C:\\Program Files\\Quellix\\b0123456789.html");
  EXPECT_FALSE(browsers().UseMenuEntry(*browser, L"<SCRIPT>alert(1)</SCRIPT>"));
}

TEST_F(SimPageTest, SingleEventsReachTheirElementAndTheDocument) {
  struct Case {
    const char* name;
    std::function<void(SimBrowsers&, SimBrowser&, SimElement&)> act;
    Lines expected;
  };
  const Case cases[] = {
      {"mousedown",
       [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.MouseDown(e); },
       {"doc mousedown 1 button", "button focus"}},
      {"right mousedown",
       [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.MouseDown(e, true); },
       {"doc mousedown 2 button", "button focus"}},
      {"mouseup",
       [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.MouseUp(e); },
       {"button mouseup"}},
      {"mouseout",
       [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.MouseOut(e); },
       {"button mouseout"}},
      {"mouseover",
       [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.MouseOver(e); },
       {"button mouseover"}},
      {"mousemove",
       [](SimBrowsers& b, SimBrowser& p, SimElement&) { b.MouseMove(p); },
       {"doc mousemove 0 body"}},
      {"blur", [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.Blur(e); }, {"button blur"}},
      {"drag", [](SimBrowsers& b, SimBrowser&, SimElement& e) { b.Drag(e); }, {"button dragstart"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimDesktop d;
    Observer o(d);
    const auto top = d.browsers().OpenBrowser(L"http://a.example/");
    const auto button = d.browsers().AddElement(*top, L"button");
    PageRecorder recorder(o.log, top->GetDocument());
    recorder.Name(top->GetDocument()->ActiveElement(), "body");
    recorder.Watch(button, "button");
    o.Take();
    c.act(d.browsers(), *top, *button);
    EXPECT_EQ(o.Take(), c.expected);
  }
}

TEST_F(SimPageTest, TheCurrentEventExistsOnlyWhileOneIsDispatched) {
  const auto link = Add(L"a", {{L"href", L"http://b.example/"}});
  const auto window = browser->GetDocument()->ParentWindow();
  EXPECT_THROW(window->CurrentEvent(), PlatformError);
  struct Probe final : DocumentEvents {
    explicit Probe(std::shared_ptr<HtmlWindow> w) : window(std::move(w)) {}
    void OnMouseDown() override { seen.push_back(window->CurrentEvent()); }
    std::shared_ptr<HtmlWindow> window;
    std::vector<EventInfo> seen;
  } probe(window);
  const auto connection = browser->GetDocument()->Connect(probe);
  browsers().MouseDown(*link, true);
  ASSERT_EQ(probe.seen.size(), 1u);
  EXPECT_EQ(probe.seen[0].button, 2);
  EXPECT_EQ(probe.seen[0].srcElement, link);
  EXPECT_THROW(window->CurrentEvent(), PlatformError);
}

TEST_F(SimPageTest, AClickInAFrameWorksInTheFramesPage) {
  const auto frame = browsers().AddFrame(*browser, L"http://f.example/in.html", L"inner");
  const auto link =
      browsers().AddElement(*frame, L"a", {{L"href", L"http://b.example/"}, {L"target", L"_top"}});
  observer.names.Set(frame.get(), "f");
  PageRecorder framePage(observer.log, frame->GetDocument(), "framedoc");
  framePage.Watch(link, "link");
  observer.Take();
  browsers().Click(*link);
  const Lines log = observer.Take();
  EXPECT_EQ(Lines(log.begin(), log.begin() + 6),
            (Lines{"framedoc mousedown 1 link", "link focus", "link mouseup", "link click",
                   "framedoc click", "w0 BeforeNavigate2 w0 http://b.example/ target=_top"}));
  EXPECT_FALSE(frame->IsOpen());  // the top page and its frame are gone
}

TEST_F(SimPageTest, FocusInAFrameBlursTheFocusOfThePageAbove) {
  const auto outer = Add(L"a", {{L"href", L"http://x.example/"}});
  const auto frame = browsers().AddFrame(*browser, L"in.html");
  const auto inner = browsers().AddElement(*frame, L"button");
  observer.Take();
  Record().Watch(outer, "outer");
  browsers().MouseDown(*outer);
  browsers().MouseDown(*inner);
  EXPECT_EQ(observer.Take(), (Lines{"doc mousedown 1 outer", "outer focus", "outer blur"}));
  EXPECT_EQ(frame->GetDocument()->ActiveElement(), inner);
  EXPECT_EQ(browser->GetDocument()->ActiveElement()->TagName(), L"IFRAME");
}

TEST_F(SimPageTest, AScriptLinkReportsItsAddressAndOpensWhatItOpens) {
  const auto link = Add(L"a", {{L"href", L"javascript:void(window.open('pop.html'))"}});
  const auto document = browser->GetDocument();
  Record();
  browsers().Click(*link);
  const Lines log = observer.Take();
  ASSERT_GE(log.size(), 6u);
  const Lines tail(log.end() - 6, log.end());
  EXPECT_EQ(
      tail,
      (Lines{"w0 BeforeNavigate2 w0 javascript:void(window.open('pop.html'))", "w0 NewWindow2",
             "WindowRegistered 1", "w1 BeforeNavigate2 w1 http://a.example/dir/pop.html",
             "w1 NavigateComplete2 w1 http://a.example/dir/pop.html", "w1 DownloadComplete"}));
  EXPECT_EQ(browser->GetDocument(), document);  // the page stays
  EXPECT_EQ(browser->LastNavigated(), L"javascript:void(window.open('pop.html'))");
}

TEST_F(SimPageTest, AnOnclickDialogOpensAWebPageDialogOwnedByTheWindow) {
  const auto button = Add(L"button", {{L"onclick", L"dialog \"Sign in\""}});
  browsers().Click(*button);
  ASSERT_EQ(browsers().Dialogs().size(), 1u);
  const SimWindow* dialog = desktop.windows().Find(browsers().Dialogs()[0]);
  EXPECT_EQ(dialog->text, L"Sign in -- Web Page Dialog");
  EXPECT_EQ(dialog->className, L"Internet Explorer_TridentDlgFrame");
  EXPECT_EQ(dialog->owner, browser->Window());
}

TEST_F(SimPageTest, ElementsAnswerAsTheRealDocumentModelDoes) {
  const auto link = Add(L"A", {{L"HREF", L"../up.html"}, {L"onclick", L"cancel"}});
  const auto area = Add(L"area", {{L"href", L"/root.html"}, {L"target", L"t"}});
  const auto field = Add(L"input", {{L"value", L"typed"}});
  const auto button = Add(L"button", {{L"value", L"B"}});
  const auto form = Add(L"form", {{L"action", L"find.cgi"}, {L"onsubmit", L"cancel"}});
  const auto div = Add(L"div");
  const auto image = Add(L"img", {}, div);
  EXPECT_EQ(link->TagName(), L"A");
  EXPECT_EQ(link->Href(), L"http://a.example/dir/../up.html");
  EXPECT_EQ(link->DefaultValue(), link->Href());
  EXPECT_EQ(link->OnClickText(), L"cancel");
  EXPECT_EQ(area->Href(), L"http://a.example/root.html");
  EXPECT_EQ(area->Target(), L"t");
  EXPECT_EQ(field->Type(), L"text");
  EXPECT_EQ(field->DefaultValue(), L"typed");
  EXPECT_EQ(button->Type(), L"button");
  EXPECT_EQ(button->DefaultValue(), L"B");
  EXPECT_EQ(form->Action(), L"find.cgi");  // as written
  EXPECT_EQ(form->OnSubmitText(), L"cancel");
  EXPECT_EQ(div->OnClickText(), L"");
  EXPECT_FALSE(image->IsMap());
  EXPECT_EQ(image->ParentElement(), div);
  EXPECT_EQ(div->ParentElement()->TagName(), L"BODY");
  EXPECT_EQ(div->ParentElement()->ParentElement()->TagName(), L"HTML");
  EXPECT_EQ(div->ParentElement()->ParentElement()->ParentElement(), nullptr);
  // Properties an element does not have fail, as late-bound calls do.
  EXPECT_THROW(div->Href(), PlatformError);
  EXPECT_THROW(div->DefaultValue(), PlatformError);
  EXPECT_THROW(div->Type(), PlatformError);
  EXPECT_THROW(link->Action(), PlatformError);
  EXPECT_THROW(link->IsMap(), PlatformError);
  // An onclick the simulated page cannot run is refused when it is added.
  EXPECT_THROW(Add(L"a", {{L"onclick", L"alert('x')"}}), std::invalid_argument);
}

TEST(SimUrlTest, AddressesResolveAsLinksDo) {
  struct Case {
    const wchar_t* base;
    const wchar_t* href;
    const wchar_t* resolved;
  };
  const Case cases[] = {
      {L"http://a.example/dir/p.html", L"q.html", L"http://a.example/dir/q.html"},
      {L"http://a.example/dir/p.html?x=1", L"?y=2", L"http://a.example/dir/p.html?y=2"},
      {L"http://a.example/dir/p.html#top", L"#end", L"http://a.example/dir/p.html#end"},
      {L"http://a.example", L"q.html", L"http://a.example/q.html"},
      {L"http://a.example/dir/", L"/r.html", L"http://a.example/r.html"},
      {L"https://a.example/x", L"//b.example/y", L"https://b.example/y"},
      {L"http://a.example/x", L"javascript:go()", L"javascript:go()"},
      {L"http://a.example/x", L"C:\\pages\\p.html", L"C:\\pages\\p.html"},
      {L"about:blank", L"rel.html", L"rel.html"},
      {L"http://a.example/x", L"", L"http://a.example/x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveUrl(c.base, c.href), c.resolved) << ToUtf8(c.base) << " + " << ToUtf8(c.href);
  }
}

TEST(SimUrlTest, ScriptAddressesOpenWhatTheyNameInOpen) {
  EXPECT_EQ(ScriptOpens(L"javascript:window.open('a.html')"),
            (std::vector<std::wstring>{L"a.html"}));
  EXPECT_EQ(ScriptOpens(L"javascript:open( \"b\");x.open('c')"),
            (std::vector<std::wstring>{L"b", L"c"}));
  EXPECT_TRUE(ScriptOpens(L"javascript:reopen('a');open(x)").empty());
}

TEST(SimPageScriptTest, StatementsParseOrAreRefused) {
  const auto statements =
      ParsePageScript(L"open http://a/; dialog \"Say \\\"hi\\\"; now\" ;cancel");
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[0].kind, PageStatement::Kind::Open);
  EXPECT_EQ(statements[0].argument, L"http://a/");
  EXPECT_EQ(statements[1].kind, PageStatement::Kind::Dialog);
  EXPECT_EQ(statements[1].argument, L"Say \"hi\"; now");
  EXPECT_EQ(statements[2].kind, PageStatement::Kind::Cancel);
  EXPECT_THROW(ParsePageScript(L"go"), std::invalid_argument);
  EXPECT_THROW(ParsePageScript(L"cancel now"), std::invalid_argument);
  EXPECT_THROW(ParsePageScript(L"window.close()"), std::invalid_argument);
}

}  // namespace
}  // namespace qx::sim
