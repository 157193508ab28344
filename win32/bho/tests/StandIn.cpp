// Stands in for Quellix.exe in the browser helper's and the installer's tests.
// It records its command line in "started.txt" beside itself, then behaves
// like the program at start-up: it takes the instance mutex (only once the
// test signals "go", when the test made that event) and shows no window but
// the hidden main form's (message-only), whose WM_CLOSE it records as "closed" before ending.
// It also ends when the test signals "exit", or after a minute.
// Started with "elsewhere" it stands for a copy in another session: no
// instance mutex and a form the installer's FindWindow cannot find, only
// the close event the real program makes. With "stubborn" it has neither
// and ignores WM_CLOSE: only force ends it.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/InstanceName.h"
#include "win32/program/CloseRequest.h"

namespace {

std::wstring Record() {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring path(self, length);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"started.txt";
}

void Append(const std::wstring& line) {
  if (FILE* f = _wfopen(Record().c_str(), L"a")) {
    std::fputws((line + L"\n").c_str(), f);
    std::fclose(f);
  }
}

LRESULT CALLBACK StubbornProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    Append(L"closed");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring line;
  for (int i = 1; args != nullptr && i < count; ++i) {
    line += (i > 1 ? L" " : L"") + std::wstring(args[i]);
  }
  LocalFree(args);
  Append(line);

  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\QuellixStandIn.Go");
  HANDLE exit = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\QuellixStandIn.Exit");
  if (go != nullptr) WaitForSingleObject(go, 20000);
  const bool elsewhere = line == L"elsewhere";
  const bool stubborn = line == L"stubborn";
  const std::wstring mutexName(qx::kInstanceMutexName);
  HANDLE mutex = elsewhere || stubborn ? nullptr : CreateMutexW(nullptr, FALSE, mutexName.c_str());

  // Started by the browser helper ("auto") it needs no window; the
  // installer's tests start it bare and close it through its form.
  const bool form = line != L"auto";
  const std::wstring className = elsewhere  ? L"QuellixElsewhere"
                                 : stubborn ? L"QuellixStubborn"
                                            : std::wstring(qx::kMainWindowClass);
  WNDCLASSW formClass{};
  formClass.lpfnWndProc = stubborn ? StubbornProc : FormProc;
  formClass.hInstance = instance;
  formClass.lpszClassName = className.c_str();
  if (form) RegisterClassW(&formClass);
  // A message-only window: it needs no desktop, so no desktop process is
  // started on its behalf (under Wine that process would outlive the test).
  const HWND window = form ? CreateWindowExW(0, className.c_str(), L"Quellix", 0, 0, 0, 0, 0,
                                             HWND_MESSAGE, nullptr, instance, nullptr)
                           : nullptr;
  const qx::win::CloseRequest closeRequest(elsewhere ? window : nullptr);

  const ULONGLONG end = GetTickCount64() + 60000;
  for (bool running = true; running && GetTickCount64() < end;) {
    const DWORD handles = exit != nullptr ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjects(handles, &exit, FALSE, 1000, QS_ALLINPUT);
    if (handles == 1 && woke == WAIT_OBJECT_0) break;
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
      if (msg.message == WM_QUIT) running = false;
      DispatchMessageW(&msg);
    }
  }
  if (mutex != nullptr) CloseHandle(mutex);
  return 0;
}
