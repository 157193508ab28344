#include "ui/ErrorFormPrompt.h"

#include <memory>

#include "platform/PlatformError.h"

namespace qx {

std::optional<bool> ErrorFormPrompt::Ask(const std::wstring& message, bool preCheck,
                                         const std::wstring& logFile) {
  ErrorForm form(platform_, forms_, logFile);
  if (!form.Load()) return std::nullopt;
  ErrorForm* const outer = dialog_;
  dialog_ = &form;
  struct Restore {
    ErrorForm*& current;
    ErrorForm* outer;
    ~Restore() { current = outer; }
  } restore{dialog_, outer};

  form.SetMessage(message);
  if (preCheck) form.SetNoShowError(true);
  form.ShowViewErrorLog();
  Step([&] { form.ShowModal(); });
  // A report made while this dialog waited has taken its place.
  if (!form.Loaded()) return std::nullopt;
  const bool silenced = form.NoShowError();
  form.Unload();
  return silenced;
}

void ErrorFormPrompt::Dismiss() {
  if (dialog_ != nullptr) dialog_->Unload();
}

ErrorFormPrompt& UseErrorForm(Process& process) {
  auto prompt = std::make_unique<ErrorFormPrompt>(process.platform(), process.ownForms());
  ErrorFormPrompt& made = *prompt;
  process.UseErrorPrompt(std::move(prompt));
  return made;
}

ErrorFormPrompt* ErrorFormPromptOf(Process& process) {
  return dynamic_cast<ErrorFormPrompt*>(process.errorPrompt());
}

}  // namespace qx
