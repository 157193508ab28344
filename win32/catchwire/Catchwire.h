#pragma once
// The hook library's exports: three global hook procedures that report to
// the hook control's window, and the two calls the control makes.

#include <windows.h>

// The messages the library sends or posts to the notify window.
inline constexpr UINT kCatchwireNotifyDialog = WM_APP + 1;
inline constexpr UINT kCatchwireNotifyText = WM_APP + 2;
inline constexpr UINT kCatchwireNotifyButtonDown = WM_APP + 3;
inline constexpr UINT kCatchwireNotifyButtonUp = WM_APP + 4;

extern "C" {
LRESULT CALLBACK HookCBT(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HookMsg(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK HookMouse(int code, WPARAM wParam, LPARAM lParam);
// Handles are passed as 32-bit values sign-extended to pointer width, as
// window and hook handles always fit in 32 bits.
LONG WINAPI CallbackInit(HWND notifyWindow, HHOOK cbtHook, HHOOK msgHook, HHOOK mouseHook,
                         LONG noBrowserCheck, LONG reserved);
LONG WINAPI GetLastY();
}
