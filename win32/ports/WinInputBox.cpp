#include "win32/ports/WinInputBox.h"

#include <windows.h>

#include <vector>

#include "win32/ports/DialogTemplate.h"
#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

struct InputState {
  std::wstring prompt;
  std::wstring defaultText;
  std::wstring answer;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto& state = *reinterpret_cast<InputState*>(lParam);
      SetDlgItemTextW(dialog, kInputBoxPrompt, state.prompt.c_str());
      SetDlgItemTextW(dialog, kInputBoxEdit, state.defaultText.c_str());
      SendDlgItemMessageW(dialog, kInputBoxEdit, EM_SETSEL, 0, -1);
      SetForegroundWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (id == IDOK) {
        auto& state = *reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        const int length = GetWindowTextLengthW(GetDlgItem(dialog, kInputBoxEdit));
        std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
        const int n = GetDlgItemTextW(dialog, kInputBoxEdit, buffer.data(), length + 1);
        state.answer.assign(buffer.data(), static_cast<std::size_t>(n > 0 ? n : 0));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::wstring> WinInputBox::Ask(std::wstring_view prompt, std::wstring_view title,
                                             std::wstring_view defaultText) {
  DialogTemplate t(title, 240, 82, DS_SETFOREGROUND);
  t.Add(DialogTemplate::Kind::Static, kInputBoxPrompt, L"", 7, 7, 170, 48, SS_LEFT);
  t.Add(DialogTemplate::Kind::Button, IDOK, L"OK", 184, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Button, IDCANCEL, L"Cancel", 184, 24, 50, 14,
        BS_PUSHBUTTON | WS_TABSTOP);
  t.Add(DialogTemplate::Kind::Edit, kInputBoxEdit, L"", 7, 61, 227, 14,
        ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER | WS_TABSTOP);
  InputState state{std::wstring(prompt), std::wstring(defaultText), L""};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr,
                                                 &InputProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1) throw Win32Error(L"InputBox.Ask", GetLastError(), kErrInvalidCall);
  if (result != IDOK) return std::nullopt;
  return state.answer;
}

}  // namespace qx::win
