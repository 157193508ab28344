#include "win32/ports/WinPopupMenu.h"

#include "win32/ports/WinError.h"

namespace qx::win {

WinPopupMenuFactory::~WinPopupMenuFactory() {
  for (auto& [image, bitmap] : images_)
    if (bitmap != nullptr) DeleteObject(bitmap);
}

std::unique_ptr<PopupMenu> WinPopupMenuFactory::Create() {
  return std::make_unique<WinPopupMenu>(*this);
}

HBITMAP WinPopupMenuFactory::Image(int image) {
  if (image < 0) return nullptr;
  const auto it = images_.find(image);
  if (it != images_.end()) return it->second;
  auto* bitmap = static_cast<HBITMAP>(LoadImageW(module_, MAKEINTRESOURCEW(firstBitmapId_ + image),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  images_[image] = bitmap;
  return bitmap;
}

WinPopupMenu::WinPopupMenu(WinPopupMenuFactory& images) : images_(images) {
  menu_ = CreatePopupMenu();
  if (menu_ == nullptr) throw Win32Error(L"PopupMenu", GetLastError(), kErrInvalidCall);
}

WinPopupMenu::~WinPopupMenu() {
  DestroyMenu(menu_);
}

void WinPopupMenu::SetOwner(Hwnd owner, Hwnd /*trayWindow*/) {
  owner_ = reinterpret_cast<HWND>(owner);
}

void WinPopupMenu::AddEntry(std::wstring_view caption, int image, std::wstring_view key) {
  entries_.push_back({std::wstring(caption), image, std::wstring(key)});
  const UINT id = static_cast<UINT>(entries_.size());
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  if (!caption.empty() && caption[0] == L'-') {
    // A separator line, then the group's heading as a greyed entry. The
    // menu's first line needs no separator above it.
    if (GetMenuItemCount(menu_) > 0) AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
    if (caption.size() > 1) {
      std::wstring heading(caption.substr(1));
      item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
      item.wID = id;
      item.fState = MFS_DISABLED;
      item.dwTypeData = heading.data();
      if (!InsertMenuItemW(menu_, GetMenuItemCount(menu_), TRUE, &item))
        throw Win32Error(L"PopupMenu.AddEntry", GetLastError(), kErrInvalidCall);
    }
    return;
  }
  std::wstring text(caption);
  item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
  item.wID = id;
  item.dwTypeData = text.data();
  item.hbmpItem = images_.Image(image);
  if (!InsertMenuItemW(menu_, GetMenuItemCount(menu_), TRUE, &item))
    throw Win32Error(L"PopupMenu.AddEntry", GetLastError(), kErrInvalidCall);
}

int WinPopupMenu::ShowAt(int x, int y) {
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0,
                                     owner_, nullptr);
  return chosen > 0 ? static_cast<int>(chosen) : 0;
}

WinPopupMenu::Entry& WinPopupMenu::At(int index, const wchar_t* source) {
  if (index < 1 || index > static_cast<int>(entries_.size()))
    throw PlatformError(kErrInvalidCall, L"Invalid procedure call or argument", source);
  return entries_[static_cast<std::size_t>(index - 1)];
}

std::wstring WinPopupMenu::KeyOf(int index) {
  return At(index, L"PopupMenu.KeyOf").key;
}

int WinPopupMenu::IndexOf(std::wstring_view key) {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].key == key) return static_cast<int>(i + 1);
  return 0;
}

void WinPopupMenu::SetImage(int index, int image) {
  At(index, L"PopupMenu.SetImage").image = image;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  item.hbmpItem = images_.Image(image);
  if (!SetMenuItemInfoW(menu_, static_cast<UINT>(index), FALSE, &item))
    throw Win32Error(L"PopupMenu.SetImage", GetLastError(), kErrInvalidCall);
}

void WinPopupMenu::SetCaption(int index, std::wstring_view caption) {
  At(index, L"PopupMenu.SetCaption").caption = caption;
  std::wstring text(caption);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = text.data();
  if (!SetMenuItemInfoW(menu_, static_cast<UINT>(index), FALSE, &item))
    throw Win32Error(L"PopupMenu.SetCaption", GetLastError(), kErrInvalidCall);
}

}  // namespace qx::win
