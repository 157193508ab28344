// The user at a simulated page: the DOM events of a click, a key, the
// context menu, in the order the real browser raises them, and the default
// actions that follow (a link followed, a form submitted, a window opened).
#include <gtest/gtest.h>

#include "BrowserRecorder.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"
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

}  // namespace
}  // namespace qx::sim
