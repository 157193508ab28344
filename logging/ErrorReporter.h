#pragma once
// ReportError: an unexpected error of a user-facing routine goes to the error
// log and, unless the user silenced it, to the error dialog.

#include <string>
#include <string_view>

#include "logging/ErrorLogger.h"
#include "logging/ErrorPrompt.h"
#include "logging/pError.h"
#include "platform/Platform.h"

namespace qx {

class ErrorReporter {
 public:
  ErrorReporter(Platform& platform, ErrorLogger& logger, ErrorPrompt* prompt)
      : platform_(platform), logger_(logger), prompt_(prompt) {}

  // The dialog that asks the user; none: errors are only logged.
  void SetPrompt(ErrorPrompt* prompt) { prompt_ = prompt; }

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
  Platform& platform_;
  ErrorLogger& logger_;
  ErrorPrompt* prompt_;
};

}  // namespace qx
