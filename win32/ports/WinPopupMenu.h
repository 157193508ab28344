#pragma once
// The tray menu component: a pop-up menu with pictures beside the entries,
// group headings shown as greyed entries, and submenus. Each entry's
// command identifier is its index, so the chosen command is the answer.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Tray.h"

namespace qx::win {

class WinPopupMenuFactory final : public PopupMenuFactory {
 public:
  // Image i of an entry is the bitmap resource firstBitmapId + i in module.
  WinPopupMenuFactory(HINSTANCE module, int firstBitmapId)
      : module_(module), firstBitmapId_(firstBitmapId) {}
  ~WinPopupMenuFactory() override;
  WinPopupMenuFactory(const WinPopupMenuFactory&) = delete;
  WinPopupMenuFactory& operator=(const WinPopupMenuFactory&) = delete;

  std::unique_ptr<PopupMenu> Create() override;
  // The bitmap of an image index; none when there is none.
  HBITMAP Image(int image);

 private:
  HINSTANCE module_;
  int firstBitmapId_;
  std::map<int, HBITMAP> images_;
};

class WinPopupMenu final : public PopupMenu {
 public:
  explicit WinPopupMenu(WinPopupMenuFactory& images);
  ~WinPopupMenu() override;
  WinPopupMenu(const WinPopupMenu&) = delete;
  WinPopupMenu& operator=(const WinPopupMenu&) = delete;

  void SetOwner(Hwnd owner, Hwnd trayWindow) override;
  // Has no meaning for this component; kept for whoever asks.
  void SetOption(int value) override { option_ = value; }
  void AddEntry(std::wstring_view caption, int image, std::wstring_view key) override;
  int ShowAt(int x, int y) override;
  std::wstring KeyOf(int index) override;
  int IndexOf(std::wstring_view key) override;
  void SetImage(int index, int image) override;
  void SetCaption(int index, std::wstring_view caption) override;
  int AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) override;
  void ClearSubEntries(int parent) override;
  void SetEnabled(int index, bool enabled) override;

  HMENU Handle() const { return menu_; }
  int Option() const { return option_; }

 private:
  struct Entry {
    std::wstring caption;
    int image = -1;
    std::wstring key;
    int parent = 0;  // the entry whose submenu holds it; 0: the menu itself
    bool enabled = true;
    HMENU container = nullptr;  // the menu its item sits in
    HMENU submenu = nullptr;    // the menu it opens, once it has entries
  };
  Entry& At(int index, const wchar_t* source);
  // Adds the entry and its item; its index.
  int Append(Entry entry);
  // Appends the item of the entry at index to its menu.
  void Place(int index);
  // The menu the entries of parent go into (0: the menu itself); made and
  // hung on the parent's item on first use. Null when the parent shows no
  // item (a bare separator).
  HMENU MenuFor(int parent);
  void SetItem(int index, const MENUITEMINFOW& item, const wchar_t* source);

  WinPopupMenuFactory& images_;
  HMENU menu_ = nullptr;
  HWND owner_ = nullptr;
  int option_ = 0;
  std::vector<Entry> entries_;
};

}  // namespace qx::win
