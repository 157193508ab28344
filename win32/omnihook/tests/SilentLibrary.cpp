// A stand-in for the control's own catchwire.dll in the hook host's tests:
// its hooks report nothing and its GetLastY answers a value no click has, so
// every event there must have come through the host's library.

#include <windows.h>

extern "C" {

LRESULT CALLBACK HookCBT(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT CALLBACK HookMsg(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
LRESULT CALLBACK HookMouse(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
LONG WINAPI CallbackInit(HWND, HHOOK, HHOOK, HHOOK, LONG, LONG) {
  return 0;
}
LONG WINAPI GetLastY() {
  return -7777;
}

}  // extern "C"
