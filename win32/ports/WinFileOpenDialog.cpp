#include "win32/ports/WinFileOpenDialog.h"

#include <windows.h>
// windows.h first: commdlg.h needs its types.
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "win32/ports/WinError.h"

namespace qx::win {

std::wstring SystemFilter(std::wstring_view filter) {
  if (filter.empty()) return std::wstring(2, L'\0');
  std::wstring out(filter);
  std::replace(out.begin(), out.end(), L'|', L'\0');
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::optional<std::wstring> WinFileOpenDialog::Show(const FileOpenRequest& request) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::size_t n = std::min(request.fileName.size(), file.size() - 1);
  std::copy_n(request.fileName.data(), n, file.data());
  const std::wstring filter = SystemFilter(request.filter);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  // Over the dialog the user asked from, which waits for the choice.
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = request.flags | OFN_EXPLORER;
  if (request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) {
    return std::wstring(file.data());
  }
  const DWORD error = CommDlgExtendedError();
  if (error == 0) return std::nullopt;
  throw PlatformError(kErrInvalidCall, L"The file dialog failed (" + std::to_wstring(error) + L")",
                      L"FileOpenDialog.Show");
}

}  // namespace qx::win
