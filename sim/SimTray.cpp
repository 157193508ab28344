#include "sim/SimTray.h"

#include "platform/MenuEntries.h"
#include "platform/PlatformError.h"
#include "ui/FormModel.h"

namespace qx::sim {

bool SimNotificationArea::Add(const NotifyIconRecord& record) {
  failures_.Check("Tray.Add");
  if (shown_) return false;
  shown_ = record;
  return true;
}

bool SimNotificationArea::Modify(const NotifyIconRecord& record) {
  failures_.Check("Tray.Modify");
  // A modify before the icon was added fails, as it does on Windows.
  if (!shown_) return false;
  shown_ = record;
  return true;
}

bool SimNotificationArea::Delete(const NotifyIconRecord& /*record*/) {
  failures_.Check("Tray.Delete");
  const bool had = shown_.has_value();
  shown_.reset();
  return had;
}

bool SimNotificationArea::ShowBalloon(const NotifyIconRecord& /*record*/, std::wstring_view title,
                                      std::wstring_view text) {
  failures_.Check("Tray.ShowBalloon");
  // A notice belongs to an icon: without one there is nothing to show it on.
  if (!shown_) return false;
  lastBalloon_ = Balloon{std::wstring(title), std::wstring(text)};
  ++balloonCount_;
  return true;
}

PictureHandle SimPictures::BuiltIn(BuiltInPicture which) {
  switch (which) {
    case BuiltInPicture::Enabled:
      return 1;
    case BuiltInPicture::Disabled:
      return 2;
    case BuiltInPicture::Alert:
      break;
  }
  return 3;
}

PictureHandle SimPictures::Load(std::wstring_view path) {
  failures_.Check("Pictures.Load");
  if (!files_.Exists(path)) {
    throw PlatformError(kErrFileNotFound, L"File not found: " + std::wstring(path), L"Pictures");
  }
  const PictureHandle handle = next_++;
  loaded_[handle] = std::wstring(path);
  return handle;
}

std::wstring SimPictures::NameOf(PictureHandle handle) const {
  switch (handle) {
    case 0:
      return L"";
    case 1:
      return L"enabled";
    case 2:
      return L"disabled";
    case 3:
      return L"alert";
    default:
      break;
  }
  const auto it = loaded_.find(handle);
  return it == loaded_.end() ? L"" : it->second;
}

void SimPopupMenu::SetOwner(Hwnd, Hwnd) {
  failures_.Check("Menu.SetOwner");
}
void SimPopupMenu::SetOption(int) {
  failures_.Check("Menu.SetOption");
}

void SimPopupMenu::AddEntry(std::wstring_view caption, int image, std::wstring_view key) {
  failures_.Check("Menu.AddEntry");
  entries_.push_back({std::wstring(caption), image, std::wstring(key)});
}

int SimPopupMenu::ShowAt(int, int) {
  failures_.Check("Menu.ShowAt");
  ++shown_;
  if (choices_.empty()) return 0;
  const std::wstring key = choices_.front();
  choices_.pop_front();
  const int index = key.empty() ? 0 : IndexOf(key);
  return Choosable(entries_, index) ? index : 0;
}

int SimPopupMenu::AddSubEntry(int parent, std::wstring_view caption, std::wstring_view key) {
  failures_.Check("Menu.AddSubEntry");
  if (At(parent) == nullptr) throw PlatformError(kErrInvalidCall, L"No such menu entry", L"Menu");
  entries_.push_back({std::wstring(caption), -1, std::wstring(key), parent});
  return static_cast<int>(entries_.size());
}

void SimPopupMenu::ClearSubEntries(int parent) {
  failures_.Check("Menu.ClearSubEntries");
  DropSubEntries(entries_, parent);
}

void SimPopupMenu::SetEnabled(int index, bool enabled) {
  failures_.Check("Menu.SetEnabled");
  if (Entry* e = At(index)) e->enabled = enabled;
}

SimPopupMenu::Entry* SimPopupMenu::At(int index) {
  if (index < 1 || static_cast<std::size_t>(index) > entries_.size()) return nullptr;
  return &entries_[static_cast<std::size_t>(index - 1)];
}

std::wstring SimPopupMenu::KeyOf(int index) {
  failures_.Check("Menu.KeyOf");
  const Entry* e = At(index);
  if (e == nullptr) throw PlatformError(kErrInvalidCall, L"No such menu entry", L"Menu");
  return e->key;
}

int SimPopupMenu::IndexOf(std::wstring_view key) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (!key.empty() && entries_[i].key == key) return static_cast<int>(i + 1);
  }
  return 0;
}

void SimPopupMenu::SetImage(int index, int image) {
  failures_.Check("Menu.SetImage");
  if (Entry* e = At(index)) e->image = image;
}

void SimPopupMenu::SetCaption(int index, std::wstring_view caption) {
  failures_.Check("Menu.SetCaption");
  if (Entry* e = At(index)) e->caption = caption;
}

namespace {

// Lets the factory know when the program drops its menu.
class OwnedMenu final : public PopupMenu {
 public:
  OwnedMenu(SimPopupMenus& owner, std::unique_ptr<SimPopupMenu> menu)
      : owner_(owner), menu_(std::move(menu)) {}
  ~OwnedMenu() override { owner_.Forget(menu_.get()); }
  void SetOwner(Hwnd o, Hwnd t) override { menu_->SetOwner(o, t); }
  void SetOption(int v) override { menu_->SetOption(v); }
  void AddEntry(std::wstring_view c, int i, std::wstring_view k) override {
    menu_->AddEntry(c, i, k);
  }
  int ShowAt(int x, int y) override { return menu_->ShowAt(x, y); }
  std::wstring KeyOf(int i) override { return menu_->KeyOf(i); }
  int IndexOf(std::wstring_view k) override { return menu_->IndexOf(k); }
  void SetImage(int i, int im) override { menu_->SetImage(i, im); }
  void SetCaption(int i, std::wstring_view c) override { menu_->SetCaption(i, c); }
  int AddSubEntry(int p, std::wstring_view c, std::wstring_view k) override {
    return menu_->AddSubEntry(p, c, k);
  }
  void ClearSubEntries(int p) override { menu_->ClearSubEntries(p); }
  void SetEnabled(int i, bool e) override { menu_->SetEnabled(i, e); }

 private:
  SimPopupMenus& owner_;
  std::unique_ptr<SimPopupMenu> menu_;
};

}  // namespace

std::unique_ptr<PopupMenu> SimPopupMenus::Create() {
  failures_.Check("Menu.Create");
  auto menu = std::make_unique<SimPopupMenu>(failures_, choices_);
  live_.push_back(menu.get());
  return std::make_unique<OwnedMenu>(*this, std::move(menu));
}

bool SimInputBox::ApplyAnswer(FormModel& box) {
  if (answers_.empty()) return false;
  const std::optional<std::wstring> answer = std::move(answers_.front());
  answers_.pop_front();
  try {
    if (answer) {
      box.Type(L"InputText", *answer);
      box.Click(L"OK");
    } else {
      box.Click(L"Cancel");
    }
  } catch (const UiError&) {
    // The box does not take it now: the answer is spent.
  }
  return true;
}

void SimInputBox::ShowModal(FormModel& box) {
  failures_.Check("Dialogs.InputBox");
  const Control* prompt = box.Find(L"Prompt");
  const Control* text = box.Find(L"InputText");
  asked_.push_back({prompt != nullptr ? prompt->caption : L"", box.Caption(),
                    text != nullptr ? text->text : L""});
  loop_.Run(
      box, [&] { return ApplyAnswer(box); }, [&] { box.Click(L"Cancel"); });
}

}  // namespace qx::sim
