#pragma once
// The common file dialog, for opening a file or for saving one.

#include <cstdint>
#include <optional>
#include <string>

namespace qx {

struct FileOpenRequest {
  std::wstring title;
  // Pairs of description and pattern, separated by "|".
  std::wstring filter;
  std::uint32_t flags = 0;
  std::wstring initialFolder;
  std::wstring fileName;
  // The save form of the dialog: the user names a file to write.
  bool save = false;
  // Added to a typed name without one ("txt").
  std::wstring defaultExtension;
};

inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2;
inline constexpr std::uint32_t kOfnHideReadOnly = 0x4;
inline constexpr std::uint32_t kOfnPathMustExist = 0x800;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;

class FileOpenDialog {
 public:
  virtual ~FileOpenDialog() = default;
  // Shows the dialog modally; the chosen (or named) file's full path, or
  // none when the user cancels.
  virtual std::optional<std::wstring> Show(const FileOpenRequest& request) = 0;
};

}  // namespace qx
