// The monitor's decisions on new windows, caught windows, always-kill pages
// and web page dialogs: it gathers the facts, asks NewWindowDecision, then
// carries out what was decided here, in one place.

#include "base/Text.h"
#include "browser/BrowserMonitor.h"
#include "browser/NewWindowDecision.h"
#include "browser/UrlCompare.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {
namespace {

const wchar_t* OutcomeText(NewWindowOutcome outcome) {
  switch (outcome) {
    case NewWindowOutcome::Kill:
      return L"killed as a pop-up";
    case NewWindowOutcome::CatchToLog:
      return L"caught and logged as a pop-up";
    case NewWindowOutcome::Open:
      return L"lets it open";
    default:
      return L"caught to check or reopen it";
  }
}

}  // namespace

PressFacts BrowserMonitor::Press() const {
  PressFacts press;
  press.clickArmed = ClickArmed;
  press.clickDone = ClickDone;
  press.pointerLeft = PointerLeft;
  press.enterSubmit = EnterSubmit;
  press.menuArmed = MenuArmed;
  press.element = ElementKind;
  press.input = InputKind;
  press.scriptNavigation = StartsWithNoCase(LastUrl, L"javascript:");
  return press;
}

void BrowserMonitor::StopPopup(const std::wstring& url, const std::wstring& reason) {
  StopReport report;
  report.source = CurrentLocation();
  report.target = url;
  report.reason = reason;
  host_.PopupStopped(report);
}

void BrowserMonitor::LogPopup(const std::wstring& url) {
  std::wstring reason = std::move(pendingReason_);
  pendingReason_.clear();
  StopPopup(url, reason.empty() ? std::wstring(kReasonOtherAddress) : reason);
}

void BrowserMonitor::KillOnFirstPage(const std::wstring& url, const wchar_t* traceText) {
  StopReport report;
  report.kind = StopKind::AlwaysKillPage;
  report.target = url;
  report.reason = AlwaysKillReason(host_.KillRuleText(url));
  if (host_.Observer()) Trace(traceText + url, report.reason + L"; " + host_.ExplainKill(url));
  host_.PopupStopped(report);
  Quit();
}

NewWindowAnswers BrowserMonitor::RuleAnswers(const std::wstring& location) {
  Settings& settings = GetSettings();
  NewWindowAnswers answers;
  answers.blocking = host_.BlockingActive();
  answers.siteAllowed = host_.Allow(location);
  answers.updateSite = OnUpdateSite(browser_url::HostOf(location));
  answers.windowsXPOrLater = answers.updateSite || answers.siteAllowed || !answers.blocking
                                 ? host_.IsWindowsXPOrLater()
                                 : true;
  answers.redirectNewWindows = settings.RedirectNewWindows();
  answers.accurateLog = settings.KeepLog() && settings.KeepAccurateLog();
  // Explaining walks the rules again: only for someone who listens.
  if (host_.Observer()) answers.allowReason = host_.ExplainAllow(location);
  return answers;
}

void BrowserMonitor::AskAboutPress(NewWindowAnswers& answers) {
  if (answers.updateSite || answers.siteAllowed || !answers.blocking) return;
  const PressPath path = PathOf(Press());
  if (path == PressPath::NoPress) return;
  answers.focusMatches = FocusMatches();
  if (path == PressPath::ScriptLink && answers.focusMatches) {
    answers.scriptLinkMatches = ScriptLinkMatches();
  }
}

void BrowserMonitor::Carry(const NewWindowDecision& decision, std::shared_ptr<Browser>& ppDisp,
                           bool& cancel) {
  switch (decision.outcome) {
    case NewWindowOutcome::Open:
      return;
    case NewWindowOutcome::OpenInSameWindow:
      ppDisp = Catch(CatchMode::SameWindow);
      return;
    case NewWindowOutcome::CatchToReopen:
      ppDisp = Catch(CatchMode::NewWindow);
      return;
    case NewWindowOutcome::CatchToVerify:
      pendingReason_ = kReasonOtherAddress;
      ppDisp = Catch(CatchMode::Verify);
      return;
    case NewWindowOutcome::CatchToLog:
      pendingReason_ = decision.reason;
      ppDisp = Catch(CatchMode::Log);
      // Without the page catcher the address cannot be learnt: the window
      // is still killed, and logged with what is known.
      if (ppDisp) return;
      pendingReason_.clear();
      break;
    case NewWindowOutcome::Kill:
      break;
  }
  cancel = true;
  StopPopup(decision.logUrl, decision.reason);
}

void BrowserMonitor::NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) {
  const auto keepAlive = weak_from_this().lock();
  if (!IsIE()) return;
  const std::wstring page = LocationOrError();
  if (page.empty() || StartsWithNoCase(page, L"vid:")) return;
  const std::wstring location = CurrentLocation();
  const std::wstring press = host_.Observer() ? PressText() : std::wstring();
  NewWindowAnswers answers = RuleAnswers(location);
  AskAboutPress(answers);
  const NewWindowDecision decision = DecideNewWindow(Press(), answers, LastUrl);
  Carry(decision, ppDisp, cancel);
  if (host_.Observer()) {
    const bool blocked = !answers.updateSite && !answers.siteAllowed && answers.blocking;
    Trace(
        L"new window from " + location + L": " + OutcomeText(decision.outcome),
        blocked ? decision.reason + L"; " + press + L"; " + answers.allowReason : decision.reason);
  }
  ResetAll();
  ClickDone = false;
}

bool BrowserMonitor::CaughtIsPressedLink(const std::wstring& lowered) {
  std::wstring href;
  const bool read = Step([&] {
    if (ActedElement) href = ActedElement->Href();
  });
  return read && ActedElement && LowerCase(href) == lowered;
}

bool BrowserMonitor::CaughtIsMapTarget(const std::wstring& url) {
  bool same = false;
  Step([&] {
    if (ActedElement) {
      same = LowerCase(browser_url::StripQuery(ActedElement->Href())) ==
             LowerCase(browser_url::StripQuery(url));
    }
  });
  return same;
}

void BrowserMonitor::VerifyFormSubmission(const Navigation& caught) {
  const std::wstring lowered = LowerCase(caught.url);
  const std::shared_ptr<Element> form = FindForm(ActedElement);
  if (!form) {
    LogPopup(caught.url);
    return;
  }
  bool special = false;
  bool contains = false;
  Step([&] {
    const std::wstring onsubmit = LowerCase(form->OnSubmitText());
    special = lowered == L"about:blank" && ActedElement &&
              ClassifyInput(*ActedElement) == InputClass::Submit &&
              LowerCase(caught.targetFrameName.value_or(L"")) == LowerCase(form->Target()) &&
              onsubmit != L"null" && !onsubmit.empty();
  });
  Step([&] {
    contains = lowered.find(LowerCase(browser_url::TrimPath(form->Action()))) != std::wstring::npos;
  });
  if (contains || special) {
    pendingReason_.clear();
    OpenCaught(caught, special);
  } else {
    LogPopup(caught.url);
  }
}

void BrowserMonitor::OnCatchVerify(const Navigation& caught) {
  const auto keepAlive = weak_from_this().lock();
  const std::wstring& url = caught.url;
  if (host_.Kill(url)) {
    pendingReason_ = AlwaysKillReason(host_.KillRuleText(url));
    LogPopup(url);
    return;
  }
  bool open = false;
  switch (ElementKind) {
    case PressedKind::Link:
    case PressedKind::Area:
      open = CaughtIsPressedLink(LowerCase(url));
      break;
    case PressedKind::Input:
      VerifyFormSubmission(caught);
      return;
    case PressedKind::ImageMap:
      open = CaughtIsMapTarget(url);
      break;
    default:
      pendingReason_.clear();
      return;
  }
  if (open) {
    pendingReason_.clear();
    OpenCaught(caught, false);
  } else {
    LogPopup(url);
  }
}

bool BrowserMonitor::DialogsAllowed(DialogRecord& record) {
  if (!IsIE()) return true;
  std::wstring page = LocationOrError();
  if (page.empty() || StartsWithNoCase(page, L"vid:")) return true;
  if (page == L"error") page.clear();
  record.location = page;
  DialogAnswers answers;
  answers.blocking = host_.BlockingActive();
  answers.siteAllowed = host_.Allow(page);
  answers.announcedLast = record.stamp == host_.DialogCounter();
  if (host_.Observer()) answers.allowReason = host_.ExplainAllow(page);
  PressFacts press = Press();
  press.clickArmed = record.snapshot.ClickArmed != 0;
  press.clickDone = record.snapshot.ClickDone != 0;
  press.pointerLeft = record.snapshot.PointerLeft != 0;
  const PressPath path = DialogPathOf(press, answers);
  if (path != PressPath::NoPress) answers.focusMatches = FocusMatches();
  if (path == PressPath::ScriptLink && answers.focusMatches) {
    answers.scriptLinkMatches = ScriptLinkMatches();
  }
  const DialogDecision decision = DecideDialog(press, answers);
  record.reason = decision.reason;
  TraceDialog(page, decision, answers);
  ClickArmed = false;
  PointerLeft = false;
  ClickDone = false;
  return decision.allowed;
}

void BrowserMonitor::TraceDialog(const std::wstring& page, const DialogDecision& decision,
                                 const DialogAnswers& answers) {
  if (!host_.Observer()) return;
  std::wstring why = decision.reason;
  if (answers.blocking && !answers.siteAllowed) why += L"; " + answers.allowReason;
  if (!answers.announcedLast) why += L"; announced before another dialog";
  Trace(std::wstring(L"web page dialog of ") + (page.empty() ? L"an unknown page" : page) +
            (decision.allowed ? L": may stay" : L": killed"),
        why);
}

}  // namespace qx
