// The new-window and web page dialog decisions, case by case: the press, the
// rules' answers, and what must follow and why.

#include <gtest/gtest.h>

#include "base/Text.h"
#include "browser/NewWindowDecision.h"

namespace qx {
namespace {

using O = NewWindowOutcome;
using K = PressedKind;

PressFacts Click(K element = K::Link) {
  PressFacts p;
  p.clickArmed = true;
  p.clickDone = true;
  p.element = element;
  return p;
}

PressFacts Menu(K element) {
  PressFacts p;
  p.menuArmed = true;
  p.element = element;
  return p;
}

PressFacts Done(K element, InputClass input = InputClass::Other) {
  PressFacts p;
  p.clickDone = true;
  p.element = element;
  p.input = input;
  return p;
}

NewWindowAnswers Blocked(bool focus = false, bool link = false) {
  NewWindowAnswers a;
  a.focusMatches = focus;
  a.scriptLinkMatches = link;
  return a;
}

struct Case {
  const char* name;
  PressFacts press;
  NewWindowAnswers answers;
  O outcome;
  const wchar_t* reason;  // nullptr: any
  const wchar_t* logUrl;
};

TEST(NewWindowDecisionTable, EachPressAndAnswerDecides) {
  PressFacts left = Click();
  left.pointerLeft = true;
  PressFacts enter;
  enter.clickArmed = true;
  enter.enterSubmit = true;
  PressFacts script = Done(K::Link);
  script.scriptNavigation = true;
  PressFacts scriptButton = Done(K::Button);
  scriptButton.scriptNavigation = true;
  PressFacts down;
  down.clickArmed = true;
  NewWindowAnswers redirect = Blocked(true);
  redirect.redirectNewWindows = true;
  NewWindowAnswers accurate = Blocked(false);
  accurate.accurateLog = true;
  NewWindowAnswers off = Blocked();
  off.blocking = false;
  NewWindowAnswers allowed = Blocked();
  allowed.siteAllowed = true;
  allowed.allowReason = L"allowed by the rule";
  NewWindowAnswers update = Blocked();
  update.updateSite = true;
  NewWindowAnswers old = allowed;
  old.windowsXPOrLater = false;

  const Case cases[] = {
      {"nothing pressed", {}, Blocked(), O::Kill, kReasonNoClick, L"unknown"},
      {"nothing pressed, accurate log", {}, accurate, O::CatchToLog, kReasonNoClick, L"unknown"},
      {"button still down", down, Blocked(), O::Kill,
       L"the mouse button was still down on the page", L"unknown"},
      {"click on a button", Done(K::Button), Blocked(true), O::Kill,
       L"the click was on a button, not a link", L"unknown"},
      {"click on an input button", Done(K::Input, InputClass::Button), Blocked(true), O::Kill,
       L"the click was on a button, not a link", L"unknown"},
      {"menu on a button", Menu(K::Button), Blocked(true), O::Kill,
       L"the context menu was on a button or a form field", L"unknown"},
      {"direct click, focus there", Click(), Blocked(true), O::Open, nullptr, L""},
      {"direct click, redirected", Click(), redirect, O::OpenInSameWindow, nullptr, L""},
      {"direct click, focus elsewhere", Click(), Blocked(false), O::Kill, kReasonOtherElement, L""},
      {"Enter in a field", enter, Blocked(true), O::Open, nullptr, L""},
      {"pointer left, focus there", left, Blocked(true), O::CatchToVerify, nullptr, L""},
      {"pointer left, focus elsewhere", left, Blocked(false), O::Kill, kReasonOtherElement,
       L"unknown"},
      {"script link, focus elsewhere", script, Blocked(false), O::Kill, kReasonOtherElement,
       L"javascript:go()"},
      {"script link matches", script, Blocked(true, true), O::Open,
       L"a click on the link whose script opens it", L""},
      {"script link differs", script, Blocked(true, false), O::CatchToVerify, nullptr, L""},
      {"script button", scriptButton, Blocked(true, false), O::Open,
       L"a click on a button whose script opens it", L""},
      {"menu on a link", Menu(K::Link), Blocked(true), O::CatchToVerify, nullptr, L""},
      {"blocking off", {}, off, O::Open, L"blocking is off or the off key is held", L""},
      {"site allowed", {}, allowed, O::Open, L"allowed by the rule", L""},
      {"update site", {}, update, O::Open, L"the page is on the update site", L""},
      {"older browser, plain click", Done(K::Link), old, O::CatchToReopen, nullptr, L""},
      {"older browser, menu on a link", Menu(K::Area), old, O::CatchToReopen, nullptr, L""},
      {"older browser, nothing pressed", {}, old, O::Open, nullptr, L""},
      {"older browser, script click", script, old, O::Open, nullptr, L""},
  };
  for (const Case& c : cases) {
    const NewWindowDecision d = DecideNewWindow(c.press, c.answers, L"javascript:go()");
    EXPECT_EQ(d.outcome, c.outcome) << c.name;
    if (c.reason) {
      EXPECT_EQ(d.reason, c.reason) << c.name;
    }
    EXPECT_FALSE(d.reason.empty()) << c.name;
    EXPECT_EQ(d.logUrl, c.logUrl) << c.name;
  }
}

TEST(NewWindowDecisionTable, PathsAskOnlyWhatTheyNeed) {
  PressFacts script = Done(K::Link);
  script.scriptNavigation = true;
  EXPECT_EQ(PathOf({}), PressPath::NoPress);
  EXPECT_EQ(PathOf(Click()), PressPath::DirectClick);
  EXPECT_EQ(PathOf(script), PressPath::ScriptLink);
  EXPECT_EQ(PathOf(Done(K::Area)), PressPath::CheckPress);
  EXPECT_EQ(PathOf(Menu(K::Link)), PressPath::CheckPress);
  EXPECT_EQ(PathOf(Menu(K::Input)), PressPath::NoPress);
  EXPECT_EQ(PathOf(Done(K::Button)), PressPath::NoPress);
  // A direct click wins over a script navigation.
  PressFacts both = Click();
  both.scriptNavigation = true;
  EXPECT_EQ(PathOf(both), PressPath::DirectClick);
}

TEST(DialogDecisionTable, AClickOnTheDialogsElementLetsItStay) {
  struct DialogCase {
    const char* name;
    PressFacts press;
    DialogAnswers answers;
    bool allowed;
    const wchar_t* reason;
  };
  DialogAnswers focus;
  focus.focusMatches = true;
  DialogAnswers both = focus;
  both.scriptLinkMatches = true;
  DialogAnswers stale = focus;
  stale.announcedLast = false;
  DialogAnswers off;
  off.blocking = false;
  DialogAnswers allowed;
  allowed.siteAllowed = true;
  allowed.allowReason = L"allowed by the rule";
  PressFacts left = Click();
  left.pointerLeft = true;
  PressFacts script = Done(K::Link);
  script.scriptNavigation = true;
  PressFacts leftScript = left;
  leftScript.scriptNavigation = true;

  const DialogCase cases[] = {
      {"no press", {}, focus, false, kReasonDialog},
      {"a click, focus there", Click(), focus, true, nullptr},
      {"a click, focus elsewhere", Click(), {}, false, kReasonOtherElement},
      {"pointer left", left, focus, false, kReasonDialog},
      {"pointer left, script link matches", leftScript, both, true, nullptr},
      {"script link differs", script, focus, false, kReasonDialog},
      {"script, focus elsewhere", script, {}, false, kReasonOtherElement},
      {"announced before another dialog", Click(), stale, false, kReasonDialog},
      {"blocking off", {}, off, true, L"blocking is off or the off key is held"},
      {"site allowed", {}, allowed, true, L"allowed by the rule"},
  };
  for (const DialogCase& c : cases) {
    const DialogDecision d = DecideDialog(c.press, c.answers);
    EXPECT_EQ(d.allowed, c.allowed) << c.name;
    if (c.reason) {
      EXPECT_EQ(d.reason, c.reason) << c.name;
    }
    EXPECT_FALSE(d.reason.empty()) << c.name;
  }
  // An allowed site or an earlier allowed dialog asks nothing of the press.
  EXPECT_EQ(DialogPathOf(Click(), allowed), PressPath::NoPress);
  EXPECT_EQ(DialogPathOf(Click(), stale), PressPath::NoPress);
  EXPECT_EQ(DialogPathOf(script, focus), PressPath::ScriptLink);
}

TEST(AlwaysKillReason, NamesTheRule) {
  EXPECT_EQ(AlwaysKillReason(L"ads.example/win.html"),
            L"the site has an always-kill rule for ads.example/win.html");
}

}  // namespace
}  // namespace qx
