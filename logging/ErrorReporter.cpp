#include "logging/ErrorReporter.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx {

std::wstring ErrorReporter::ErrorValueName(std::wstring_view source, std::int32_t number) {
  return std::wstring(source) + SignedNumberText(number);
}

std::wstring ErrorReporter::DialogMessage(std::wstring_view message, const pError& error) {
  std::wstring text(message);
  if (text.empty()) {
    text = L"Error #" + NumberText(error.Number) +
           L" has occurred.  Click OK to continue running Quellix, or Quit to exit.";
  }
  if (error.Number != 0) {
    text += L"\r\n\r\nError description: " + error.Description + L"(#" + NumberText(error.Number) +
            L")";
  }
  return text;
}

void ErrorReporter::UnloadDialog() {
  if (!dialogLoaded_) return;
  dialogLoaded_ = false;
  forms_.Set(OwnForm::Error, 0);
  Step([&] { platform_.errorDialog.Unload(); });
}

void ErrorReporter::ReportError(std::wstring_view source, std::wstring_view message, bool preCheck,
                                const pError& error) {
  UnloadDialog();
  logger_.WriteError(source, error);

  const std::wstring valueName = ErrorValueName(source, error.Number);
  bool show = true;
  Step([&] {
    const auto stored = platform_.store.Get(kAppName, L"Errors", valueName);
    // Only a true Boolean text shows the dialog; anything else silences it
    // as "False" does.
    if (stored) show = ParseBoolean(*stored).value_or(false);
  });
  if (!show) return;

  ErrorDialogState state;
  state.info = DialogMessage(message, error);
  state.noShowError = preCheck;
  state.viewLogVisible = true;
  if (!Step([&] { forms_.Set(OwnForm::Error, platform_.errorDialog.Load()); })) return;
  dialogLoaded_ = true;

  for (;;) {
    ErrorDialogButton button = ErrorDialogButton::Ok;
    if (!Step([&] { button = platform_.errorDialog.WaitForButton(state); })) break;
    if (button == ErrorDialogButton::Ok) break;
    if (button == ErrorDialogButton::Quit) {
      Step([&] { platform_.hookControl.Uninitialize(); });
      platform_.process.EndNow();
    }
    if (button == ErrorDialogButton::ViewErrorLog) {
      Step([&] { platform_.shell.Open(logger_.LogFile()); });
    } else {
      Step([&] { platform_.shell.Open(kSupportMailLink); });
    }
    // A report made while this dialog waited has taken its place.
    if (!dialogLoaded_) return;
  }

  Step([&] {
    platform_.store.Put(kAppName, L"Errors", valueName, state.noShowError ? L"False" : L"True");
  });
  UnloadDialog();
}

}  // namespace qx
