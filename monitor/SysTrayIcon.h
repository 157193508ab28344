#pragma once
// The notification-area icon: its record, its tip, and the mouse messages the
// notification area reports for it.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Tray.h"

namespace qx {

// The picture box that carries the tray picture; a change of its picture is
// reported to whoever listens.
class PictureBox {
 public:
  explicit PictureBox(Hwnd window = 0) : window_(window) {}
  Hwnd Window() const { return window_; }
  PictureHandle Picture() const { return picture_; }
  void SetPicture(PictureHandle picture) {
    if (picture == picture_) return;
    picture_ = picture;
    if (onChange_) onChange_();
  }
  void OnChange(std::function<void()> listener) { onChange_ = std::move(listener); }

 private:
  Hwnd window_;
  PictureHandle picture_ = 0;
  std::function<void()> onChange_;
};

class SysTrayIconEvents {
 public:
  virtual ~SysTrayIconEvents() = default;
  virtual void Lbuttondown() {}
  virtual void Lbuttonup() {}
  virtual void LButtonDblClick() {}
  virtual void RButtonDown() {}
  virtual void Rbuttonup() {}
  virtual void RButtonDblClick() {}
  virtual void BalloonUserClick() {}
};

class SysTrayIcon {
 public:
  SysTrayIcon(NotificationArea& area, SysTrayIconEvents& events) : area_(area), events_(events) {}
  // Removes the icon and forgets the picture box.
  ~SysTrayIcon();
  SysTrayIcon(const SysTrayIcon&) = delete;
  SysTrayIcon& operator=(const SysTrayIcon&) = delete;

  void SetPicBox(PictureBox* box);
  const std::wstring& TipText() const { return record_.szTip; }
  // Cut to 63 characters and the NUL; the icon is modified at once.
  void SetTipText(std::wstring_view text);
  bool ShowIcon();
  // The notice over the icon; false when the notification area refuses it
  // or no icon is shown.
  bool ShowBalloon(std::wstring_view title, std::wstring_view text);
  void RemoveIcon();
  const NotifyIconRecord& Record() const { return record_; }

  // The callback message's mouse message: 0x201..0x206 raise their event,
  // as does a click on the balloon notice (kBalloonUserClick).
  void OnCallback(std::uint32_t mouseMessage);

 private:
  void PictureChanged();

  NotificationArea& area_;
  SysTrayIconEvents& events_;
  NotifyIconRecord record_;
  PictureBox* mPic_ = nullptr;
  bool inEvent_ = false;
};

}  // namespace qx
