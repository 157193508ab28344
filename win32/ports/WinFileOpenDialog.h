#pragma once
// The common file dialog (GetOpenFileName, or GetSaveFileName to save).

#include "platform/FileOpenDialog.h"

namespace qx::win {

class WinFileOpenDialog final : public FileOpenDialog {
 public:
  // None when the user cancels; PlatformError when the dialog fails.
  std::optional<std::wstring> Show(const FileOpenRequest& request) override;
};

// "Text|*.txt|All|*.*" in the system's form: pairs separated by NULs, two
// NULs at the end.
std::wstring SystemFilter(std::wstring_view filter);

}  // namespace qx::win
