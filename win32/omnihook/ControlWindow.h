#pragma once
// The control's face: a push button bearing the control's icon. The window
// exists from the control's creation, hidden and without a parent, so that
// the hook messages have somewhere to go whatever the host does first; in-place
// activation makes it a visible child of the host's window.

#include <windows.h>

namespace qx::win {

inline constexpr int kIconResource = 101;

// The hidden button; nullptr when it cannot be made. icon receives the
// button's icon (the caller destroys it).
HWND CreateControlWindow(HMODULE module, HICON& icon);
// 495 twips in pixels of the screen.
int ControlPixels();
void ShowInSite(HWND window, HWND parent, const RECT& position);
void HideFromSite(HWND window);
void MoveInSite(HWND window, const RECT& position);

}  // namespace qx::win
