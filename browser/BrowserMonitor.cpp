#include "browser/BrowserMonitor.h"

#include "base/Text.h"
#include "browser/ActionSinks.h"
#include "browser/FrameSink.h"
#include "browser/UrlCompare.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {
namespace {

bool StartsWithScript(const std::wstring& url) {
  return StartsWithNoCase(url, L"javascript:");
}

bool OnUpdateSite(const std::wstring& host) {
  return EndsWithNoCase(host, kUpdateSiteHost);
}

}  // namespace

BrowserMonitor::BrowserMonitor(BrowserHost& host, int& watchedCounter)
    : host_(host),
      watchedCounter_(watchedCounter),
      linkSink_(std::make_unique<ElementSink>(*this, ElementSink::Kind::Link)),
      areaSink_(std::make_unique<ElementSink>(*this, ElementSink::Kind::Area)),
      buttonSink_(std::make_unique<ElementSink>(*this, ElementSink::Kind::Button)),
      inputSink_(std::make_unique<ElementSink>(*this, ElementSink::Kind::Input)),
      documentSink_(std::make_unique<DocumentSink>(*this)),
      windowSink_(std::make_unique<WindowSink>(*this)) {}

void BrowserMonitor::Trace(const std::wstring& what, const std::wstring& why) {
  if (DecisionObserver* observer = host_.Observer()) observer->Decided(what, why);
}

void BrowserMonitor::KillOnFirstPage(const std::wstring& url, const wchar_t* traceText) {
  if (host_.Observer()) Trace(traceText + url, host_.ExplainKill(url));
  host_.LogAdd(L"", url, 1);
  host_.OnPopupKilled();
  Quit();
}

std::wstring BrowserMonitor::PressText() {
  static constexpr const wchar_t* kKinds[] = {L"nothing",  L"a link",   L"an image-map area",
                                              L"a button", L"an input", L"a server-side image map"};
  const int kind = ElementKind >= 0 && ElementKind <= 5 ? ElementKind : 0;
  std::wstring text = L"last press: ";
  text += kKinds[kind];
  if (ClickArmed) text += L", armed";
  if (ClickDone) text += L", completed";
  if (PointerLeft) text += L", pointer left";
  if (EnterSubmit) text += L", Enter in a text field";
  if (MenuArmed) text += L", context menu";
  if (ByKeyboard) text += L", by keyboard";
  if (!ClickArmed && !ClickDone && !MenuArmed) text = L"no press recorded";
  return text;
}

BrowserMonitor::~BrowserMonitor() {
  // Connections first: no event may reach a half-destroyed monitor.
  UnhookAll();
  root_.reset();
  events_.reset();
}

void BrowserMonitor::Attach(std::shared_ptr<Browser> browser) {
  events_.reset();
  myIE_ = std::move(browser);
  lastHWND = -1;
  if (!myIE_) return;
  Step([&] { events_ = myIE_->Connect(*this); });
  Step([&] { lastHWND = static_cast<std::int64_t>(myIE_->HWND()); });
  if (IsIE()) AttachDocument();
}

std::wstring BrowserMonitor::CurrentLocation() {
  std::wstring location;
  Step([&] {
    if (myIE_) location = myIE_->LocationURL();
  });
  return location;
}

std::wstring BrowserMonitor::LocationOrError() {
  std::wstring location = L"error";
  Step([&] {
    if (myIE_) location = myIE_->LocationURL();
  });
  return location;
}

bool BrowserMonitor::IsIE() {
  if (isIeEvaluated_ && !Recheck) return isIeResult_;
  Settings& settings = GetSettings();
  bool result = true;
  IsExplorer = false;
  if (settings.StrictIE() || settings.HoldStatusBar()) {
    std::wstring tail;
    Step([&] {
      if (!myIE_) return;
      const std::wstring name = LowerCase(myIE_->FullName());
      tail = name.size() > 12 ? name.substr(name.size() - 12) : name;
    });
    result = !settings.StrictIE() || tail == L"iexplore.exe";
    IsExplorer = tail == L"explorer.exe";
  }
  if (result && !Recheck) ++watchedCounter_;
  Recheck = false;
  isIeEvaluated_ = true;
  isIeResult_ = result;
  Suspended = OnUpdateSite(browser_url::HostOf(CurrentLocation()));
  return result;
}

void BrowserMonitor::AttachDocument() {
  root_.reset();
  DocumentAttached = false;
  if (!myIE_) return;
  auto root = std::make_unique<FrameSink>(*this);
  std::shared_ptr<Document> document;
  Step([&] { document = myIE_->GetDocument(); });
  root->Attach(document);
  root_ = std::move(root);
  DocumentAttached = true;
}

void BrowserMonitor::BeforeNavigate2(Browser& /*pDisp*/, Navigation& navigation, bool& cancel) {
  const auto keepAlive = weak_from_this().lock();
  if (!IsIE()) return;
  const std::wstring url = navigation.url;
  bool handled = false;
  Step([&] { handled = ContextCommand(url); });
  if (handled) {
    cancel = true;
    Trace(L"navigation to " + url + L" cancelled", L"a context-menu command of the program");
    return;
  }

  bool first = false;
  Step([&] {
    if (!myIE_->GetProperty(L"QXtag1").value_or(false)) {
      myIE_->PutProperty(L"QXtag1", true);
      first = true;
    } else if (!myIE_->GetProperty(L"QXtag2").value_or(false)) {
      myIE_->PutProperty(L"QXtag2", true);
      first = true;
    }
  });
  if (first && host_.Kill(url) && host_.BlockingActive()) {
    cancel = true;
    KillOnFirstPage(url, L"window killed on its first navigation to ");
    return;
  }

  LastUrl = url;
  Suspended = OnUpdateSite(browser_url::HostOf(url));

  Settings& settings = GetSettings();
  if (settings.JSLoopFix() && StartsWithScript(url) &&
      LowerCase(url).find(L"while") != std::wstring::npos && !host_.Allow(CurrentLocation()) &&
      host_.BlockingActive()) {
    if (const auto rewritten = RewriteScriptLoops(url)) {
      cancel = true;
      Navigation bounded = navigation;
      bounded.url = *rewritten;
      Step([&] { myIE_->Navigate2(bounded); });
      Trace(L"script loop bounded: " + url, L"JSLoopFix on a page whose pop-ups are blocked");
    }
  }
  ApplyHold();
}

bool BrowserMonitor::ContextCommand(const std::wstring& url) {
  const std::wstring lowered = LowerCase(url);
  if (!StartsWithNoCase(lowered, host_.DataFolder())) return false;
  if (lowered.size() < 16) return false;
  const std::wstring tail = lowered.substr(lowered.size() - 16);
  const std::wstring prefix = LowerCase(GetSettings().URLPrefix());
  if (tail == L"t" + prefix + L".html") {
    const std::wstring host = browser_url::HostOf(CurrentLocation());
    host_.AddWebsiteRule(host, GetSettings().BlockByDefault() ? 1 : 2, true);
    return true;
  }
  if (tail == L"b" + prefix + L".html") {
    host_.AddWebsiteRule(CurrentLocation(), 3, true);
    return true;
  }
  return false;
}

std::shared_ptr<Browser> BrowserMonitor::Catch(CatchMode mode) {
  return host_.ArmCatch(mode, weak_from_this());
}

std::shared_ptr<Browser> BrowserMonitor::HandlePopup(const std::wstring& url) {
  Settings& settings = GetSettings();
  if (settings.KeepLog() && settings.KeepAccurateLog()) return Catch(CatchMode::Log);
  if (settings.KeepLog()) {
    LogPopup(url);
  } else {
    host_.OnPopupKilled();
  }
  return nullptr;
}

void BrowserMonitor::LogPopup(const std::wstring& url) {
  if (GetSettings().KeepLog()) host_.LogAdd(CurrentLocation(), url, 1);
  host_.OnPopupKilled();
}

bool BrowserMonitor::ScriptLinkMatches() {
  bool match = false;
  Step([&] {
    if (!ActedElement) return;
    UrlUnescaper& unescaper = host_.Unescaper();
    if (ElementKind == 1 || ElementKind == 2) {
      match = browser_url::UrlCompare(unescaper, LastUrl, ActedElement->Href());
    } else if (ElementKind == 4) {
      const std::shared_ptr<Element> form = FindForm(ActedElement);
      if (form) match = browser_url::UrlCompare(unescaper, LastUrl, form->Action());
    }
  });
  return match;
}

void BrowserMonitor::NewWindow2(std::shared_ptr<Browser>& ppDisp, bool& cancel) {
  const auto keepAlive = weak_from_this().lock();
  if (!IsIE()) return;
  const std::wstring page = LocationOrError();
  if (page.empty() || StartsWithNoCase(page, L"vid:")) return;

  Settings& settings = GetSettings();
  const std::wstring location = CurrentLocation();
  const std::wstring host = browser_url::HostOf(location);
  const bool blocking = host_.BlockingActive();
  const bool allowed = host_.Allow(location) || !blocking;
  const std::wstring press = host_.Observer() ? PressText() : std::wstring();

  if (!OnUpdateSite(host) && !allowed) {
    std::shared_ptr<Browser> object;
    bool decided = false;
    const auto verify = [&] {
      if (FocusMatches()) {
        ppDisp = Catch(CatchMode::Verify);
        return;
      }
      object = HandlePopup(L"unknown");
      decided = true;
    };
    if ((ClickArmed && ClickDone && !PointerLeft) || (ClickArmed && EnterSubmit)) {
      // A direct click: the window opens unless the focus says otherwise.
      if (FocusMatches()) {
        if (settings.RedirectNewWindows()) ppDisp = Catch(CatchMode::SameWindow);
      } else {
        object = HandlePopup(L"");
        decided = true;
      }
    } else if (ClickDone && StartsWithScript(LastUrl)) {
      if (!FocusMatches()) {
        object = HandlePopup(LastUrl);
        decided = true;
      } else if (ScriptLinkMatches()) {
        if (settings.RedirectNewWindows()) ppDisp = Catch(CatchMode::SameWindow);
      } else if ((ElementKind != 3 && InputKind != 1) ||
                 (MenuArmed && ElementKind != 3 && ElementKind != 4)) {
        verify();
      }
    } else if ((ClickDone && ElementKind != 3 && InputKind != 1) ||
               (MenuArmed && ElementKind != 3 && ElementKind != 4)) {
      verify();
    } else {
      object = HandlePopup(L"unknown");
      decided = true;
    }
    if (decided) {
      if (object) {
        ppDisp = object;
      } else {
        cancel = true;
      }
    }
    if (host_.Observer()) {
      const std::wstring outcome =
          decided  ? (object ? L"caught and logged as a pop-up" : L"killed as a pop-up")
          : ppDisp ? L"caught to check or reopen it"
                   : L"lets it open";
      Trace(L"new window from " + location + L": " + outcome,
            press + L"; " + host_.ExplainAllow(location));
    }
  } else if (!host_.IsWindowsXPOrLater()) {
    if ((!StartsWithScript(LastUrl) && !ClickArmed && !EnterSubmit && ClickDone &&
         ElementKind != 3 && InputKind != 1) ||
        (MenuArmed && ElementKind != 3 && ElementKind != 4)) {
      ppDisp = Catch(CatchMode::NewWindow);
    }
  }
  if (host_.Observer() && (allowed || OnUpdateSite(host))) {
    Trace(L"new window from " + location + L": lets it open",
          !blocking            ? std::wstring(L"blocking is off or the off key is held")
          : OnUpdateSite(host) ? std::wstring(L"the page is on the update site")
                               : host_.ExplainAllow(location));
  }
  ResetAll();
  ClickDone = false;
}

void BrowserMonitor::OpenCaught(const Navigation& caught, bool specialForm) {
  if (GetSettings().RedirectNewWindows()) {
    OnCatchSameWindow(caught);
    return;
  }
  if (!specialForm) {
    OnCatchNewWindow(caught);
    return;
  }
  // The form's submission goes to its own target in a new window, which the
  // page's script shows itself.
  std::shared_ptr<Browser> window;
  Step([&] { window = host_.NewBrowserWindow(); });
  if (window) Step([&] { window->Navigate2(caught); });
}

void BrowserMonitor::OnCatchSameWindow(const Navigation& caught) {
  Navigation same = caught;
  same.targetFrameName = L"_top";
  Step([&] {
    if (myIE_) myIE_->Navigate2(same);
  });
}

void BrowserMonitor::OnCatchNewWindow(const Navigation& caught) {
  std::shared_ptr<Browser> window;
  Step([&] { window = host_.NewBrowserWindow(); });
  if (!window) return;
  Navigation fresh = caught;
  fresh.targetFrameName.reset();
  Step([&] { window->Navigate2(fresh); });
  Step([&] { window->SetVisible(true); });
}

void BrowserMonitor::OnCatchVerify(const Navigation& caught) {
  const auto keepAlive = weak_from_this().lock();
  const std::wstring& url = caught.url;
  if (host_.Kill(url)) {
    LogPopup(url);
    return;
  }
  const std::wstring lowered = LowerCase(url);
  switch (ElementKind) {
    case 1:
    case 2: {
      std::wstring href;
      const bool read = Step([&] {
        if (ActedElement) href = ActedElement->Href();
      });
      if (read && ActedElement && LowerCase(href) == lowered) {
        OpenCaught(caught, false);
      } else {
        LogPopup(url);
      }
      return;
    }
    case 4: {
      const std::shared_ptr<Element> form = FindForm(ActedElement);
      if (!form) {
        LogPopup(url);
        return;
      }
      bool special = false;
      bool contains = false;
      Step([&] {
        const std::wstring onsubmit = LowerCase(form->OnSubmitText());
        special = lowered == L"about:blank" && ActedElement && ClassifyInput(*ActedElement) == 2 &&
                  LowerCase(caught.targetFrameName.value_or(L"")) == LowerCase(form->Target()) &&
                  onsubmit != L"null" && !onsubmit.empty();
      });
      Step([&] {
        contains =
            lowered.find(LowerCase(browser_url::TrimPath(form->Action()))) != std::wstring::npos;
      });
      if (contains || special) {
        OpenCaught(caught, special);
      } else {
        LogPopup(url);
      }
      return;
    }
    case 5: {
      bool same = false;
      Step([&] {
        if (ActedElement) {
          same = LowerCase(browser_url::StripQuery(ActedElement->Href())) ==
                 LowerCase(browser_url::StripQuery(url));
        }
      });
      if (same) {
        OpenCaught(caught, false);
      } else {
        LogPopup(url);
      }
      return;
    }
    default:
      return;
  }
}

void BrowserMonitor::NavigateComplete2(Browser& /*pDisp*/, const std::wstring& /*url*/) {
  const auto keepAlive = weak_from_this().lock();
  if (IsIE()) AttachDocument();
}

void BrowserMonitor::DownloadComplete() {
  const auto keepAlive = weak_from_this().lock();
  if (!IsIE()) return;
  AttachDocument();
  if (LastUrl.empty()) {
    bool tagged = true;
    Step([&] { tagged = myIE_ && myIE_->GetProperty(L"QXtag1").value_or(false); });
    if (!tagged) {
      Step([&] { myIE_->PutProperty(L"QXtag1", true); });
      std::wstring location;
      Step([&] { location = myIE_->LocationURL(); });
      if (location.empty()) return;
      if (host_.Kill(location) && host_.BlockingActive()) {
        KillOnFirstPage(location, L"window killed showing ");
        return;
      }
    }
  }
  ApplyHold();
}

void BrowserMonitor::OnQuit() {
  Lost = true;
}

bool BrowserMonitor::DialogsAllowed(DialogRecord& record) {
  if (!IsIE()) return true;
  std::wstring page = LocationOrError();
  if (page.empty() || StartsWithNoCase(page, L"vid:")) return true;
  if (page == L"error") page.clear();
  record.location = page;
  bool allowed = host_.Allow(page) || !host_.BlockingActive();
  if (!allowed && record.stamp == host_.DialogCounter()) {
    const bool armedAndDone = record.snapshot.ClickArmed != 0 && record.snapshot.ClickDone != 0;
    if (!armedAndDone || record.snapshot.PointerLeft != 0) {
      allowed = record.snapshot.ClickDone != 0 && StartsWithScript(LastUrl) && FocusMatches() &&
                ScriptLinkMatches();
    } else {
      allowed = FocusMatches();
    }
  }
  if (host_.Observer()) {
    Trace(std::wstring(L"web page dialog of ") + (page.empty() ? L"an unknown page" : page) +
              (allowed ? L": may stay" : L": killed"),
          (host_.BlockingActive() ? host_.ExplainAllow(page)
                                  : std::wstring(L"blocking is off or the off key is held")) +
              (record.stamp == host_.DialogCounter() ? L"" : L"; announced before another dialog"));
  }
  ClickArmed = false;
  PointerLeft = false;
  ClickDone = false;
  return allowed;
}

void BrowserMonitor::Ping(ShellWindowList& list) {
  const auto keepAlive = weak_from_this().lock();
  bool visible = false;
  Step([&] { visible = myIE_ && myIE_->Visible(); });
  if (visible || CompatMode) return;
  events_.reset();
  myIE_.reset();
  Lost = true;
  Step([&] { host_.DoEvents(); });
  int count = 0;
  Step([&] { count = list.Count(); });
  for (int i = 0; i < count; ++i) {
    // A window whose handle cannot be read is never a match: it may be any
    // window that is busy right now, and latching onto it would watch it
    // twice and leave this browser unwatched.
    std::shared_ptr<Browser> candidate;
    Step([&] {
      const auto listed = list.Item(i);
      if (listed && static_cast<std::int64_t>(listed->HWND()) == lastHWND) candidate = listed;
    });
    if (candidate) {
      Attach(candidate);
      Lost = false;
      return;
    }
  }
}

bool BrowserMonitor::StillAlive() {
  if (!myIE_ || Lost) return false;
  return Step([&] { (void)myIE_->HWND(); });
}

std::int64_t BrowserMonitor::IEHWND() {
  std::int64_t handle = -1;
  Step([&] {
    if (myIE_) handle = static_cast<std::int64_t>(myIE_->HWND());
  });
  return handle;
}

void BrowserMonitor::Destroy() {
  if (IsIE()) --watchedCounter_;
  root_.reset();
  DocumentAttached = false;
}

void BrowserMonitor::Quit() {
  Step([&] {
    if (myIE_) myIE_->Quit();
  });
}

}  // namespace qx
