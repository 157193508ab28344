#include "ui/WindowRuleForm.h"

#include "base/Text.h"
#include "context/Process.h"

namespace qx {

WindowRuleForm::WindowRuleForm(Process& process, std::function<void()> help) : process_(process) {
  captionText_ = &Add(
      {.kind = ControlKind::TextBox, .name = L"CaptionText", .text = L"Pop-Up Window Caption"});
  ruleCombo_ =
      &Add({.kind = ControlKind::ComboBox,
            .name = L"RuleCombo",
            .items = {L"Kill (close) windows that have this caption:",
                      L"Kill (close) windows that have captions containing this phrase:"}});
  allWindows_ = &Add({.kind = ControlKind::OptionButton,
                      .caption = L"This rule applies to all windows.",
                      .group = 1});
  allWindows_->onClick = [this] { SelectAllWindows(true); };
  oneProgram_ = &Add({.kind = ControlKind::OptionButton,
                      .caption = L"This rule applies only to windows of this program or module "
                                 L"(advanced):",
                      .group = 1});
  oneProgram_->onClick = [this] { SelectAllWindows(false); };
  moduleText_ = &Add({.kind = ControlKind::TextBox,
                      .name = L"ModuleText",
                      .text = L"C:\\Program Files\\Program.exe"});
  explanation_ = &Add({.kind = ControlKind::Label,
                       .name = L"ExplanationLabel",
                       .caption = std::wstring(kWindowRuleExplanation)});
  Add({.kind = ControlKind::Label,
       .name = L"HotKeyLabel",
       .caption = L"More conveniently, you can set this rule for windows using the \"Always Kill "
                  L"Window\" hotkey combination and clicking on the pop-up window.  For more "
                  L"information, please see HotKey options or consult"});
  Add({.kind = ControlKind::Link, .caption = L"help"}).onClick = std::move(help);
  Add({.kind = ControlKind::Button, .caption = L"&OK"}).onClick = [this] { Hide(); };
  Add({.kind = ControlKind::Button, .caption = L"&Cancel"}).onClick = [this] {
    captionText_->text.clear();
    Hide();
  };
  KeepDesignState();
}

WindowRuleForm::~WindowRuleForm() {
  Unload();
}

void WindowRuleForm::CloseBox() {
  if (!shown_) return;
  captionText_->text.clear();
  Hide();
}

void WindowRuleForm::SelectAllWindows(bool all) {
  allWindows_->checked = all;
  oneProgram_->checked = !all;
  moduleText_->enabled = !all;
}

void WindowRuleForm::Load() {
  if (loaded_) return;
  loaded_ = true;
  // Unloaded after each use: every opening starts as the first did (the
  // label gets the dialog's name once, the caption box its sample text).
  RestoreDesignState();
  Step([&] { window_ = process_.platform().desktop.CreateOwnWindow(L"", L"QuellixWindowRule"); });
  process_.ownForms().Set(OwnForm::WindowRule, window_);
}

void WindowRuleForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  onReturn_ = nullptr;
  process_.ownForms().Set(OwnForm::WindowRule, 0);
  if (window_ != 0) Step([&] { process_.platform().desktop.DestroyOwnWindow(window_); });
  window_ = 0;
}

void WindowRuleForm::ShowModal(std::function<void()> onReturn) {
  onReturn_ = std::move(onReturn);
  shown_ = true;
}

void WindowRuleForm::Hide() {
  shown_ = false;
  std::function<void()> onReturn = std::move(onReturn_);
  onReturn_ = nullptr;
  if (onReturn) onReturn();
}

void WindowRuleForm::Store(const std::wstring* removeProgram, const std::wstring* removeCaption) {
  if (captionText_->text.empty()) return;
  moduleText_->text = Trim(moduleText_->text);
  if (removeProgram != nullptr) process_.windows().Remove(*removeProgram, *removeCaption);
  if (moduleText_->text.empty() || allWindows_->checked) {
    moduleText_->text = std::wstring(kAllPrograms);
  }
  process_.windows().Add(moduleText_->text, captionText_->text,
                         ruleCombo_->position == 0 ? kCaptionEquals : kCaptionContains);
}

void WindowRuleForm::ShowNew(std::function<void()> returned) {
  Load();
  explanation_->caption += L"Add New Window Rule\"";
  ruleCombo_->position = 0;
  SelectAllWindows(true);
  caption_ = L"Add New Window Rule";
  ShowModal([this, returned = std::move(returned)] {
    Store(nullptr, nullptr);
    Unload();
    if (returned) returned();
  });
}

void WindowRuleForm::ShowEdit(std::wstring program, std::wstring caption, std::int32_t status,
                              std::function<void()> returned) {
  Load();
  explanation_->caption += L"Edit Window Rule\"";
  ruleCombo_->position = status == kCaptionEquals ? 0 : status == kCaptionContains ? 1 : -1;
  captionText_->text = caption;
  if (program == kAllPrograms) {
    SelectAllWindows(true);
  } else {
    SelectAllWindows(false);
    moduleText_->text = program;
  }
  caption_ = L"Edit Window Rule";
  ShowModal([this, program = std::move(program), caption = std::move(caption),
             returned = std::move(returned)] {
    Store(&program, &caption);
    Unload();
    if (returned) returned();
  });
}

}  // namespace qx
