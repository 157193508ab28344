#pragma once
// The error dialog "Quellix Error": the message, the box that silences this
// error, and the buttons to go on, quit at once, view the error log or write
// to technical support. Loaded for one report and unloaded at its end.

#include <string>
#include <string_view>

#include "platform/OwnFormWindows.h"
#include "platform/Platform.h"
#include "ui/FormModel.h"

namespace qx {

inline constexpr std::wstring_view kErrorDialogCaption = L"Quellix Error";
inline constexpr std::wstring_view kErrorDialogTitle = L"Quellix has encountered an error.";
inline constexpr std::wstring_view kNoShowErrorCaption =
    L"&Don't tell me if this error occurs again";
inline constexpr std::wstring_view kSupportMailLink =
    L"mailto:support@quellix.example?subject=Quellix%20error";

class ErrorForm final : public FormModel {
 public:
  // logFile: the error log that "View Error Log" opens.
  ErrorForm(Platform& platform, OwnFormWindows& forms, std::wstring logFile);
  ~ErrorForm() override;
  ErrorForm(const ErrorForm&) = delete;
  ErrorForm& operator=(const ErrorForm&) = delete;

  // Creates the dialog's window and registers it among the program's own
  // form windows; false (and nothing loaded) when the window cannot be made.
  bool Load();
  void SetMessage(std::wstring message);
  void SetNoShowError(bool on);
  void ShowViewErrorLog();
  // Shows the dialog modally: returns when it is hidden or unloaded. A port
  // failure propagates.
  void ShowModal();
  void Unload();
  bool NoShowError() const { return noShowError_->checked; }

  // Closing the window goes on as OK does: the dialog only informs, and the
  // silencing box counts as the user left it.
  void CloseBox() override { Hide(); }

 private:
  void Hide() { shown_ = false; }
  void Quit();

  Platform& platform_;
  OwnFormWindows& forms_;
  std::wstring logFile_;
  Control* info_ = nullptr;
  Control* noShowError_ = nullptr;
  Control* viewLog_ = nullptr;
};

}  // namespace qx
