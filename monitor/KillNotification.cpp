// Counting each kill, the light bulb and the sound; the page catcher; the
// monitor's timers.

#include "monitor/MainForm.h"
#include "monitor/Process.h"
#include "monitor/StartupModule.h"
#include "platform/PlatformError.h"

namespace qx {

void MainForm::OnPopupKilled() {
  Step([&] { process_.popupLog().IncrememntPopupCount(); });
  Settings& settings = process_.settings();
  if (settings.BlinkLightBulb()) {
    trayPicture_.SetPicture(alertImage_);
    // Each kill shows the light bulb for its full three seconds.
    blinkTimer_->SetEnabled(false);
    blinkTimer_->SetEnabled(true);
  }
  if (settings.PlayASound()) {
    Step([&] { platform_.sound.Play(L"", 1); });
    Step([&] { platform_.sound.Play(settings.SoundFileName(), 3); });
  }
}

void MainForm::BlinkTimerTick() {
  blinkTimer_->SetEnabled(false);
  trayPicture_.SetPicture(enabledImage_);
}

void MainForm::PingTimerTick() {
  if (!process_.settings().PingDisabled() && browserList_) browserList_->Ping();
}

void MainForm::TestTimerTick() {
  testTimer_->SetEnabled(false);
  OpenDocument(platform_.shell, kTestPageUrl);
}

std::shared_ptr<Browser> MainForm::ArmCatch(CatchMode mode,
                                            std::weak_ptr<BrowserMonitor> requester) {
  Step([&] {
    if (pageSink_) pageSink_->Stop();
  });
  catchMode_ = mode;
  catchRequester_ = std::move(requester);
  return pageSink_;
}

void MainForm::PageSinkNavigation(Navigation& navigation, bool& cancel) {
  cancel = true;
  const CatchMode mode = catchMode_;
  catchMode_ = CatchMode::None;
  const std::shared_ptr<BrowserMonitor> requester = catchRequester_.lock();
  catchRequester_.reset();
  if (!requester) return;
  Step([&] {
    switch (mode) {
      case CatchMode::Log:
        requester->LogPopup(navigation.url);
        break;
      case CatchMode::Verify:
        requester->OnCatchVerify(navigation);
        break;
      case CatchMode::SameWindow:
        requester->OnCatchSameWindow(navigation);
        break;
      case CatchMode::NewWindow:
        requester->OnCatchNewWindow(navigation);
        break;
      case CatchMode::None:
        break;
    }
  });
}

}  // namespace qx
