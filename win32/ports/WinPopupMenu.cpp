#include "win32/ports/WinPopupMenu.h"

#include <utility>

#include "platform/MenuEntries.h"
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
  // DestroyMenu destroys the submenus too.
  DestroyMenu(menu_);
}

void WinPopupMenu::SetOwner(Hwnd owner, Hwnd /*trayWindow*/) {
  owner_ = reinterpret_cast<HWND>(owner);
}

namespace {

bool IsSeparator(std::wstring_view caption) {
  return !caption.empty() && caption[0] == L'-';
}

}  // namespace

void WinPopupMenu::AddEntry(std::wstring_view caption, int image, std::wstring_view key) {
  Append({std::wstring(caption), image, std::wstring(key)});
}

int WinPopupMenu::AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) {
  At(parent, L"PopupMenu.AddSubEntry");
  return Append({std::wstring(caption), -1, std::wstring(key), parent});
}

int WinPopupMenu::Append(Entry entry) {
  entries_.push_back(std::move(entry));
  const int index = static_cast<int>(entries_.size());
  try {
    Place(index);
  } catch (const PlatformError&) {
    // An entry the menu could not take is not there: indices stay in step.
    entries_.pop_back();
    throw;
  }
  return index;
}

HMENU WinPopupMenu::MenuFor(int parent) {
  if (parent == 0) return menu_;
  Entry& p = entries_[static_cast<std::size_t>(parent - 1)];
  if (p.submenu != nullptr) return p.submenu;
  if (p.container == nullptr || p.caption == L"-") return nullptr;
  HMENU submenu = CreatePopupMenu();
  if (submenu == nullptr)
    throw Win32Error(L"PopupMenu.AddSubEntry", GetLastError(), kErrInvalidCall);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_SUBMENU;
  item.hSubMenu = submenu;
  if (!SetMenuItemInfoW(p.container, static_cast<UINT>(parent), FALSE, &item)) {
    const DWORD error = GetLastError();
    DestroyMenu(submenu);
    throw Win32Error(L"PopupMenu.AddSubEntry", error, kErrInvalidCall);
  }
  p.submenu = submenu;
  return submenu;
}

void WinPopupMenu::Place(int index) {
  Entry& e = entries_[static_cast<std::size_t>(index - 1)];
  HMENU menu = MenuFor(e.parent);
  e.container = menu;
  // Under a bare separator there is no item to open a submenu from.
  if (menu == nullptr) return;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
  item.wID = static_cast<UINT>(index);
  std::wstring text;
  if (IsSeparator(e.caption)) {
    // A separator line, then the group's heading as a greyed entry. A
    // menu's first line needs no separator above it.
    if (GetMenuItemCount(menu) > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (e.caption.size() == 1) return;
    text = e.caption.substr(1);
    item.fState = MFS_DISABLED;
  } else {
    text = e.caption;
    item.fMask |= MIIM_BITMAP;
    item.hbmpItem = images_.Image(e.image);
    item.fState = e.enabled ? MFS_ENABLED : MFS_DISABLED;
  }
  item.dwTypeData = text.data();
  if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item))
    throw Win32Error(L"PopupMenu.AddEntry", GetLastError(), kErrInvalidCall);
}

void WinPopupMenu::ClearSubEntries(int parent) {
  At(parent, L"PopupMenu.ClearSubEntries");
  DropSubEntries(entries_, parent);
  // The identifiers are the indices, which have moved: the items are made
  // again. DeleteMenu destroys the submenu an item opens.
  // https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-deletemenu
  while (GetMenuItemCount(menu_) > 0)
    DeleteMenu(menu_, 0, MF_BYPOSITION);
  for (Entry& e : entries_) {
    e.container = nullptr;
    e.submenu = nullptr;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i)
    Place(static_cast<int>(i + 1));
}

void WinPopupMenu::SetEnabled(int index, bool enabled) {
  Entry& e = At(index, L"PopupMenu.SetEnabled");
  e.enabled = enabled;
  // A heading stays greyed.
  if (IsSeparator(e.caption)) return;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STATE;
  item.fState = enabled ? MFS_ENABLED : MFS_DISABLED;
  SetItem(index, item, L"PopupMenu.SetEnabled");
}

void WinPopupMenu::SetItem(int index, const MENUITEMINFOW& item, const wchar_t* source) {
  const Entry& e = At(index, source);
  // Only an entry under a bare separator has no menu: it shows nowhere.
  if (e.container == nullptr) return;
  if (!SetMenuItemInfoW(e.container, static_cast<UINT>(index), FALSE, &item))
    throw Win32Error(source, GetLastError(), kErrInvalidCall);
}

int WinPopupMenu::ShowAt(int x, int y) {
  // The system answers only a command the user could choose: not a greyed
  // entry, a heading, or an entry that opens a submenu.
  const BOOL chosen = TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0,
                                     owner_, nullptr);
  return chosen > 0 && chosen <= static_cast<BOOL>(entries_.size()) ? static_cast<int>(chosen) : 0;
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
  SetItem(index, item, L"PopupMenu.SetImage");
}

void WinPopupMenu::SetCaption(int index, std::wstring_view caption) {
  At(index, L"PopupMenu.SetCaption").caption = caption;
  std::wstring text(caption);
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = text.data();
  SetItem(index, item, L"PopupMenu.SetCaption");
}

}  // namespace qx::win
