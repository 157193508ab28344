#include "win32/ports/WinErrorDialog.h"

#include "ui/FormModel.h"
#include "win32/forms/FormView.h"
#include "win32/ports/WinError.h"

namespace qx::win {

Hwnd WinErrorDialog::Load() {
  if (window_ != nullptr && IsWindow(window_)) return reinterpret_cast<Hwnd>(window_);
  window_ = CreateFormWindow(L"Quellix Error");
  if (window_ == nullptr) throw Win32Error(L"ErrorDialog.Load", GetLastError(), kErrInvalidCall);
  return reinterpret_cast<Hwnd>(window_);
}

void WinErrorDialog::ShowModal(FormModel& form) {
  Load();
  FormView view(window_, form);
  view.RunModal(nullptr);
}

void WinErrorDialog::Unload() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

}  // namespace qx::win
