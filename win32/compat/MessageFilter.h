#pragma once
// User Interface Privilege Isolation (Vista on) drops messages above
// WM_USER that a process of lower integrity sends, unless the receiver
// admits them: per window from Windows 7 (ChangeWindowMessageFilterEx),
// per process on Vista (ChangeWindowMessageFilter). XP has neither, and no
// such rule.
//   https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-changewindowmessagefilterex
//   https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-changewindowmessagefilter

#include <windows.h>

namespace qx::win::compat {

// Admits `message` to `window` in the way this Windows has, if any.
void AdmitMessage(HWND window, UINT message);

}  // namespace qx::win::compat
