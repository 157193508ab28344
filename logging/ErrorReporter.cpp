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

void ErrorReporter::ReportError(std::wstring_view source, std::wstring_view message, bool preCheck,
                                const pError& error) {
  if (dialog_ != nullptr) dialog_->Unload();
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

  ErrorForm form(platform_, forms_, logger_.LogFile());
  if (!form.Load()) return;
  ErrorForm* const outer = dialog_;
  dialog_ = &form;
  struct Restore {
    ErrorForm*& current;
    ErrorForm* outer;
    ~Restore() { current = outer; }
  } restore{dialog_, outer};

  form.SetMessage(DialogMessage(message, error));
  if (preCheck) form.SetNoShowError(true);
  form.ShowViewErrorLog();
  Step([&] { form.ShowModal(); });
  // A report made while this dialog waited has taken its place.
  if (!form.Loaded()) return;

  Step([&] {
    platform_.store.Put(kAppName, L"Errors", valueName, form.NoShowError() ? L"False" : L"True");
  });
  form.Unload();
}

}  // namespace qx
