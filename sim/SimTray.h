#pragma once
// The notification area, pictures, the tray menu component and the input box
// of the simulated desktop. The user's menu choices are queued in advance;
// the input box's answers may be.

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Tray.h"
#include "sim/FailureInjector.h"
#include "sim/SimModalLoop.h"

namespace qx::sim {

class SimNotificationArea final : public NotificationArea {
 public:
  explicit SimNotificationArea(FailureInjector& failures) : failures_(failures) {}
  bool Add(const NotifyIconRecord& record) override;
  bool Modify(const NotifyIconRecord& record) override;
  bool Delete(const NotifyIconRecord& record) override;
  bool ShowBalloon(const NotifyIconRecord& record, std::wstring_view title,
                   std::wstring_view text) override;
  // The icon as shown, if one is.
  const std::optional<NotifyIconRecord>& Shown() const { return shown_; }
  struct Balloon {
    std::wstring title;
    std::wstring text;
  };
  // The notice shown last (a new one replaces it, as on the real
  // notification area), and how many were shown in all.
  const std::optional<Balloon>& LastBalloon() const { return lastBalloon_; }
  std::size_t BalloonCount() const { return balloonCount_; }

 private:
  FailureInjector& failures_;
  std::optional<NotifyIconRecord> shown_;
  std::optional<Balloon> lastBalloon_;
  std::size_t balloonCount_ = 0;
};

class SimPictures final : public Pictures {
 public:
  SimPictures(FailureInjector& failures, FileSystem& files) : failures_(failures), files_(files) {}
  PictureHandle BuiltIn(BuiltInPicture which) override;
  PictureHandle Load(std::wstring_view path) override;
  // "enabled", "disabled", "alert" for the built-in pictures, or the path a
  // picture was loaded from; "" for no picture.
  std::wstring NameOf(PictureHandle handle) const;

 private:
  FailureInjector& failures_;
  FileSystem& files_;
  std::map<PictureHandle, std::wstring> loaded_;
  PictureHandle next_ = 100;
};

class SimPopupMenu final : public PopupMenu {
 public:
  struct Entry {
    std::wstring caption;
    int image = -1;
    std::wstring key;
    int parent = 0;  // the entry whose submenu this is; 0: the menu itself
    bool enabled = true;
  };
  SimPopupMenu(FailureInjector& failures, std::deque<std::wstring>& choices)
      : failures_(failures), choices_(choices) {}
  void SetOwner(Hwnd owner, Hwnd trayWindow) override;
  void SetOption(int value) override;
  void AddEntry(std::wstring_view caption, int image, std::wstring_view key) override;
  int ShowAt(int x, int y) override;
  std::wstring KeyOf(int index) override;
  int IndexOf(std::wstring_view key) override;
  void SetImage(int index, int image) override;
  void SetCaption(int index, std::wstring_view caption) override;
  int AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) override;
  void ClearSubEntries(int parent) override;
  void SetEnabled(int index, bool enabled) override;
  const std::vector<Entry>& Entries() const { return entries_; }
  int TimesShown() const { return shown_; }

 private:
  Entry* At(int index);
  FailureInjector& failures_;
  std::deque<std::wstring>& choices_;
  std::vector<Entry> entries_;
  int shown_ = 0;
};

class SimPopupMenus final : public PopupMenuFactory {
 public:
  explicit SimPopupMenus(FailureInjector& failures) : failures_(failures) {}
  std::unique_ptr<PopupMenu> Create() override;
  // The key the user picks the next time a menu shows ("" picks nothing).
  void QueueChoice(std::wstring key) { choices_.push_back(std::move(key)); }
  // Choices a menu that never showed did not take.
  void ClearChoices() { choices_.clear(); }
  // The menu made last, while it lives.
  SimPopupMenu* Last() const { return live_.empty() ? nullptr : live_.back(); }
  // The newest live menu with an entry of this key (the tray menu has
  // "enabled"; the options dialog's list menus have their own).
  SimPopupMenu* WithKey(std::wstring_view key) const {
    for (auto it = live_.rbegin(); it != live_.rend(); ++it) {
      if ((*it)->IndexOf(key) > 0) return *it;
    }
    return nullptr;
  }
  void Forget(SimPopupMenu* menu) { std::erase(live_, menu); }

 private:
  FailureInjector& failures_;
  std::deque<std::wstring> choices_;
  std::vector<SimPopupMenu*> live_;
};

struct AskedInput {
  std::wstring prompt;
  std::wstring title;
  std::wstring defaultText;
};

// The box's modal loop takes a queued answer first; without one it runs the
// driver's steps (a scenario's) until one closes the box, or, with no
// driver, the user cancels.
class SimInputBox final : public InputBox {
 public:
  SimInputBox(FailureInjector& failures, SimModalLoop& loop) : failures_(failures), loop_(loop) {}
  void ShowModal(FormModel& box) override;
  // None: the user cancels.
  void QueueAnswer(std::optional<std::wstring> answer) { answers_.push_back(std::move(answer)); }
  const std::vector<AskedInput>& Asked() const { return asked_; }

 private:
  bool ApplyAnswer(FormModel& box);

  FailureInjector& failures_;
  SimModalLoop& loop_;
  std::deque<std::optional<std::wstring>> answers_;
  std::vector<AskedInput> asked_;
};

}  // namespace qx::sim
