// Another program for the cross-process tests: a top-level window whose
// caption changes, then a web page dialog owned by it. Runs until its
// window is closed, or 20 seconds. With "forge WINDOW" it sends the control's
// window reports that are not true instead, and ends. With "bench FILE N
// create|caption" it makes N windows that a window rule should kill, one at a
// time, and writes to FILE how long each lived: from its creation, or from
// the change of its caption to the condemned one, to its destruction.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// The bench's window: when it went, and whether it was painted first.
struct Lifetime {
  LARGE_INTEGER destroyed{};
  bool gone = false;
  bool painted = false;
};

LRESULT CALLBACK BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* life = reinterpret_cast<Lifetime*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (life != nullptr && message == WM_PAINT) life->painted = true;
  if (life != nullptr && message == WM_DESTROY) {
    QueryPerformanceCounter(&life->destroyed);
    life->gone = true;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// One window, condemned by its caption from the start or from a rename;
// answers its lifetime in microseconds, or -1 when nobody killed it.
double OneKill(int index, bool rename, bool self, bool& painted, double frequency) {
  wchar_t condemned[64];
  swprintf(condemned, 64, L"Bench popup %d", index);
  Lifetime life;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  const HWND window = CreateWindowExW(0, L"QxHookBench", rename ? L"Plain window" : condemned,
                                      WS_POPUP | WS_VISIBLE, 50, 50, 120, 80, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return -1;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&life));
  if (rename) {
    QueryPerformanceCounter(&start);
    SetWindowTextW(window, condemned);
  }
  if (self) DestroyWindow(window);
  const DWORD until = GetTickCount() + 3000;
  MSG msg;
  while (!life.gone && static_cast<LONG>(until - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
  }
  painted = life.painted;
  if (!life.gone) {
    DestroyWindow(window);
    return -1;
  }
  return static_cast<double>(life.destroyed.QuadPart - start.QuadPart) * 1e6 / frequency;
}

int Bench(const char* file, int count, std::string_view mode) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = BenchProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QxHookBench";
  if (RegisterClassW(&windowClass) == 0) return 2;
  FILE* out = std::fopen(file, "w");
  if (out == nullptr) return 2;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < count; ++i) {
    bool painted = false;
    const double micros = OneKill(i, mode == "caption", mode == "self", painted,
                                  static_cast<double>(frequency.QuadPart));
    std::fprintf(out, "%.1f %d\n", micros, painted ? 1 : 0);
  }
  std::fclose(out);
  return 0;
}

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
  if (argc == 5 && std::string_view(argv[1]) == "bench") {
    return Bench(argv[2], std::atoi(argv[3]), argv[4]);
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
