#pragma once
// Pictures of windows for the eye: what a dialog looks like on screen,
// saved as PNG files next to the build's other outputs.

#include <windows.h>

#include <string>

namespace qx::win::testing {

// The window as the screen shows it, written as a PNG file. False when the
// picture could not be taken or written.
bool SaveWindowPng(HWND window, const std::wstring& path);
// A part of the screen as it shows now (for windows of another thread, such
// as a menu the system tracks), written as a PNG file.
bool SaveScreenPng(const RECT& area, const std::wstring& path);
// Where the picture called `name` goes: the build's screenshot folder,
// made when missing.
std::wstring ScreenshotFile(const std::wstring& name);

}  // namespace qx::win::testing
