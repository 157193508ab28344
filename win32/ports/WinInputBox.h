#pragma once
// The input box: a prompt, one text box, OK and Cancel, shown by a form
// view in the window the box made. The program asks only for its
// administrator password, so the text box does not show what is typed.

#include "platform/Tray.h"

namespace qx::win {

class WinInputBox final : public InputBox {
 public:
  void ShowModal(FormModel& box) override;
};

}  // namespace qx::win
