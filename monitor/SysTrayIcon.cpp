#include "monitor/SysTrayIcon.h"

#include <algorithm>

#include "platform/PlatformError.h"

namespace qx {

SysTrayIcon::~SysTrayIcon() {
  RemoveIcon();
  if (mPic_ != nullptr) mPic_->OnChange(nullptr);
  mPic_ = nullptr;
}

void SysTrayIcon::SetPicBox(PictureBox* box) {
  if (mPic_ != nullptr) mPic_->OnChange(nullptr);
  mPic_ = box;
  if (box == nullptr) return;
  record_.hWnd = box->Window();
  record_.hIcon = box->Picture();
  box->OnChange([this] { PictureChanged(); });
}

void SysTrayIcon::SetTipText(std::wstring_view text) {
  std::wstring tip(text);
  if (tip.size() > 63) tip.resize(63);  // 64 characters with the NUL
  record_.szTip = tip;
  Step([&] { area_.Modify(record_); });
}

bool SysTrayIcon::ShowIcon() {
  if (mPic_ == nullptr) return false;
  Step([&] { area_.Add(record_); });
  return true;
}

namespace {

// The notification area's fields hold so many characters and the NUL; a cut
// never leaves half of a surrogate pair.
std::wstring Cut(std::wstring_view text, std::size_t most) {
  std::wstring cut(text.substr(0, std::min(text.size(), most)));
  if (cut.size() < text.size() && !cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) {
    cut.pop_back();
  }
  return cut;
}

}  // namespace

bool SysTrayIcon::ShowBalloon(std::wstring_view title, std::wstring_view text) {
  if (mPic_ == nullptr) return false;
  bool shown = false;
  Step([&] { shown = area_.ShowBalloon(record_, Cut(title, 63), Cut(text, 255)); });
  return shown;
}

void SysTrayIcon::RemoveIcon() {
  // A refused removal is ignored like every other notification-area call;
  // the unload handler and the destructor go on.
  Step([&] { area_.Delete(record_); });
}

void SysTrayIcon::PictureChanged() {
  if (mPic_ == nullptr) return;
  record_.hIcon = mPic_->Picture();
  Step([&] { area_.Modify(record_); });
}

void SysTrayIcon::OnCallback(std::uint32_t mouseMessage) {
  if (inEvent_) return;
  // Messages that arrive while an event is handled (a menu or a password box
  // pumps messages) are dropped.
  struct Guard {
    bool& flag;
    explicit Guard(bool& f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
  } guard(inEvent_);
  switch (mouseMessage) {
    case 0x201:
      events_.Lbuttondown();
      break;
    case 0x202:
      events_.Lbuttonup();
      break;
    case 0x203:
      events_.LButtonDblClick();
      break;
    case 0x204:
      events_.RButtonDown();
      break;
    case 0x205:
      events_.Rbuttonup();
      break;
    case 0x206:
      events_.RButtonDblClick();
      break;
    case kBalloonUserClick:
      events_.BalloonUserClick();
      break;
    default:
      break;
  }
}

}  // namespace qx
