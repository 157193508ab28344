#include "ControlWindow.h"

#include "hookctl/OmnihookControl.h"

namespace qx::win {

int ControlPixels() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return MulDiv(kControlTwips, dpi > 0 ? dpi : 96, 1440);
}

HWND CreateControlWindow(HMODULE module, HICON& icon) {
  const int size = ControlPixels();
  const HWND window = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP | BS_PUSHBUTTON | BS_ICON, 0, 0,
                                      size, size, nullptr, nullptr, module, nullptr);
  if (window == nullptr) return nullptr;
  // The button's face leaves about 24 pixels inside its borders.
  icon = static_cast<HICON>(
      LoadImageW(module, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 24, 24, LR_DEFAULTCOLOR));
  if (icon != nullptr)
    SendMessageW(window, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  return window;
}

void ShowInSite(HWND window, HWND parent, const RECT& position) {
  // A top-level window becomes a child: the style first, then the parent.
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
  SetParent(window, parent);
  const int size = ControlPixels();
  SetWindowPos(window, nullptr, position.left, position.top, size, size,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

void HideFromSite(HWND window) {
  ShowWindow(window, SW_HIDE);
  // Away from the host's window, so that its destruction does not take the
  // control's window (and the hook messages' target) with it.
  SetParent(window, nullptr);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP);
}

void MoveInSite(HWND window, const RECT& position) {
  const int size = ControlPixels();
  SetWindowPos(window, nullptr, position.left, position.top, size, size,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qx::win
