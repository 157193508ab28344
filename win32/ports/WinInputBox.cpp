#include "win32/ports/WinInputBox.h"

#include <windows.h>

#include "ui/FormModel.h"
#include "win32/forms/FormView.h"
#include "win32/ports/WinError.h"

namespace qx::win {

void WinInputBox::ShowModal(FormModel& box) {
  HWND window = reinterpret_cast<HWND>(box.Window());
  HWND own = nullptr;
  if (window == nullptr || !IsWindow(window)) {
    // The box's own window could not be made: show it in one of ours.
    own = CreateFormWindow(box.Caption());
    if (own == nullptr) throw Win32Error(L"InputBox.Show", GetLastError(), kErrInvalidCall);
    window = own;
  }
  {
    FormView view(window, box);
    view.MaskText(L"InputText");
    view.RunModal(nullptr);
  }
  if (own != nullptr) DestroyWindow(own);
}

}  // namespace qx::win
