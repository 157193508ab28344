#include "win32/ports/WinErrorDialog.h"

#include "win32/ports/DialogTemplate.h"
#include "win32/ports/WinError.h"

namespace qx::win {

INT_PTR CALLBACK WinErrorDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  auto* self = reinterpret_cast<WinErrorDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL:  // Escape or the close box: as OK, the harmless answer
      self->pressed_ = ErrorDialogButton::Ok;
      return TRUE;
    case kErrorQuit:
      self->pressed_ = ErrorDialogButton::Quit;
      return TRUE;
    case kErrorViewLog:
      self->pressed_ = ErrorDialogButton::ViewErrorLog;
      return TRUE;
    case kErrorSupport:
      self->pressed_ = ErrorDialogButton::AskTechnicalSupport;
      return TRUE;
    default:
      return FALSE;
  }
}

Hwnd WinErrorDialog::Load() {
  if (dialog_ != nullptr) return reinterpret_cast<Hwnd>(dialog_);
  DialogTemplate t(L"Quellix Error", 300, 150, 0);
  t.Add(DialogTemplate::Kind::Static, 206, L"Quellix has encountered an error.", 7, 7, 286, 10,
        SS_LEFT);
  t.Add(DialogTemplate::Kind::Static, kErrorInfo, L"", 7, 22, 286, 70, SS_LEFT);
  t.Add(DialogTemplate::Kind::Button, kErrorNoShow, L"&Don't tell me if this error occurs again", 7,
        96, 286, 12, BS_AUTOCHECKBOX | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Button, IDOK, L"OK", 7, 128, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Button, kErrorQuit, L"&Quit", 61, 128, 50, 14,
        BS_PUSHBUTTON | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Button, kErrorViewLog, L"&View Error Log", 115, 128, 70, 14,
        BS_PUSHBUTTON | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Button, kErrorSupport, L"Ask Technical Support...", 189, 128, 104, 14,
        BS_PUSHBUTTON | WS_TABSTOP);
  dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, &DialogProc,
                                       reinterpret_cast<LPARAM>(this));
  if (dialog_ == nullptr) throw Win32Error(L"ErrorDialog.Load", GetLastError(), kErrInvalidCall);
  ShowWindow(GetDlgItem(dialog_, kErrorViewLog), SW_HIDE);
  return reinterpret_cast<Hwnd>(dialog_);
}

ErrorDialogButton WinErrorDialog::WaitForButton(ErrorDialogState& state) {
  Load();
  SetDlgItemTextW(dialog_, kErrorInfo, state.info.c_str());
  CheckDlgButton(dialog_, kErrorNoShow, state.noShowError ? BST_CHECKED : BST_UNCHECKED);
  ShowWindow(GetDlgItem(dialog_, kErrorViewLog), state.viewLogVisible ? SW_SHOW : SW_HIDE);
  pressed_.reset();
  ShowWindow(dialog_, SW_SHOWNORMAL);
  SetForegroundWindow(dialog_);
  MSG msg;
  while (!pressed_ && IsWindow(dialog_)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is being told to quit: hand the message on and answer
      // as if OK was pressed.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(dialog_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (IsWindow(dialog_)) {
    state.noShowError = IsDlgButtonChecked(dialog_, kErrorNoShow) == BST_CHECKED;
    ShowWindow(dialog_, SW_HIDE);
  }
  return pressed_.value_or(ErrorDialogButton::Ok);
}

void WinErrorDialog::Unload() {
  if (dialog_ != nullptr) DestroyWindow(dialog_);
  dialog_ = nullptr;
}

}  // namespace qx::win
