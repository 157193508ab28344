#include "ui/InputBoxForm.h"

#include "platform/PlatformError.h"

namespace qx {

InputBoxForm::InputBoxForm(Platform& platform, OwnFormWindows& forms, OwnForm slot,
                           std::wstring prompt, std::wstring title, std::wstring defaultText)
    : platform_(platform), forms_(forms), slot_(slot) {
  caption_ = std::move(title);
  Add({.kind = ControlKind::Label, .name = L"Prompt", .caption = std::move(prompt)});
  text_ =
      &Add({.kind = ControlKind::TextBox, .name = L"InputText", .text = std::move(defaultText)});
  Add({.kind = ControlKind::Button, .caption = L"OK"}).onClick = [this] {
    answer_ = text_->text;
    shown_ = false;
  };
  Add({.kind = ControlKind::Button, .caption = L"Cancel"}).onClick = [this] { Cancel(); };
}

InputBoxForm::~InputBoxForm() {
  Unload();
}

void InputBoxForm::Cancel() {
  answer_.reset();
  shown_ = false;
}

void InputBoxForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  Step([&] { window_ = platform_.desktop.CreateOwnWindow(caption_, L"QuellixInputBox"); });
  forms_.Set(slot_, window_);
}

void InputBoxForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  if (forms_.Get(slot_) == window_) forms_.Set(slot_, 0);
  if (window_ != 0) Step([&] { platform_.desktop.DestroyOwnWindow(window_); });
  window_ = 0;
}

std::optional<std::wstring> InputBoxForm::Ask() {
  Load();
  answer_.reset();
  shown_ = true;
  struct Unloader {
    InputBoxForm& box;
    ~Unloader() { box.Unload(); }
  } unloader{*this};
  platform_.inputBox.ShowModal(*this);
  // A box that went away without OK (unloaded from outside) was not confirmed.
  if (shown_) answer_.reset();
  return answer_;
}

}  // namespace qx
