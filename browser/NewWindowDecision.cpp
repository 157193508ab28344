#include "browser/NewWindowDecision.h"

namespace qx {
namespace {

// A button (or an input of type button) has no address of its own: a window
// after a press on one cannot be checked against where the press leads, so
// only a direct click on it counts.
bool IsButton(const PressFacts& press) {
  return press.element == PressedKind::Button || press.input == InputClass::Button;
}

// A context menu on a link or an area may open a window ("Open in New
// Window"); on a button or a form field it may not.
bool MenuOnLink(const PressFacts& press) {
  return press.menuArmed && press.element != PressedKind::Button &&
         press.element != PressedKind::Input;
}

bool DirectClick(const PressFacts& press) {
  return (press.clickArmed && press.clickDone && !press.pointerLeft) ||
         (press.clickArmed && press.enterSubmit);
}

// Why a window that nothing on the page could have asked for is a pop-up.
std::wstring NoPressReason(const PressFacts& press) {
  if (press.menuArmed) return L"the context menu was on a button or a form field";
  if (press.clickDone) return L"the click was on a button, not a link";
  if (press.clickArmed) return L"the mouse button was still down on the page";
  return kReasonNoClick;
}

NewWindowDecision Killed(const NewWindowAnswers& answers, std::wstring reason,
                         std::wstring logUrl) {
  return {answers.accurateLog ? NewWindowOutcome::CatchToLog : NewWindowOutcome::Kill,
          std::move(reason), std::move(logUrl)};
}

NewWindowDecision Opened(const NewWindowAnswers& answers, std::wstring reason) {
  return {answers.redirectNewWindows ? NewWindowOutcome::OpenInSameWindow : NewWindowOutcome::Open,
          std::move(reason), L""};
}

NewWindowDecision Verified(const NewWindowAnswers& answers) {
  if (!answers.focusMatches) return Killed(answers, kReasonOtherElement, L"unknown");
  return {NewWindowOutcome::CatchToVerify,
          L"a press on the page: the window opens if its address is the pressed element's", L""};
}

NewWindowDecision DecideAllowed(const PressFacts& press, const NewWindowAnswers& answers) {
  std::wstring reason = !answers.blocking    ? L"blocking is off or the off key is held"
                        : answers.updateSite ? L"the page is on the update site"
                                             : answers.allowReason;
  // Browsers before Windows XP cannot tell a window the user asked for from
  // one the page opened by itself: such windows are reopened as plain ones.
  const bool reopen =
      !answers.windowsXPOrLater && ((!press.scriptNavigation && !press.clickArmed &&
                                     !press.enterSubmit && press.clickDone && !IsButton(press)) ||
                                    MenuOnLink(press));
  return {reopen ? NewWindowOutcome::CatchToReopen : NewWindowOutcome::Open, std::move(reason),
          L""};
}

NewWindowDecision DecideScriptLink(const NewWindowAnswers& answers, const PressFacts& press,
                                   const std::wstring& lastUrl) {
  if (!answers.focusMatches) return Killed(answers, kReasonOtherElement, lastUrl);
  if (answers.scriptLinkMatches)
    return Opened(answers, L"a click on the link whose script opens it");
  if (!IsButton(press) || MenuOnLink(press)) return Verified(answers);
  return {NewWindowOutcome::Open, L"a click on a button whose script opens it", L""};
}

}  // namespace

PressPath PathOf(const PressFacts& press) {
  if (DirectClick(press)) return PressPath::DirectClick;
  if (press.clickDone && press.scriptNavigation) return PressPath::ScriptLink;
  if ((press.clickDone && !IsButton(press)) || MenuOnLink(press)) return PressPath::CheckPress;
  return PressPath::NoPress;
}

NewWindowDecision DecideNewWindow(const PressFacts& press, const NewWindowAnswers& answers,
                                  const std::wstring& lastUrl) {
  if (answers.updateSite || answers.siteAllowed || !answers.blocking) {
    return DecideAllowed(press, answers);
  }
  switch (PathOf(press)) {
    case PressPath::DirectClick:
      if (!answers.focusMatches) return Killed(answers, kReasonOtherElement, L"");
      return Opened(answers, L"a click on the element that opens it");
    case PressPath::ScriptLink:
      return DecideScriptLink(answers, press, lastUrl);
    case PressPath::CheckPress:
      return Verified(answers);
    case PressPath::NoPress:
      break;
  }
  return Killed(answers, NoPressReason(press), L"unknown");
}

PressPath DialogPathOf(const PressFacts& press, const DialogAnswers& answers) {
  if (answers.siteAllowed || !answers.blocking || !answers.announcedLast) return PressPath::NoPress;
  if (press.clickArmed && press.clickDone && !press.pointerLeft) return PressPath::DirectClick;
  if (press.clickDone && press.scriptNavigation) return PressPath::ScriptLink;
  return PressPath::NoPress;
}

DialogDecision DecideDialog(const PressFacts& press, const DialogAnswers& answers) {
  if (!answers.blocking) return {true, L"blocking is off or the off key is held"};
  if (answers.siteAllowed) return {true, answers.allowReason};
  switch (DialogPathOf(press, answers)) {
    case PressPath::DirectClick:
      if (answers.focusMatches) return {true, L"a click on the element that opens it"};
      return {false, kReasonOtherElement};
    case PressPath::ScriptLink:
      if (answers.focusMatches && answers.scriptLinkMatches) {
        return {true, L"a click on the link whose script opens it"};
      }
      return {false, answers.focusMatches ? kReasonDialog : kReasonOtherElement};
    default:
      return {false, kReasonDialog};
  }
}

std::wstring AlwaysKillReason(const std::wstring& rule) {
  return L"the site has an always-kill rule for " + rule;
}

}  // namespace qx
