#pragma once
// The program's dialogs: creates, shows and unloads the presentation models
// as the main form and the dialogs themselves ask. One per program process.

#include <memory>
#include <string_view>

#include "platform/FileOpenDialog.h"
#include "platform/Platform.h"
#include "ui/DialogHost.h"
#include "ui/ExtraOptionsForm.h"
#include "ui/OptionsForm.h"
#include "ui/WebsiteRuleForm.h"
#include "ui/WindowRuleForm.h"

namespace qx {

class FormHost final : public DialogHost, private OptionsFormHost {
 public:
  FormHost(Platform& platform, FileOpenDialog& fileOpen);
  ~FormHost() override;
  FormHost(const FormHost&) = delete;
  FormHost& operator=(const FormHost&) = delete;

  void Attach(Process* process, BrowserHolds* holds) override;
  void ShowOptions(int page) override;
  void ShowExtraOptionsModal() override;
  void UnloadAll() override;

  // A loaded dialog by its name ("Options", "WebsiteRule", "WindowRule",
  // "ExtraOptions"); none when it is not loaded.
  FormModel* Loaded(std::wstring_view name);
  OptionsForm* Options() { return options_ && options_->Loaded() ? options_.get() : nullptr; }
  // The modal dialog that is shown, if any: the user can act only on it.
  FormModel* Modal();

 private:
  WebsiteRuleForm& WebsiteRule() override;
  WindowRuleForm& WindowRule() override;
  void ReapplyHolds() override;
  void OptionsUnloaded() override {}
  Process& CurrentProcess();

  Platform& platform_;
  FileOpenDialog& fileOpen_;
  Process* process_ = nullptr;
  BrowserHolds* holds_ = nullptr;
  // A process of its own for the troubleshooting dialog when no main form
  // runs (the "options" switch while another instance runs).
  std::unique_ptr<Process> ownProcess_;
  std::unique_ptr<OptionsForm> options_;
  std::unique_ptr<WebsiteRuleForm> websiteRule_;
  std::unique_ptr<WindowRuleForm> windowRule_;
  std::unique_ptr<ExtraOptionsForm> extraOptions_;
};

}  // namespace qx
