#pragma once
// ReportError: an unexpected error of a user-facing routine goes to the error
// log and, unless the user silenced it, to the error dialog.

#include <string>
#include <string_view>

#include "logging/ErrorLogger.h"
#include "logging/pError.h"
#include "platform/OwnFormWindows.h"
#include "platform/Platform.h"
#include "ui/ErrorForm.h"

namespace qx {

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

  // The error dialog while it is loaded; none otherwise.
  ErrorForm* Dialog() { return dialog_ != nullptr && dialog_->Loaded() ? dialog_ : nullptr; }

 private:
  Platform& platform_;
  ErrorLogger& logger_;
  OwnFormWindows& forms_;
  // The loaded dialog: it lives in the report that shows it, so that a
  // report made while it waits (its modal loop runs the program's
  // messages) can unload it without pulling it from under that report.
  ErrorForm* dialog_ = nullptr;
};

}  // namespace qx
