#include "win32/ports/WinPictures.h"

#include <string>

#include "win32/ports/WinError.h"

namespace qx::win {
namespace {

constexpr int kSize = 16;

HICON IconFromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  HBITMAP mask = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
  if (mask == nullptr) return nullptr;
  // An all-black mask: every pixel of the picture shows.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  PatBlt(dc, 0, 0, info.bmWidth, info.bmHeight, BLACKNESS);
  SelectObject(dc, old);
  DeleteDC(dc);
  ICONINFO icon{};
  icon.fIcon = TRUE;
  icon.hbmMask = mask;
  icon.hbmColor = bitmap;
  HICON result = CreateIconIndirect(&icon);
  DeleteObject(mask);
  return result;
}

}  // namespace

WinPictures::~WinPictures() {
  for (HICON icon : builtIn_)
    if (icon != nullptr) DestroyIcon(icon);
  for (HICON icon : loaded_)
    DestroyIcon(icon);
}

PictureHandle WinPictures::BuiltIn(BuiltInPicture which) {
  const auto index = static_cast<std::size_t>(which);
  if (builtIn_[index] == nullptr) {
    builtIn_[index] = static_cast<HICON>(
        LoadImageW(module_, MAKEINTRESOURCEW(ids_[index]), IMAGE_ICON, kSize, kSize, 0));
    if (builtIn_[index] == nullptr)
      throw Win32Error(L"Pictures.BuiltIn", GetLastError(), kErrInvalidCall);
  }
  return reinterpret_cast<PictureHandle>(builtIn_[index]);
}

PictureHandle WinPictures::Load(std::wstring_view path) {
  const std::wstring file(path);
  HICON icon = static_cast<HICON>(
      LoadImageW(nullptr, file.c_str(), IMAGE_ICON, kSize, kSize, LR_LOADFROMFILE));
  DWORD error = GetLastError();
  if (icon == nullptr) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bitmap != nullptr) {
      icon = IconFromBitmap(bitmap);
      error = GetLastError();
      DeleteObject(bitmap);
    }
  }
  if (icon == nullptr) {
    // A file that is there but is no picture is an invalid picture (481).
    const bool exists = GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (exists) throw PlatformError(481, L"Invalid picture", L"Pictures.Load");
    throw Win32Error(L"Pictures.Load", error == 0 ? ERROR_FILE_NOT_FOUND : error);
  }
  loaded_.push_back(icon);
  return reinterpret_cast<PictureHandle>(icon);
}

}  // namespace qx::win
