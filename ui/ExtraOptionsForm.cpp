#include "ui/ExtraOptionsForm.h"

#include "context/Process.h"

namespace qx {

ExtraOptionsForm::ExtraOptionsForm(Process& process, std::function<void()> closed)
    : process_(process), closed_(std::move(closed)) {
  caption_ = L"Troubleshooting Options";
  Add({.kind = ControlKind::Label,
       .caption = L"These options can be changed if you are having trouble with Quellix.  If you "
                  L"are not experiencing any problems, we strongly recommend leaving these at the "
                  L"default settings."});
  for (std::size_t i = 0; i < kExtraOptions.size(); ++i) {
    boxes_[i] = &Add({.kind = ControlKind::CheckBox,
                      .name = std::wstring(kExtraOptions[i].name),
                      .caption = std::wstring(kExtraOptions[i].caption)});
  }
  Add({.kind = ControlKind::Button, .caption = L"OK"}).onClick = [this] { Ok(); };
  Add({.kind = ControlKind::Button, .caption = L"Cancel"}).onClick = [this] { Unload(); };
  Add({.kind = ControlKind::Button, .name = L"cmdDefaults", .caption = L"Restore Defaults"})
      .onClick = [this] {
    for (std::size_t i = 0; i < kExtraOptions.size(); ++i)
      boxes_[i]->checked = kExtraOptions[i].byDefault;
  };
}

ExtraOptionsForm::~ExtraOptionsForm() {
  closed_ = nullptr;
  Unload();
}

void ExtraOptionsForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  Step([&] {
    window_ = process_.platform().desktop.CreateOwnWindow(caption_, L"QuellixExtraOptions");
  });
  process_.ownForms().Set(OwnForm::ExtraOptions, window_);
  const Settings& settings = process_.settings();
  for (std::size_t i = 0; i < kExtraOptions.size(); ++i) {
    boxes_[i]->checked = std::get<bool>(settings.Get(kExtraOptions[i].option));
  }
}

void ExtraOptionsForm::ShowModal() {
  Load();
  shown_ = true;
}

void ExtraOptionsForm::Ok() {
  Settings& settings = process_.settings();
  for (std::size_t i = 0; i < kExtraOptions.size(); ++i) {
    Step([&] { settings.Set(kExtraOptions[i].option, boxes_[i]->checked); });
  }
  Step([&] {
    settings.ImplementDisableIPC(process_.platform().hookControl, process_.windows().Count());
  });
  Unload();
}

void ExtraOptionsForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  process_.ownForms().Set(OwnForm::ExtraOptions, 0);
  if (window_ != 0) Step([&] { process_.platform().desktop.DestroyOwnWindow(window_); });
  window_ = 0;
  if (closed_) closed_();
}

}  // namespace qx
