// Another program for the cross-process test: a top-level window whose
// caption changes, then a web page dialog owned by it. Runs until its
// window is closed, or 20 seconds.

#include <windows.h>

namespace {

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = name;
  return RegisterClassW(&windowClass) != 0;
}

}  // namespace

int main() {
  if (!Register(L"QxHookHelperMain", MainProc) ||
      !Register(L"Internet Explorer_TridentDlgFrame", DefWindowProcW)) {
    return 2;
  }
  const HWND main = CreateWindowExW(WS_EX_TOPMOST, L"QxHookHelperMain", L"Helper",
                                    WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
  if (main == nullptr) return 3;
  SetWindowTextW(main, L"Helper renamed");
  const HWND dialog = CreateWindowExW(0, L"Internet Explorer_TridentDlgFrame",
                                      L"Quiz -- Web Page Dialog", WS_POPUP | WS_CAPTION, 600, 100,
                                      200, 150, main, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (dialog == nullptr) return 4;
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  SetTimer(main, 1, 20000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == main) DestroyWindow(main);
    DispatchMessageW(&msg);
  }
  return 0;
}
