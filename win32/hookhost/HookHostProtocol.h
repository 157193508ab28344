#pragma once
// How the hook control talks to the hook host, the helper program that sets
// the hooks of the other bitness (QuellixHook32.exe on 64-bit Windows).
//
// The control starts it as
//   QuellixHook32.exe <notify window> <control's process id>
// (both decimal; the window as its 32 bits). The host makes a message-only
// window of class kHookHostClass titled with the notify window's number, so
// that the control finds the host it started, and answers two messages sent
// to it. WM_CLOSE ends it; so does the end of the control's process.

#include <windows.h>

inline constexpr wchar_t kHookHostFile[] = L"QuellixHook32.exe";
inline constexpr wchar_t kHookHostClass[] = L"Quellix.HookHost";
// The host's own copy of the hook library, beside it: a 32-bit and a 64-bit
// library in one folder need different names.
inline constexpr wchar_t kHookHostLibrary[] = L"catchwire32.dll";

// wParam: the hooks wanted (kHostHook* bits); lParam: NoBrowserCheck (1 or
// 0). Answers the bits of the hooks set afterwards.
inline constexpr UINT kHostApply = WM_APP + 16;
// Answers the host library's GetLastY, as a 32-bit signed value.
inline constexpr UINT kHostTakeY = WM_APP + 17;

inline constexpr WPARAM kHostHookCbt = 1;
inline constexpr WPARAM kHostHookMsg = 2;
inline constexpr WPARAM kHostHookMouse = 4;
