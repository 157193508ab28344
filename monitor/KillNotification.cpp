// Counting each kill, the light bulb and the sound; the monitor's timers;
// the catch the browser watch arms.

#include "context/Process.h"
#include "monitor/MainForm.h"
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
  return catcher_->Arm(mode, std::move(requester));
}

}  // namespace qx
