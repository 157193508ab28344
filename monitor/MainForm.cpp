// The main form's life: loading, bringing the monitor up, closing down; and
// what the browser watch asks of it.

#include "monitor/MainForm.h"

#include "platform/InstanceName.h"

#include "context/Process.h"
#include "monitor/MenuScripts.h"
#include "monitor/StartupModule.h"
#include "platform/PlatformError.h"

namespace qx {

MainForm::MainForm(Process& process, DialogHost& dialogs, float startTime)
    : process_(process),
      platform_(process.platform()),
      dialogs_(dialogs),
      keys_(platform_.keyboard),
      startTime_(startTime) {
  Step([&] { window_ = platform_.desktop.CreateOwnWindow(L"Quellix", kMainWindowClass); });
  Hwnd pictureWindow = 0;
  Step([&] { pictureWindow = platform_.desktop.CreateOwnWindow(L"", L"QuellixTrayPicture"); });
  trayPicture_ = PictureBox(pictureWindow);
  enabledImage_ = platform_.pictures.BuiltIn(BuiltInPicture::Enabled);
  disabledImage_ = platform_.pictures.BuiltIn(BuiltInPicture::Disabled);
  alertImage_ = platform_.pictures.BuiltIn(BuiltInPicture::Alert);
  trayPicture_.SetPicture(enabledImage_);

  pingTimer_ = platform_.ui.CreateTimer(kPingInterval, [this] { PingTimerTick(); });
  blinkTimer_ = platform_.ui.CreateTimer(kBlinkInterval, [this] { BlinkTimerTick(); });
  testTimer_ = platform_.ui.CreateTimer(1, [this] { TestTimerTick(); });
  pingTimer_->SetEnabled(true);

  catcher_ = std::make_unique<PageCatcher>(platform_.browsers);
  platform_.hookControl.SetEventSink(this);
  BrowserHolds& holds = *this;
  dialogs_.Attach(&process_, &holds);
}

MainForm::~MainForm() {
  dialogs_.Attach(nullptr, nullptr);
  platform_.hookControl.SetEventSink(nullptr);
  browserList_.reset();
  catcher_.reset();
  popMenu_.reset();
  trayIcon_.reset();
  if (process_.ownForms().Get(OwnForm::Main) == window_) process_.ownForms().Set(OwnForm::Main, 0);
  Step([&] { platform_.desktop.DestroyOwnWindow(trayPicture_.Window()); });
  Step([&] { platform_.desktop.DestroyOwnWindow(window_); });
}

void MainForm::Load() {
  process_.ownForms().Set(OwnForm::Main, window_);
  blockingEnabled_ = true;
  LoadTrayPictures();
  SysTrayIconEvents& trayEvents = *this;
  trayIcon_ = std::make_unique<SysTrayIcon>(platform_.tray, trayEvents);
  ActivateMenuScripts(platform_.files);
  InitializeMonitor();
  UpdateTipText();
  trayIcon_->SetPicBox(&trayPicture_);
  trayIcon_->ShowIcon();
  InitializeMenu();
}

void MainForm::CreateMissingLogFiles() {
  for (const wchar_t* name : {L"log.htm", L"log.dat", L"errorlog.txt"}) {
    const std::wstring path = JoinPath(platform_.files.DataFolder(), name);
    if (!FileHasData(platform_.files, path)) Step([&] { platform_.files.WriteAll(path, ""); });
  }
}

void MainForm::InitializeMonitor() {
  Settings& settings = process_.settings();
  WriteMenuScripts(platform_.files, platform_.ansi, settings.URLPrefix());
  RegisterMenuEntries(platform_.registry, platform_.files.DataFolder());
  CreateMissingLogFiles();
  Step([&] { settings.ImplementDisableIPC(platform_.hookControl, process_.windows().Count()); });
  Browsers().Refresh();
  process_.windows().Init();
  process_.websites().Init();
  UpdateTipText();
  if (settings.AutoClose() && settings.StartMode() == 2) {
    pingTimer_->SetEnabled(false);
    pingTimer_->SetInterval(kAutoClosePingInterval);
    pingTimer_->SetEnabled(true);
  }
}

void MainForm::CloseProgram() {
  closingDown_ = true;
  Step([&] { dialogs_.UnloadAll(); });
  Step([&] { platform_.hookControl.Uninitialize(); });
  UnloadForm();
}

void MainForm::QueryUnloadFromOutside() {
  // An unload the program did not start itself closes the program first.
  if (!unloaded_) CloseProgram();
}

void MainForm::UnloadForm() {
  if (unloaded_) return;
  unloaded_ = true;
  UnloadHandler();
}

void MainForm::UnloadHandler() {
  DeactivateMenuScripts(platform_.files);
  if (trayIcon_) trayIcon_->RemoveIcon();
  process_.ownForms().Set(OwnForm::Main, 0);
  pingTimer_->SetEnabled(false);
  blinkTimer_->SetEnabled(false);
  testTimer_->SetEnabled(false);
}

BrowserList& MainForm::Browsers() {
  if (!browserList_) browserList_ = std::make_unique<BrowserList>(*this, platform_.shellWindows);
  return *browserList_;
}

Settings& MainForm::GetSettings() {
  return process_.settings();
}

bool MainForm::Allow(const std::wstring& url) {
  return process_.websites().Allow(url);
}

bool MainForm::Kill(const std::wstring& url) {
  return process_.websites().Kill(url);
}

void MainForm::AddWebsiteRule(const std::wstring& site, int ruleType, bool stripWww) {
  process_.websites().Add(site, ruleType, stripWww);
}

std::wstring MainForm::KillRuleText(const std::wstring& url) {
  return process_.websites().KillRuleText(url);
}

bool MainForm::IsWindowsXPOrLater() {
  return process_.windowInfo().IsWindowsXPOrLater();
}

std::wstring MainForm::DataFolder() {
  return platform_.files.DataFolder();
}

void MainForm::DoEvents() {
  Step([&] { platform_.ui.DoEvents(); });
}

std::shared_ptr<Browser> MainForm::NewBrowserWindow() {
  return platform_.browsers.NewBrowserWindow();
}

UrlUnescaper& MainForm::Unescaper() {
  return platform_.unescaper;
}

WorkArea& MainForm::GetWorkArea() {
  return platform_.workArea;
}

std::wstring MainForm::ExplainAllow(const std::wstring& url) {
  return process_.websites().ExplainAllow(url);
}

std::wstring MainForm::ExplainKill(const std::wstring& url) {
  return process_.websites().ExplainKill(url);
}

double MainForm::SecondsSinceStart() {
  double now = startTime_;
  Step([&] { now = SecondsSinceMidnight(platform_.clock.Now()); });
  double elapsed = now - static_cast<double>(startTime_);
  // The time of day starts again at midnight; a run that crossed it has not
  // gone back in time.
  if (elapsed < 0) elapsed += 24.0 * 3600.0;
  return elapsed;
}

}  // namespace qx
