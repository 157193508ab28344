#include "win32/ports/WinShell.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

void Execute(const wchar_t* file, const wchar_t* parameters, const wchar_t* source) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWNORMAL));
  // Results up to 32 are the old error numbers, which equal the system's
  // error codes for the common cases.
  if (result <= 32) {
    const DWORD code = result == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<DWORD>(result);
    throw Win32Error(source, code);
  }
}

}  // namespace

void WinShell::Open(std::wstring_view target) {
  if (target.empty()) throw Win32Error(L"Shell.Open", ERROR_FILE_NOT_FOUND);
  Execute(std::wstring(target).c_str(), nullptr, L"Shell.Open");
}

void WinShell::ShowHelp(std::wstring_view chmTopic) {
  // hh.exe takes its whole command line as the location; quotes keep a folder
  // with blanks together.
  const std::wstring parameters = L"\"" + std::wstring(chmTopic) + L"\"";
  Execute(L"hh.exe", parameters.c_str(), L"Shell.ShowHelp");
}

}  // namespace qx::win
