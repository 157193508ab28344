#include "sim/SimBrowsers.h"

#include "base/Text.h"
#include "sim/SimPageScript.h"
#include "sim/SimUrl.h"

namespace qx::sim {

SimBrowsers::SimBrowsers(FailureInjector& failures, SimWindowManager& windows)
    : context_(std::make_shared<SimBrowserContext>(SimBrowserContext{&failures, &windows, this})),
      windows_(windows),
      shell_(failures) {
  windowEvents_ = windows_.Listen(*this);
}

SimBrowsers::~SimBrowsers() {
  windowEvents_.reset();
  // Objects the program still holds now answer as disconnected ones.
  context_->world = nullptr;
  context_->windows = nullptr;
  context_->failures = nullptr;
  shell_.Clear();
}

// --- BrowserFactory -------------------------------------------------------------

std::shared_ptr<Browser> SimBrowsers::NewBrowserWindow() {
  context_->failures->Check("BrowserFactory.NewBrowserWindow");
  // As creating the browser application object does: a new process of the
  // browser, its window hidden until the program shows it.
  const std::wstring exe(kDefaultBrowserExe);
  return MakeWindow(windows_.StartProcess(exe), exe, false, L"");
}

std::shared_ptr<Browser> SimBrowsers::CreateHiddenBrowserControl() {
  context_->failures->Check("BrowserFactory.CreateHiddenBrowserControl");
  const ProcessId host = windows_.CurrentProcess();
  const SimProcess* process = windows_.FindProcess(host);
  auto control = std::make_shared<SimBrowser>(context_, BrowserKind::Control, host,
                                              process ? process->programFile : std::wstring());
  controls_.push_back(control);
  return control;
}

// --- Browsers and pages -----------------------------------------------------------

std::shared_ptr<SimBrowser> SimBrowsers::MakeWindow(ProcessId process, std::wstring exe,
                                                    bool visible, std::wstring name,
                                                    bool announce) {
  auto browser = std::make_shared<SimBrowser>(context_, BrowserKind::Window, process, exe);
  browser->SetName(std::move(name));
  const Hwnd window = windows_.CreateWindow(process, browser->Caption(), L"IEFrame");
  browser->SetWindow(window);
  windows_.SetCloseHandler(window, [weak = std::weak_ptr<SimBrowser>(browser)] {
    if (const auto b = weak.lock()) b->Close();
  });
  opened_.push_back(browser);
  ++made_;
  browser->SetVisibleState(visible);
  if (announce) shell_.Register(browser);
  return browser;
}

std::shared_ptr<SimBrowser> SimBrowsers::OpenBrowser(std::wstring_view url, std::wstring_view exe) {
  const std::wstring program(exe);
  auto browser = MakeWindow(windows_.StartProcess(program), program, true, L"");
  if (!url.empty()) browser->StartNavigation(RequestFor(std::wstring(url)));
  return browser;
}

std::shared_ptr<SimBrowser> SimBrowsers::OpenBrowserAnnouncedLate(std::wstring_view url,
                                                                  std::wstring_view exe) {
  const std::wstring program(exe);
  auto browser = MakeWindow(windows_.StartProcess(program), program, true, L"", false);
  browser->AnnounceOnNavigation([this, weak = std::weak_ptr<SimBrowser>(browser)] {
    if (const auto b = weak.lock(); b && b->IsOpen()) shell_.Register(b);
  });
  browser->StartNavigation(RequestFor(std::wstring(url)));
  return browser;
}

void SimBrowsers::Go(SimBrowser& browser, std::wstring_view url) {
  if (!browser.IsOpen()) throw SimUsageError("the browser is closed");
  browser.StartNavigation(RequestFor(std::wstring(url)));
}

std::shared_ptr<SimDocument> SimBrowsers::PageOf(SimBrowser& page) const {
  if (!page.IsOpen()) throw SimUsageError("the browser is closed");
  auto document = page.CurrentDocument();
  if (!document) throw SimUsageError("the browser shows no page");
  return document;
}

std::shared_ptr<SimDocument> SimBrowsers::ShownDocumentOf(SimElement& element) const {
  auto document = element.OwnerDocument();
  if (!document || !document->Shown()) {
    throw SimUsageError("the element is not on a page that is shown");
  }
  return document;
}

std::shared_ptr<SimElement> SimBrowsers::AddElement(SimBrowser& page, std::wstring_view tag,
                                                    const Attributes& attributes,
                                                    const std::shared_ptr<SimElement>& parent) {
  const auto document = PageOf(page);
  if (parent && parent->OwnerDocument() != document) {
    throw SimUsageError("the parent element is not on this page");
  }
  for (const auto& [name, value] : attributes) {
    const std::wstring lower = LowerCase(name);
    if (lower == L"onclick" || lower == L"onsubmit") ParsePageScript(value);
  }
  auto element = document->Add(tag, parent);
  for (const auto& [name, value] : attributes)
    element->SetAttribute(name, value);
  return element;
}

std::shared_ptr<SimBrowser> SimBrowsers::AddFrame(SimBrowser& page, std::wstring_view url,
                                                  std::wstring_view name) {
  const auto document = PageOf(page);
  const auto holder = document->Add(L"iframe");
  holder->SetAttribute(L"src", std::wstring(url));
  if (!name.empty()) holder->SetAttribute(L"name", std::wstring(name));
  const auto top = page.TopBrowser();
  auto frame =
      std::make_shared<SimBrowser>(context_, BrowserKind::Frame, top->Process(), top->Exe());
  frame->SetFrameElement(holder);
  frame->SetName(std::wstring(name));
  holder->SetFrameContent(frame);
  frame->StartNavigation(RequestFor(ResolveUrl(document->Url(), url)));
  return frame;
}

void SimBrowsers::SetTitle(SimBrowser& page, std::wstring title) {
  PageOf(page)->SetTitle(std::move(title));
  if (page.Kind() == BrowserKind::Window) page.UpdateCaption();
}

std::shared_ptr<SimBrowser> SimBrowsers::ScriptOpen(SimBrowser& page, std::wstring_view url,
                                                    std::wstring_view name) {
  const auto document = PageOf(page);
  NavigationRequest request = RequestFor(ResolveUrl(document->Url(), url));
  if (name.empty() || name == L"_blank") return OpenNewWindow(page, std::move(request), L"");
  // A name that a window or frame already has reuses it.
  request.targetName = std::wstring(name);
  return NavigateTarget(page, std::move(request));
}

Hwnd SimBrowsers::ScriptDialog(SimBrowser& page, std::wstring_view caption, bool show) {
  PageOf(page);
  return OpenDialog(page, caption, show);
}

void SimBrowsers::ScriptGo(SimBrowser& page, std::wstring_view url) {
  const auto document = PageOf(page);
  page.TopBrowser()->StartNavigation(RequestFor(ResolveUrl(document->Url(), url)));
}

void SimBrowsers::SetChrome(SimBrowser& browser, ChromePart part, bool on) {
  if (!browser.IsOpen()) throw SimUsageError("the browser is closed");
  browser.SetChrome(part, on);
}

void SimBrowsers::Place(SimBrowser& browser, int left, int top, int width, int height) {
  if (!browser.IsOpen()) throw SimUsageError("the browser is closed");
  browser.SetPlace(Placement{left, top, width, height});
}

void SimBrowsers::Quit(SimBrowser& browser) {
  if (!browser.IsOpen()) throw SimUsageError("the browser is closed");
  browser.TopBrowser()->Close();
}

std::shared_ptr<SimBrowser> SimBrowsers::ByWindow(Hwnd window) const {
  for (const auto& browser : opened_) {
    if (browser->Window() == window) return browser;
  }
  return nullptr;
}

void SimBrowsers::ForgetClosed() {
  std::erase_if(opened_, [](const auto& browser) { return !browser->IsOpen(); });
  for (const auto& browser : opened_)
    browser->ForgetUnheldPages();
  std::erase_if(dialogs_, [this](Hwnd dialog) { return !windows_.IsOpen(dialog); });
}

// --- Used by the browsers and pages ------------------------------------------------

std::shared_ptr<SimBrowser> SimBrowsers::OpenNewWindow(SimBrowser& opener,
                                                       NavigationRequest request,
                                                       std::wstring_view name) {
  const auto top = opener.TopBrowser();
  if (!top->IsOpen()) return nullptr;
  std::shared_ptr<Browser> replacement;
  bool cancel = false;
  top->EventSinks().ForEach([&](BrowserEvents& sink) { sink.NewWindow2(replacement, cancel); });
  if (cancel || !context_->Alive()) return nullptr;
  // The new window's first navigation names the window it is meant for.
  request.targetName = std::wstring(name);
  if (replacement) {
    // The object handed back takes the new window's place: the first
    // navigation is its own. Something that is no browser of this desktop
    // cannot take it, and nothing opens.
    const auto other = std::dynamic_pointer_cast<SimBrowser>(replacement);
    if (other && other->IsOpen()) other->StartNavigation(request);
    return nullptr;
  }
  auto window = MakeWindow(top->Process(), top->Exe(), true, std::wstring(name));
  window->StartNavigation(request);
  return window;
}

std::shared_ptr<SimBrowser> SimBrowsers::NavigateTarget(SimBrowser& source,
                                                        NavigationRequest request) {
  const std::wstring target = LowerCase(request.targetName);
  if (target.empty() || target == L"_self") {
    source.StartNavigation(request);
    return nullptr;
  }
  if (target == L"_top") {
    source.TopBrowser()->StartNavigation(request);
    return nullptr;
  }
  if (target == L"_parent") {
    const auto parent = source.ParentBrowser();
    (parent ? *parent : source).StartNavigation(request);
    return nullptr;
  }
  if (target == L"_blank") return OpenNewWindow(source, std::move(request), L"");
  // A frame of the source's own window first, then any window or its frames.
  const std::wstring name = request.targetName;
  if (const auto frame = source.TopBrowser()->FindFrame(name)) {
    frame->StartNavigation(request);
    return nullptr;
  }
  for (const auto& window : shell_.Browsers()) {
    if (!window->IsOpen()) continue;
    if (window->Name() == name) {
      window->StartNavigation(request);
      return nullptr;
    }
    if (const auto frame = window->FindFrame(name)) {
      frame->StartNavigation(request);
      return nullptr;
    }
  }
  return OpenNewWindow(source, std::move(request), name);
}

bool SimBrowsers::RunPageScript(SimDocument& document, const std::wstring& text) {
  const auto page = document.shared_from_this();
  const auto browser = document.Container();
  bool result = true;
  if (!browser) return result;
  for (const PageStatement& statement : ParsePageScript(text)) {
    if (!document.Shown()) break;
    switch (statement.kind) {
      case PageStatement::Kind::Open:
        OpenNewWindow(*browser, RequestFor(ResolveUrl(document.Url(), statement.argument)), L"");
        break;
      case PageStatement::Kind::Go:
        // A location change: like window.location, it takes effect at once.
        browser->StartNavigation(RequestFor(ResolveUrl(document.Url(), statement.argument)));
        break;
      case PageStatement::Kind::Dialog:
        OpenDialog(*browser, statement.argument);
        break;
      case PageStatement::Kind::Cancel:
        result = false;
        break;
    }
  }
  return result;
}

void SimBrowsers::RunJavascriptUrl(SimBrowser& browser, std::wstring_view url) {
  const auto self = browser.shared_from_this();
  for (const std::wstring& address : ScriptOpens(url)) {
    if (!browser.IsOpen()) break;
    const std::wstring base =
        browser.CurrentDocument() ? browser.CurrentDocument()->Url() : browser.Location();
    OpenNewWindow(browser, RequestFor(ResolveUrl(base, address)), L"");
  }
}

Hwnd SimBrowsers::OpenDialog(SimBrowser& browser, std::wstring_view caption, bool show) {
  const auto top = browser.TopBrowser();
  if (!top->IsOpen() || top->Window() == 0) return 0;
  // Created with its caption and owned by the browser window, in the
  // browser's process; then it comes to the front.
  const Hwnd dialog =
      windows_.CreateWindow(top->Process(), std::wstring(caption) + std::wstring(kWebDialogSuffix),
                            std::wstring(kWebDialogClass), 0, 0, top->Window());
  dialogs_.push_back(dialog);
  if (show) windows_.Activate(dialog);
  return dialog;
}

void SimBrowsers::WindowClosed(SimBrowser& browser) {
  shell_.Revoke(browser);
}

void SimBrowsers::WindowDestroyed(const SimWindow& window) {
  // A browser window that went without closing itself (its process ended).
  if (const auto browser = ByWindow(window.handle); browser && browser->IsOpen()) {
    browser->Vanish();
  }
}

}  // namespace qx::sim
