// Windows of other programs that match a window rule, and web page dialogs
// that no user action asked for.

#include "base/Text.h"
#include "monitor/MainForm.h"
#include "monitor/Process.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

Hwnd ToHwnd(std::int32_t handle) {
  return static_cast<Hwnd>(static_cast<std::uint32_t>(handle));
}

}  // namespace

void MainForm::GetTextMsg(std::int32_t& hwnd) {
  if (closingDown_) return;
  std::size_t rules = 0;
  Step([&] { rules = process_.windows().Count(); });
  if (!BlockingActive() || rules == 0) return;
  const Hwnd window = ToHwnd(hwnd);
  WindowInfo& info = process_.windowInfo();
  if (info.IsOwnProcessWindow(window)) return;
  const std::wstring exe = info.WindowExeName(window);
  const std::wstring caption = info.WindowCaption(window);
  // The program and caption examined last are not examined again, whichever
  // window carries them: a matching window that reopens with the same caption
  // right after is left alone until another program or caption comes between.
  if (exe == lastWatchExe_ && caption == lastWatchCaption_) return;
  lastWatchExe_ = exe;
  lastWatchCaption_ = caption;
  bool kill = false;
  Step([&] { kill = process_.windows().Kill(exe, caption); });
  if (!kill) return;
  info.CloseWindow(window);
  LogAdd(exe, caption, 2);
  OnPopupKilled();
}

void MainForm::NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) {
  DialogRecord record;
  if (browserList_) record.snapshot = browserList_->ClickSnapshot(IEhWnd);
  record.owner = ToHwnd(IEhWnd);
  record.dialog = ToHwnd(hwnd);
  record.stamp = dialogAllowCounter_;
  dialogRing_[static_cast<std::size_t>(dialogRingNext_)] = record;
  dialogRingNext_ = (dialogRingNext_ + 1) % kDialogRingSize;
}

void MainForm::NewWebDialog(std::int32_t& hwnd, std::wstring& caption) {
  const Hwnd dialog = ToHwnd(hwnd);
  std::size_t slot = 0;
  while (slot < dialogRing_.size() && dialogRing_[slot].dialog != dialog)
    ++slot;
  if (dialog == 0 || slot == dialogRing_.size()) return;
  // The decision may let messages run; work on this dialog's own copy.
  DialogRecord record = dialogRing_[slot];
  bool allowed = true;
  if (browserList_) {
    allowed = browserList_->DialogAllowedFor(static_cast<std::int64_t>(record.owner), record);
  }
  if (!allowed) {
    process_.windowInfo().CloseWindow(dialog);
    OnPopupKilled();
    if (process_.settings().KeepLog()) {
      const std::wstring title =
          caption.empty() ? std::wstring() : caption.substr(0, caption.size() - 1);
      LogAdd(record.location, L"\"" + title + L"\" (Web page dialog)", 1);
    }
  } else {
    dialogAllowCounter_ = (dialogAllowCounter_ + 1) % 256;
  }
  if (dialogRing_[slot].dialog == dialog) {
    dialogRing_[slot].dialog = 0;
    dialogRing_[slot].owner = 0;
  }
}

}  // namespace qx
