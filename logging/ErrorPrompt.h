#pragma once
// How an error report asks the user: the error dialog, which the user
// interface supplies (ui/ErrorFormPrompt). Without a prompt, errors are only
// written to the error log.

#include <optional>
#include <string>

namespace qx {

class ErrorPrompt {
 public:
  virtual ~ErrorPrompt() = default;
  // Shows the message until the user answers; logFile is the error log the
  // dialog offers to open. Returns whether the user asked not to be told of
  // this error again, or nothing when the dialog could not be shown or a
  // later report took its place.
  virtual std::optional<bool> Ask(const std::wstring& message, bool preCheck,
                                  const std::wstring& logFile) = 0;
  // A new report closes the dialog that still waits for an answer.
  virtual void Dismiss() = 0;
};

}  // namespace qx
