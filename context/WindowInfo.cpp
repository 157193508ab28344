#include "context/WindowInfo.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx {

void WindowInfo::CloseWindow(Hwnd window) {
  Step([&] { desktop_.PostCloseMessage(window); });
}

Hwnd WindowInfo::TopAppWindow(Hwnd window) {
  Hwnd current = window;
  Step([&] {
    // A cycle cannot happen on a real desktop; the bound keeps a damaged
    // answer from hanging the program.
    for (int depth = 0; depth < 4096; ++depth) {
      if ((desktop_.ExStyle(current) & kWsExAppWindow) != 0) return;
      const Hwnd parent = desktop_.Parent(current);
      if (parent == 0) return;
      current = parent;
    }
  });
  return current;
}

std::wstring WindowInfo::WindowCaption(Hwnd window) {
  std::wstring text;
  Step([&] { text = desktop_.WindowText(window, kCaptionBuffer); });
  if (text.size() > kCaptionBuffer - 1) text.resize(kCaptionBuffer - 1);
  return LowerCase(text);
}

std::wstring WindowInfo::WindowClass(Hwnd window) {
  std::wstring text;
  Step([&] { text = desktop_.ClassName(window, kClassBuffer); });
  if (text.size() > kClassBuffer - 1) text.resize(kClassBuffer - 1);
  return text;
}

std::wstring WindowInfo::WindowExeName(Hwnd window) {
  std::wstring name;
  switch (OsFamily()) {
    case 1:
      Step([&] { name = desktop_.WindowModuleFileName(window, kModuleBuffer); });
      break;
    case 2:
      Step([&] {
        const ProcessId pid = desktop_.WindowProcessId(window);
        if (pid != 0) name = desktop_.ProcessFirstModuleFileName(pid, kModuleBuffer);
      });
      break;
    default:
      name = WindowClass(window);
      break;
  }
  if (name.size() > kModuleBuffer - 1) name.resize(kModuleBuffer - 1);
  if (!name.empty() && name.back() == L'\0') name.pop_back();
  return LowerCase(name);
}

bool WindowInfo::IsOwnProcessWindow(Hwnd window) {
  bool own = false;
  Step([&] {
    if (ownProcessId_ == 0) ownProcessId_ = desktop_.CurrentProcessId();
    own = desktop_.WindowProcessId(window) == ownProcessId_;
  });
  return own;
}

int WindowInfo::OsFamily() {
  if (versionCached_) return family_;
  OsVersionInfo v;
  // A version that cannot be read is taken for the NT family without XP:
  // the checks that depend on XP then stay on their safe side.
  v.platformId = 2;
  Step([&] { v = desktop_.Version(); });
  if (v.platformId == 1) {
    family_ = v.minorVersion != 0 ? 1 : 0;
    xpFlag_ = 1;
  } else {
    family_ = 2;
    // XP is 5.1; every later system counts, Vista (6.0) and 10.0 included,
    // whatever their minor number.
    const bool xp = v.majorVersion > 5 || (v.majorVersion == 5 && v.minorVersion >= 1);
    xpFlag_ = xp ? 2 : 1;
  }
  versionCached_ = true;
  return family_;
}

bool WindowInfo::IsWindowsXPOrLater() {
  if (xpFlag_ == 0) OsFamily();
  return xpFlag_ == 2;
}

}  // namespace qx
