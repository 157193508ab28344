// Stands in for Quellix.exe in the browser helper's tests: it records its
// command line in "started.txt" beside itself, then behaves like the program
// at start-up, taking the instance mutex, but only when the test says "go",
// and ends when the test says "exit".

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "platform/InstanceName.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring record(self, length);
  record = record.substr(0, record.find_last_of(L'\\') + 1) + L"started.txt";

  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::wstring line;
  for (int i = 1; args != nullptr && i < count; ++i)
    line += (i > 1 ? L" " : L"") + std::wstring(args[i]);
  LocalFree(args);
  if (FILE* f = _wfopen(record.c_str(), L"a")) {
    std::fputws((line + L"\n").c_str(), f);
    std::fclose(f);
  }

  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\QuellixStandIn.Go");
  HANDLE exit = OpenEventW(SYNCHRONIZE, FALSE, L"Local\\QuellixStandIn.Exit");
  if (go != nullptr) WaitForSingleObject(go, 20000);
  const std::wstring name(qx::kInstanceMutexName);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (exit != nullptr) WaitForSingleObject(exit, 30000);
  if (mutex != nullptr) CloseHandle(mutex);
  return 0;
}
