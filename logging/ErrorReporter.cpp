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
  if (prompt_ != nullptr) prompt_->Dismiss();
  logger_.WriteError(source, error);

  const std::wstring valueName = ErrorValueName(source, error.Number);
  bool show = true;
  Step([&] {
    const auto stored = platform_.store.Get(kAppName, L"Errors", valueName);
    // Only a true Boolean text shows the dialog; anything else silences it
    // as "False" does.
    if (stored) show = ParseBoolean(*stored).value_or(false);
  });
  if (!show || prompt_ == nullptr) return;

  const auto silenced = prompt_->Ask(DialogMessage(message, error), preCheck, logger_.LogFile());
  if (!silenced) return;
  Step(
      [&] { platform_.store.Put(kAppName, L"Errors", valueName, *silenced ? L"False" : L"True"); });
}

}  // namespace qx
