#include "ui/ErrorForm.h"

#include "platform/PlatformError.h"

namespace qx {

ErrorForm::ErrorForm(Platform& platform, OwnFormWindows& forms, std::wstring logFile)
    : platform_(platform), forms_(forms), logFile_(std::move(logFile)) {
  caption_ = std::wstring(kErrorDialogCaption);
  Add({.kind = ControlKind::Label,
       .name = L"TitleLabel",
       .caption = std::wstring(kErrorDialogTitle)});
  info_ = &Add({.kind = ControlKind::Label, .name = L"InfoLabel"});
  noShowError_ = &Add({.kind = ControlKind::CheckBox,
                       .name = L"noShowError",
                       .caption = std::wstring(kNoShowErrorCaption)});
  Add({.kind = ControlKind::Button, .caption = L"OK"}).onClick = [this] { Hide(); };
  Add({.kind = ControlKind::Button, .caption = L"&Quit"}).onClick = [this] { Quit(); };
  viewLog_ = &Add({.kind = ControlKind::Button, .caption = L"&View Error Log", .visible = false});
  viewLog_->onClick = [this] { Step([&] { platform_.shell.Open(logFile_); }); };
  Add({.kind = ControlKind::Button, .caption = L"Ask Technical Support..."}).onClick = [this] {
    Step([&] { platform_.shell.Open(kSupportMailLink); });
  };
}

ErrorForm::~ErrorForm() {
  Unload();
}

bool ErrorForm::Load() {
  if (loaded_) return true;
  Hwnd window = 0;
  if (!Step([&] { window = platform_.errorDialog.Load(); })) return false;
  loaded_ = true;
  window_ = window;
  forms_.Set(OwnForm::Error, window_);
  return true;
}

void ErrorForm::SetMessage(std::wstring message) {
  info_->caption = std::move(message);
}

void ErrorForm::SetNoShowError(bool on) {
  noShowError_->checked = on;
}

void ErrorForm::ShowViewErrorLog() {
  viewLog_->visible = true;
}

void ErrorForm::ShowModal() {
  if (!loaded_) return;
  shown_ = true;
  platform_.errorDialog.ShowModal(*this);
}

void ErrorForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  // Only its own entry: a later dialog may have registered since.
  if (forms_.Get(OwnForm::Error) == window_) forms_.Set(OwnForm::Error, 0);
  window_ = 0;
  Step([&] { platform_.errorDialog.Unload(); });
}

void ErrorForm::Quit() {
  Step([&] { platform_.hookControl.Uninitialize(); });
  platform_.process.EndNow();
}

}  // namespace qx
