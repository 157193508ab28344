#pragma once
// Window and process questions with the exact limits and conversions the
// window watch and the hot keys rely on.

#include <cstdint>
#include <string>

#include "platform/Desktop.h"

namespace qx {

class WindowInfo {
 public:
  explicit WindowInfo(Desktop& desktop) : desktop_(desktop) {}

  void CloseWindow(Hwnd window);
  Hwnd TopAppWindow(Hwnd window);
  // Lower-cased, not trimmed; at most 349 characters.
  std::wstring WindowCaption(Hwnd window);
  std::wstring WindowClass(Hwnd window);
  // Lower-cased path of the program file that owns the window; "" when it
  // cannot be read.
  std::wstring WindowExeName(Hwnd window);
  bool IsOwnProcessWindow(Hwnd window);
  // 0: Windows 95, 1: Windows 98 or Me, 2: the NT family.
  int OsFamily();
  bool IsWindowsXPOrLater();

  static constexpr int kCaptionBuffer = 350;
  static constexpr int kClassBuffer = 300;
  static constexpr int kModuleBuffer = 300;

 private:
  Desktop& desktop_;
  ProcessId ownProcessId_ = 0;
  bool versionCached_ = false;
  int family_ = 2;
  int xpFlag_ = 0;  // 0 not yet computed, 1 no, 2 yes
};

}  // namespace qx
