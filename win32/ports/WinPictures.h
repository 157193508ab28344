#pragma once
// The tray pictures: three icons among the program's resources, and icon or
// bitmap files the user names.

#include <windows.h>

#include <array>
#include <vector>

#include "platform/Tray.h"

namespace qx::win {

class WinPictures final : public Pictures {
 public:
  // ids: the icon resources of the enabled, disabled and alert pictures in
  // module.
  WinPictures(HINSTANCE module, std::array<int, 3> ids) : module_(module), ids_(ids) {}
  ~WinPictures() override;
  WinPictures(const WinPictures&) = delete;
  WinPictures& operator=(const WinPictures&) = delete;

  PictureHandle BuiltIn(BuiltInPicture which) override;
  // An icon file (.ico), or a bitmap file turned into an icon.
  PictureHandle Load(std::wstring_view path) override;

 private:
  HINSTANCE module_;
  std::array<int, 3> ids_;
  std::array<HICON, 3> builtIn_{};
  std::vector<HICON> loaded_;
};

}  // namespace qx::win
