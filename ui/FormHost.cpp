#include "ui/FormHost.h"

#include "context/Process.h"
#include "ui/ErrorFormPrompt.h"

namespace qx {

FormHost::FormHost(Platform& platform, FileOpenDialog& fileOpen)
    : platform_(platform), fileOpen_(fileOpen) {}

FormHost::~FormHost() {
  Attach(nullptr, nullptr);
  extraOptions_.reset();
  if (ownProcess_) ownProcess_->Abandon();
}

void FormHost::Attach(Process* process, BrowserHolds* holds) {
  if (process != process_) {
    // The dialogs belong to the process they were made for.
    options_.reset();
    websiteRule_.reset();
    windowRule_.reset();
    if (!ownProcess_) extraOptions_.reset();
  }
  process_ = process;
  holds_ = holds;
}

Process& FormHost::CurrentProcess() {
  if (process_ != nullptr) return *process_;
  if (!ownProcess_) {
    ownProcess_ = std::make_unique<Process>(platform_);
    UseErrorForm(*ownProcess_);
  }
  return *ownProcess_;
}

void FormHost::ShowOptions(int page) {
  if (process_ == nullptr) return;
  if (!options_)
    options_ =
        std::make_unique<OptionsForm>(*process_, fileOpen_, static_cast<OptionsFormHost&>(*this));
  if (page != 0) options_->SelectTab(page);
  options_->Show();
}

void FormHost::ShowExtraOptionsModal() {
  if (extraOptions_ && extraOptions_->Loaded()) return;
  extraOptions_ = std::make_unique<ExtraOptionsForm>(CurrentProcess(), nullptr);
  extraOptions_->ShowModal();
}

void FormHost::UnloadAll() {
  if (websiteRule_) websiteRule_->Unload();
  if (windowRule_) windowRule_->Unload();
  if (extraOptions_) extraOptions_->Unload();
  if (options_) options_->Unload();
}

WebsiteRuleForm& FormHost::WebsiteRule() {
  if (!websiteRule_) websiteRule_ = std::make_unique<WebsiteRuleForm>(*process_);
  return *websiteRule_;
}

WindowRuleForm& FormHost::WindowRule() {
  if (!windowRule_) {
    windowRule_ = std::make_unique<WindowRuleForm>(*process_, [this] {
      if (options_) options_->TabHelp(options_->SelectedTab());
    });
  }
  return *windowRule_;
}

void FormHost::ReapplyHolds() {
  if (holds_ != nullptr) holds_->ReapplyHolds();
}

FormModel* FormHost::Loaded(std::wstring_view name) {
  FormModel* form = nullptr;
  if (name == L"Options") form = options_.get();
  if (name == L"WebsiteRule") form = websiteRule_.get();
  if (name == L"WindowRule") form = windowRule_.get();
  if (name == L"ExtraOptions") form = extraOptions_.get();
  return form != nullptr && form->Loaded() ? form : nullptr;
}

FormModel* FormHost::Modal() {
  for (FormModel* f :
       {static_cast<FormModel*>(websiteRule_.get()), static_cast<FormModel*>(windowRule_.get()),
        static_cast<FormModel*>(extraOptions_.get())}) {
    if (f != nullptr && f->Loaded() && f->Shown()) return f;
  }
  return nullptr;
}

}  // namespace qx
