// Another program for the cross-process tests: a top-level window whose
// caption changes, then a web page dialog owned by it. Runs until its
// window is closed, or 20 seconds. With "forge WINDOW" it sends the control's
// window reports that are not true instead, and ends.

#include <windows.h>

#include <cstdlib>
#include <string_view>

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

void Send(HWND control, UINT message, HWND wParam, HWND lParam) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(control, message, reinterpret_cast<WPARAM>(wParam),
                      reinterpret_cast<LPARAM>(lParam), SMTO_NORMAL, 5000, &answer);
}

// Reports of windows that are gone, or are not what the report says.
int Forge(HWND control) {
  const HWND main =
      CreateWindowExW(0, L"QxHookHelperMain", L"Not a dialog -- Web Page Dialog", WS_POPUP, 0, 0,
                      10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  const HWND child =
      CreateWindowExW(0, L"Internet Explorer_TridentDlgFrame", L"Child -- Web Page Dialog",
                      WS_CHILD, 0, 0, 5, 5, main, nullptr, GetModuleHandleW(nullptr), nullptr);
  const HWND gone =
      CreateWindowExW(0, L"Internet Explorer_TridentDlgFrame", L"Gone -- Web Page Dialog", WS_POPUP,
                      0, 0, 5, 5, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(gone);
  constexpr UINT kApp = 0x8000;
  Send(control, kApp + 1, main, nullptr);   // a dialog report of another class
  Send(control, kApp + 1, child, nullptr);  // of a child window
  Send(control, kApp + 1, child, main);     // advice for it
  Send(control, kApp + 1, gone, nullptr);   // of a window gone
  Send(control, kApp + 1, gone, main);
  Send(control, kApp + 2, gone, nullptr);  // a caption of a window gone
  Send(control, kApp + 3, nullptr, gone);  // presses on windows gone
  Send(control, kApp + 4, nullptr, gone);
  DestroyWindow(main);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!Register(L"QxHookHelperMain", MainProc) ||
      !Register(L"Internet Explorer_TridentDlgFrame", DefWindowProcW)) {
    return 2;
  }
  if (argc == 3 && std::string_view(argv[1]) == "forge") {
    return Forge(reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::strtoll(argv[2], nullptr, 16))));
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
