#pragma once
// The tray menu component: a pop-up menu with pictures beside the entries
// and group headings shown as greyed entries.

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

  HMENU Handle() const { return menu_; }
  int Option() const { return option_; }

 private:
  struct Entry {
    std::wstring caption;
    int image = -1;
    std::wstring key;
  };
  Entry& At(int index, const wchar_t* source);

  WinPopupMenuFactory& images_;
  HMENU menu_ = nullptr;
  HWND owner_ = nullptr;
  int option_ = 0;
  std::vector<Entry> entries_;
};

}  // namespace qx::win
