#pragma once
// ReportError: an unexpected error of a user-facing routine goes to the error
// log and, unless the user silenced it, to the error dialog.

#include <string>
#include <string_view>

#include "logging/ErrorLogger.h"
#include "logging/pError.h"
#include "monitor/OwnFormWindows.h"
#include "platform/Platform.h"

namespace qx {

inline constexpr std::wstring_view kErrorDialogCaption = L"Quellix Error";
inline constexpr std::wstring_view kErrorDialogTitle = L"Quellix has encountered an error.";
inline constexpr std::wstring_view kNoShowErrorCaption =
    L"&Don't tell me if this error occurs again";
inline constexpr std::wstring_view kSupportMailLink =
    L"mailto:support@quellix.example?subject=Quellix%20error";

class ErrorReporter {
 public:
  ErrorReporter(Platform& platform, ErrorLogger& logger, OwnFormWindows& forms)
      : platform_(platform), logger_(logger), forms_(forms) {}

  // source: the routine's fixed name; message: for the user (empty: the
  // default text); preCheck: whether the silencing box starts checked.
  void ReportError(std::wstring_view source, std::wstring_view message, bool preCheck,
                   const pError& error);

  // The "Errors" value name: source + the number with a blank before a
  // non-negative number.
  static std::wstring ErrorValueName(std::wstring_view source, std::int32_t number);
  // The message the dialog shows for this error.
  static std::wstring DialogMessage(std::wstring_view message, const pError& error);

 private:
  void UnloadDialog();

  Platform& platform_;
  ErrorLogger& logger_;
  OwnFormWindows& forms_;
  bool dialogLoaded_ = false;
};

}  // namespace qx
