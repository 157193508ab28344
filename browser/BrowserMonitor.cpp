#include "browser/BrowserMonitor.h"

#include "base/Text.h"
#include "browser/ActionSinks.h"
#include "browser/FrameSink.h"
#include "browser/UrlCompare.h"
#include "platform/PlatformError.h"
#include "rules/Website.h"
#include "settings/Settings.h"

namespace qx {
namespace {

bool StartsWithScript(const std::wstring& url) {
  return StartsWithNoCase(url, L"javascript:");
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

std::wstring BrowserMonitor::PressText() {
  static constexpr const wchar_t* kKinds[] = {L"nothing",  L"a link",   L"an image-map area",
                                              L"a button", L"an input", L"a server-side image map"};
  const auto kind = static_cast<std::size_t>(ElementKind);
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
    host_.AddWebsiteRule(host, GetSettings().BlockByDefault() ? kAllowPopups : kDisallowPopups,
                         true);
    return true;
  }
  if (tail == L"b" + prefix + L".html") {
    host_.AddWebsiteRule(CurrentLocation(), kAlwaysKill, true);
    return true;
  }
  return false;
}

std::shared_ptr<Browser> BrowserMonitor::Catch(CatchMode mode) {
  return host_.ArmCatch(mode, weak_from_this());
}

bool BrowserMonitor::ScriptLinkMatches() {
  bool match = false;
  Step([&] {
    if (!ActedElement) return;
    UrlUnescaper& unescaper = host_.Unescaper();
    if (ElementKind == PressedKind::Link || ElementKind == PressedKind::Area) {
      match = browser_url::UrlCompare(unescaper, LastUrl, ActedElement->Href());
    } else if (ElementKind == PressedKind::Input) {
      const std::shared_ptr<Element> form = FindForm(ActedElement);
      if (form) match = browser_url::UrlCompare(unescaper, LastUrl, form->Action());
    }
  });
  return match;
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
