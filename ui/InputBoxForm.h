#pragma once
// The system's input box as the program uses it: a prompt, a text box with
// a suggested text, OK and Cancel. Cancel and the close box both answer
// none.

#include <optional>
#include <string>

#include "platform/OwnFormWindows.h"
#include "platform/Platform.h"
#include "ui/FormModel.h"

namespace qx {

class InputBoxForm final : public FormModel {
 public:
  // slot: the entry of the program's own form windows it registers in.
  InputBoxForm(Platform& platform, OwnFormWindows& forms, OwnForm slot, std::wstring prompt,
               std::wstring title, std::wstring defaultText);
  ~InputBoxForm() override;
  InputBoxForm(const InputBoxForm&) = delete;
  InputBoxForm& operator=(const InputBoxForm&) = delete;

  // Loads and shows the box modally and unloads it again: the text the user
  // confirmed with OK, or none when the box was cancelled or closed. A port
  // failure propagates (the box is unloaded).
  std::optional<std::wstring> Ask();
  void Unload();

  void CloseBox() override { Cancel(); }

 private:
  void Load();
  void Cancel();

  Platform& platform_;
  OwnFormWindows& forms_;
  OwnForm slot_;
  Control* text_ = nullptr;
  std::optional<std::wstring> answer_;
};

}  // namespace qx
