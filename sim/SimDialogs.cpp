#include "sim/SimDialogs.h"

#include "ui/FormModel.h"

namespace qx::sim {

Hwnd SimErrorDialog::Load() {
  failures_.Check("Dialogs.ErrorLoad");
  window_ = windowFactory_ ? windowFactory_() : 0;
  return window_;
}

bool SimErrorDialog::ApplyAnswer(FormModel& form) {
  if (answers_.empty()) return false;
  const ErrorDialogAnswer answer = answers_.front();
  answers_.pop_front();
  static constexpr const wchar_t* kCaptions[] = {L"OK", L"Quit", L"View Error Log",
                                                 L"Ask Technical Support..."};
  try {
    if (answer.noShowError) form.Check(L"noShowError", *answer.noShowError);
    form.Click(kCaptions[static_cast<int>(answer.button)]);
  } catch (const UiError&) {
    // A button the dialog does not offer now: the answer is spent.
  }
  return true;
}

void SimErrorDialog::ShowModal(FormModel& form) {
  failures_.Check("Dialogs.ErrorWait");
  const Control* info = form.Find(L"InfoLabel");
  const Control* box = form.Find(L"noShowError");
  const Control* viewLog = form.Find(L"View Error Log");
  shown_.push_back({info != nullptr ? info->caption : L"", box != nullptr && box->checked,
                    viewLog != nullptr && viewLog->visible});
  loop_.Run(
      form, [&] { return ApplyAnswer(form); }, [&] { form.Click(L"OK"); });
}

void SimErrorDialog::Unload() {
  window_ = 0;
}

}  // namespace qx::sim
