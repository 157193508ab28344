#include "sim/SimBrowser.h"

#include <algorithm>
#include <utility>

#include "sim/SimBrowsers.h"
#include "sim/SimUrl.h"
#include "sim/SimWindowManager.h"

namespace qx::sim {

SimBrowser::SimBrowser(std::shared_ptr<SimBrowserContext> context, BrowserKind kind,
                       ProcessId process, std::wstring exe)
    : context_(std::move(context)), kind_(kind), process_(process), exe_(std::move(exe)) {}

void SimBrowser::Check(std::string_view call) {
  if (!context_->Alive() || !open_) ThrowDisconnected(call);
  if (failing_) throw PlatformError(kErrAutomation, L"Automation error", FromUtf8(call));
  context_->CheckCallOut(call, process_);
  context_->failures->Check(call);
}

// --- Browser --------------------------------------------------------------------

Hwnd SimBrowser::HWND() {
  Check("Browser.HWND");
  // Only the application window has a frame window; a frame and a hosted
  // control fail the call.
  if (kind_ != BrowserKind::Window) {
    throw PlatformError(kErrAutomation, L"Unspecified error", L"Browser.HWND");
  }
  return window_;
}

std::wstring SimBrowser::FullName() {
  Check("Browser.FullName");
  return exe_;
}

bool SimBrowser::TopLevelContainer() {
  Check("Browser.TopLevelContainer");
  return kind_ != BrowserKind::Frame;
}

bool SimBrowser::Visible() {
  Check("Browser.Visible");
  return IsVisible();
}

void SimBrowser::SetVisible(bool on) {
  Check("Browser.SetVisible");
  SetVisibleState(on);
}

std::wstring SimBrowser::LocationURL() {
  Check("Browser.LocationURL");
  return location_;
}

std::shared_ptr<Document> SimBrowser::GetDocument() {
  Check("Browser.GetDocument");
  return document_;
}

std::optional<bool> SimBrowser::GetProperty(const std::wstring& name) {
  Check("Browser.GetProperty");
  const auto it = properties_.find(name);
  if (it == properties_.end()) return std::nullopt;
  return it->second;
}

void SimBrowser::PutProperty(const std::wstring& name, bool value) {
  Check("Browser.PutProperty");
  properties_[name] = value;
}

void SimBrowser::Navigate2(const Navigation& navigation) {
  Check("Browser.Navigate2");
  NavigationRequest request{navigation.url, navigation.flags,
                            navigation.targetFrameName.value_or(std::wstring()),
                            navigation.postData, navigation.headers};
  context_->world->NavigateTarget(*this, std::move(request));
}

void SimBrowser::Quit() {
  Check("Browser.Quit");
  // A frame or a hosted control cannot close a window.
  if (kind_ == BrowserKind::Window) Close();
}

void SimBrowser::Stop() {
  Check("Browser.Stop");
  // A navigation whose BeforeNavigate2 is under way does not go ahead.
  ++navigations_;
}

bool SimBrowser::FullScreen() {
  Check("Browser.FullScreen");
  return ChromeOn(ChromePart::FullScreen);
}

void SimBrowser::SetFullScreen(bool on) {
  Check("Browser.SetFullScreen");
  SetChrome(ChromePart::FullScreen, on);
}

bool SimBrowser::MenuBar() {
  Check("Browser.MenuBar");
  return ChromeOn(ChromePart::MenuBar);
}

void SimBrowser::SetMenuBar(bool on) {
  Check("Browser.SetMenuBar");
  SetChrome(ChromePart::MenuBar, on);
}

int SimBrowser::ToolBar() {
  Check("Browser.ToolBar");
  return ChromeOwner().toolBar_;
}

void SimBrowser::SetToolBar(int value) {
  Check("Browser.SetToolBar");
  SimBrowser& owner = ChromeOwner();
  owner.toolBar_ = value;
  owner.RaiseChrome(ChromePart::ToolBar, value != 0);
}

bool SimBrowser::StatusBar() {
  Check("Browser.StatusBar");
  return ChromeOn(ChromePart::StatusBar);
}

void SimBrowser::SetStatusBar(bool on) {
  Check("Browser.SetStatusBar");
  SetChrome(ChromePart::StatusBar, on);
}

bool SimBrowser::TheaterMode() {
  Check("Browser.TheaterMode");
  return ChromeOn(ChromePart::TheaterMode);
}

void SimBrowser::SetTheaterMode(bool on) {
  Check("Browser.SetTheaterMode");
  SetChrome(ChromePart::TheaterMode, on);
}

bool SimBrowser::Resizable() {
  Check("Browser.Resizable");
  return ChromeOn(ChromePart::Resizable);
}

void SimBrowser::SetResizable(bool on) {
  Check("Browser.SetResizable");
  SetChrome(ChromePart::Resizable, on);
}

bool SimBrowser::Silent() {
  Check("Browser.Silent");
  return silent_;
}

void SimBrowser::SetSilent(bool on) {
  Check("Browser.SetSilent");
  // Each frame keeps its own: script errors are a page's matter.
  silent_ = on;
}

bool SimBrowser::AddressBar() {
  Check("Browser.AddressBar");
  return ChromeOn(ChromePart::AddressBar);
}

void SimBrowser::SetAddressBar(bool on) {
  Check("Browser.SetAddressBar");
  SetChrome(ChromePart::AddressBar, on);
}

int SimBrowser::Left() {
  Check("Browser.Left");
  return ChromeOwner().place_.left;
}

void SimBrowser::SetLeft(int value) {
  Check("Browser.SetLeft");
  ChromeOwner().place_.left = value;
}

int SimBrowser::Top() {
  Check("Browser.Top");
  return ChromeOwner().place_.top;
}

void SimBrowser::SetTop(int value) {
  Check("Browser.SetTop");
  ChromeOwner().place_.top = value;
}

int SimBrowser::Width() {
  Check("Browser.Width");
  return ChromeOwner().place_.width;
}

void SimBrowser::SetWidth(int value) {
  Check("Browser.SetWidth");
  ChromeOwner().place_.width = value;
}

int SimBrowser::Height() {
  Check("Browser.Height");
  return ChromeOwner().place_.height;
}

void SimBrowser::SetHeight(int value) {
  Check("Browser.SetHeight");
  ChromeOwner().place_.height = value;
}

std::unique_ptr<Connection> SimBrowser::Connect(BrowserEvents& sink) {
  Check("Browser.Connect");
  return sinks_.Add(sink);
}

// --- The world's side -------------------------------------------------------------

std::shared_ptr<SimBrowser> SimBrowser::ParentBrowser() const {
  const auto holder = frameElement_.lock();
  if (!holder) return nullptr;
  const auto document = holder->OwnerDocument();
  return document ? document->Container() : nullptr;
}

std::shared_ptr<SimBrowser> SimBrowser::TopBrowser() {
  std::shared_ptr<SimBrowser> current = shared_from_this();
  while (current->kind_ == BrowserKind::Frame) {
    auto parent = current->ParentBrowser();
    if (!parent) break;
    current = std::move(parent);
  }
  return current;
}

SimBrowser& SimBrowser::ChromeOwner() {
  return kind_ == BrowserKind::Frame ? *TopBrowser() : *this;
}

const SimBrowser& SimBrowser::ChromeOwner() const {
  const SimBrowser* current = this;
  while (current->kind_ == BrowserKind::Frame) {
    const auto parent = current->ParentBrowser();
    if (!parent) break;
    // The page that holds a frame holds its browser as well.
    current = parent.get();
  }
  return *current;
}

SinkList<BrowserEvents>& SimBrowser::EventSinks() {
  return kind_ == BrowserKind::Frame ? TopBrowser()->sinks_ : sinks_;
}

bool SimBrowser::IsVisible() const {
  return ChromeOwner().visible_;
}

void SimBrowser::SetVisibleState(bool on) {
  SimBrowser& owner = ChromeOwner();
  const bool shown = on && !owner.visible_;
  owner.visible_ = on;
  if (shown && owner.window_ != 0 && context_->Alive()) context_->windows->Activate(owner.window_);
}

bool SimBrowser::ChromeOn(ChromePart part) const {
  const SimBrowser& owner = ChromeOwner();
  switch (part) {
    case ChromePart::ToolBar:
      return owner.toolBar_ != 0;
    case ChromePart::MenuBar:
      return owner.menuBar_;
    case ChromePart::StatusBar:
      return owner.statusBar_;
    case ChromePart::FullScreen:
      return owner.fullScreen_;
    case ChromePart::TheaterMode:
      return owner.theaterMode_;
    case ChromePart::Resizable:
      return owner.resizable_;
    case ChromePart::AddressBar:
      return owner.addressBar_;
  }
  return false;
}

Placement SimBrowser::Place() const {
  return ChromeOwner().place_;
}

void SimBrowser::SetPlace(const Placement& place) {
  ChromeOwner().place_ = place;
}

void SimBrowser::SetChrome(ChromePart part, bool on) {
  SimBrowser& owner = ChromeOwner();
  switch (part) {
    case ChromePart::ToolBar:
      owner.toolBar_ = on ? 1 : 0;
      break;
    case ChromePart::MenuBar:
      owner.menuBar_ = on;
      break;
    case ChromePart::StatusBar:
      owner.statusBar_ = on;
      break;
    case ChromePart::FullScreen:
      owner.fullScreen_ = on;
      break;
    case ChromePart::TheaterMode:
      owner.theaterMode_ = on;
      break;
    case ChromePart::Resizable:
      owner.resizable_ = on;
      break;
    case ChromePart::AddressBar:
      owner.addressBar_ = on;
      break;
  }
  owner.RaiseChrome(part, on);
}

void SimBrowser::RaiseChrome(ChromePart part, bool on) {
  const auto self = shared_from_this();
  // Every write raises the event, changed or not, as the real browser does.
  sinks_.ForEach([part, on](BrowserEvents& sink) {
    switch (part) {
      case ChromePart::ToolBar:
        sink.OnToolBar(on);
        break;
      case ChromePart::MenuBar:
        sink.OnMenuBar(on);
        break;
      case ChromePart::StatusBar:
        sink.OnStatusBar(on);
        break;
      case ChromePart::FullScreen:
        sink.OnFullScreen(on);
        break;
      case ChromePart::TheaterMode:
        sink.OnTheaterMode(on);
        break;
      case ChromePart::Resizable:
      case ChromePart::AddressBar:
        break;  // no event of the program's
    }
  });
}

std::wstring SimBrowser::Caption() const {
  const std::wstring shown =
      document_ && !document_->Title().empty() ? document_->Title() : location_;
  if (shown.empty()) return std::wstring(kCaptionSuffix.substr(3));
  return shown + std::wstring(kCaptionSuffix);
}

void SimBrowser::UpdateCaption() {
  if (window_ == 0 || !open_ || !context_->Alive()) return;
  context_->windows->SetText(window_, Caption());
}

std::shared_ptr<SimBrowser> SimBrowser::FindFrame(std::wstring_view name) {
  if (!document_ || name.empty()) return nullptr;
  for (const auto& frame : document_->Frames()) {
    if (!frame->IsOpen()) continue;
    if (frame->Name() == name) return frame;
    if (auto inner = frame->FindFrame(name)) return inner;
  }
  return nullptr;
}

bool SimBrowser::StartNavigation(const NavigationRequest& request) {
  if (!open_ || !context_->Alive()) return false;
  const auto self = shared_from_this();
  const auto top = TopBrowser();
  const std::uint64_t serial = ++navigations_;
  Navigation navigation{ReportedAddress(request.url), request.flags, request.targetName,
                        request.postData, request.headers};
  bool cancel = false;
  EventSinks().ForEach(
      [&](BrowserEvents& sink) { sink.BeforeNavigate2(*this, navigation, cancel); });
  if (announce_ && open_) std::exchange(announce_, nullptr)();
  if (cancel || !open_ || serial != navigations_ || !context_->Alive()) return false;
  lastNavigated_ = request.url;
  if (IsJavascriptUrl(request.url)) {
    // A script address runs in the page; the page stays.
    context_->world->RunJavascriptUrl(*this, request.url);
    return true;
  }
  UnloadPage();
  if (!open_ || serial != navigations_) return true;
  DiscardPages();
  if (document_) history_.push_back(document_);
  document_ = SimDocument::Create(context_, weak_from_this(), request.url);
  location_ = request.url;
  EventSinks().ForEach([&](BrowserEvents& sink) {
    if (open_) sink.NavigateComplete2(*this, request.url);
  });
  if (!open_ || serial != navigations_) return true;
  if (kind_ == BrowserKind::Window) UpdateCaption();
  EventSinks().ForEach([this](BrowserEvents& sink) {
    if (open_) sink.DownloadComplete();
  });
  return true;
}

namespace {

// Held by nobody but the record that owns it (use_count 1), nor any part of it.
bool HeldElsewhere(const std::shared_ptr<SimDocument>& page) {
  return page.use_count() > 1 || page->PartsHeldElsewhere();
}

}  // namespace

void SimBrowser::ForgetUnheldPages() {
  std::erase_if(history_, [](const auto& page) { return !HeldElsewhere(page); });
  if (!document_) return;
  for (const auto& frame : document_->Frames())
    frame->ForgetUnheldPages();
}

bool SimBrowser::PagesHeldElsewhere() const {
  if (document_ && HeldElsewhere(document_)) return true;
  return std::any_of(history_.begin(), history_.end(), HeldElsewhere);
}

void SimBrowser::UnloadPage() {
  if (!document_) return;
  const auto page = document_;
  page->FireUnload(true);
  if (open_ && document_ == page) page->FireUnload(false);
}

void SimBrowser::DiscardPages() {
  if (!document_) return;
  for (const auto& frame : document_->Frames())
    frame->Discard();
}

void SimBrowser::DisconnectPages() {
  if (document_) document_->Disconnect();
  for (const auto& page : history_)
    page->Disconnect();
}

void SimBrowser::Discard() {
  if (!open_) return;
  open_ = false;
  DiscardPages();
  DisconnectPages();
}

void SimBrowser::Close() {
  if (!open_ || closing_ || kind_ != BrowserKind::Window) return;
  closing_ = true;
  const auto self = shared_from_this();
  UnloadPage();
  sinks_.ForEach([](BrowserEvents& sink) { sink.OnQuit(); });
  open_ = false;
  DiscardPages();
  DisconnectPages();
  if (!context_->Alive()) return;
  if (window_ != 0) {
    context_->windows->SetCloseHandler(window_, {});
    context_->windows->DestroyWindow(window_);
  }
  context_->world->WindowClosed(*this);
}

void SimBrowser::Vanish() {
  if (!open_) return;
  const auto self = shared_from_this();
  open_ = false;
  DiscardPages();
  DisconnectPages();
  if (context_->Alive()) context_->world->WindowClosed(*this);
}

}  // namespace qx::sim
