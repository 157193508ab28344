#pragma once
// The notification area, pictures, the pop-up menu component and the input
// box, as the tray icon and the main menu use them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace qx {

using PictureHandle = std::uintptr_t;  // 0: no picture

// The notification-icon record in its first, 88-byte layout.
struct NotifyIconRecord {
  std::uint32_t cbSize = 88;
  Hwnd hWnd = 0;
  std::uint32_t uID = 1;
  std::uint32_t uFlags = 7;  // callback message, icon and tip are valid
  std::uint32_t uCallbackMessage = 0x200;
  PictureHandle hIcon = 0;
  std::wstring szTip;  // at most 63 characters and the NUL
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  // Shell_NotifyIcon with NIM_ADD, NIM_MODIFY, NIM_DELETE; false on failure.
  virtual bool Add(const NotifyIconRecord& record) = 0;
  virtual bool Modify(const NotifyIconRecord& record) = 0;
  virtual bool Delete(const NotifyIconRecord& record) = 0;
  // A balloon notice over the icon (NIM_MODIFY with NIF_INFO): a title of at
  // most 63 characters and a text of at most 255. It never takes the focus;
  // a click on it comes back as the callback message with
  // kBalloonUserClick. False on failure.
  virtual bool ShowBalloon(const NotifyIconRecord& record, std::wstring_view title,
                           std::wstring_view text) = 0;
};

// NIN_BALLOONUSERCLICK (WM_USER + 5): the user clicked the balloon.
inline constexpr std::uint32_t kBalloonUserClick = 0x405;

enum class BuiltInPicture { Enabled, Disabled, Alert };

class Pictures {
 public:
  virtual ~Pictures() = default;
  virtual PictureHandle BuiltIn(BuiltInPicture which) = 0;
  // Loads a picture file; throws PlatformError when it cannot be loaded.
  virtual PictureHandle Load(std::wstring_view path) = 0;
};

// The pop-up menu component of the tray menu.
class PopupMenu {
 public:
  virtual ~PopupMenu() = default;
  virtual void SetOwner(Hwnd owner, Hwnd trayWindow) = 0;
  virtual void SetOption(int value) = 0;
  // A caption beginning with "-" is a separator; text after the dash heads
  // the next group. Image -1: none.
  virtual void AddEntry(std::wstring_view caption, int image, std::wstring_view key) = 0;
  // Shows the menu at a screen point; the chosen entry's index (from 1), or
  // 0 or less when nothing was chosen.
  virtual int ShowAt(int x, int y) = 0;
  virtual std::wstring KeyOf(int index) = 0;
  virtual int IndexOf(std::wstring_view key) = 0;
  virtual void SetImage(int index, int image) = 0;
  virtual void SetCaption(int index, std::wstring_view caption) = 0;
  // Adds an entry to the submenu of the entry at parent (which then opens
  // that submenu instead of being chosen) and answers its index; indices go
  // on after every entry added so far.
  virtual int AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) = 0;
  // Removes the submenu of the entry at parent, with its own submenus; the
  // indices of entries added after the removed ones move down.
  virtual void ClearSubEntries(int parent) = 0;
  // A greyed entry is shown but cannot be chosen.
  virtual void SetEnabled(int index, bool enabled) = 0;
};

class PopupMenuFactory {
 public:
  virtual ~PopupMenuFactory() = default;
  virtual std::unique_ptr<PopupMenu> Create() = 0;
};

class FormModel;

// The system's input box. Its contents (prompt, title, text) are a
// presentation model (InputBoxForm) that the view shows.
class InputBox {
 public:
  virtual ~InputBox() = default;
  // Shows the box modally: the shell's messages run until the form hides
  // itself or is unloaded.
  virtual void ShowModal(FormModel& box) = 0;
};

}  // namespace qx
