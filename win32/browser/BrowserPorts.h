#pragma once
// The browser ports of the Windows shell, for whoever assembles the
// program's Platform:
//
//   auto shellWindows = qx::win::MakeShellWindowList();
//   auto browsers = qx::win::MakeBrowserFactory(mainWindow);
//
// COM must be initialised on the calling thread as a single-threaded
// apartment (OleInitialize: the hidden control is an OLE control), and the
// thread must run a message loop, on which every browser event arrives.

#include <windows.h>

#include <memory>

#include "platform/Browser.h"

namespace qx::win {

// The shell's window list; when the shell offers none, its calls fail.
std::unique_ptr<ShellWindowList> MakeShellWindowList();
// New browser windows, and the hidden page catcher hosted in a window owned
// by owner (may be null).
std::unique_ptr<BrowserFactory> MakeBrowserFactory(HWND owner);

}  // namespace qx::win
