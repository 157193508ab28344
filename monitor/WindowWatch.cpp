// Windows of other programs that match a window rule, and web page dialogs
// that no user action asked for.

#include "base/Text.h"
#include "browser/NewWindowDecision.h"
#include "context/Process.h"
#include "monitor/MainForm.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

// "window rule: caption contains "you have won" (all programs)"
std::wstring WindowRuleReason(const Windows& rules, const std::wstring& exe,
                              const std::wstring& caption) {
  const Window* rule = nullptr;
  Step([&] { rule = rules.KillingRule(exe, caption); });
  if (rule == nullptr) return L"window rule";
  return std::wstring(L"window rule: caption ") +
         (rule->Status == kCaptionEquals ? L"is \"" : L"contains \"") + rule->Caption + L"\" (" +
         (rule->Program == kAllPrograms ? std::wstring(L"all programs") : L"this program") + L")";
}

}  // namespace

void MainForm::GetTextMsg(std::int32_t& hwnd) {
  if (closingDown_) return;
  std::size_t rules = 0;
  Step([&] { rules = process_.windows().Count(); });
  if (!BlockingActive() || rules == 0) return;
  const Hwnd window = HwndFromLong(hwnd);
  WindowInfo& info = process_.windowInfo();
  if (info.IsOwnProcessWindow(window)) return;
  const std::wstring exe = info.WindowExeName(window);
  const std::wstring caption = info.WindowCaption(window);
  // The same window with the same caption is examined once; a new window is
  // always examined, so a pop-up that reopens dies again.
  if (exe == lastWatchExe_ && caption == lastWatchCaption_ && window == lastWatchWindow_) return;
  lastWatchExe_ = exe;
  lastWatchCaption_ = caption;
  lastWatchWindow_ = window;
  bool kill = false;
  Step([&] { kill = process_.windows().Kill(exe, caption); });
  if (!kill) return;
  StopReport report;
  report.kind = StopKind::WindowRule;
  report.browser = false;
  report.source = exe;
  report.target = caption;
  report.reason = WindowRuleReason(process_.windows(), exe, caption);
  if (observer_) {
    observer_->Decided(L"window \"" + caption + L"\" of " + exe + L" killed", report.reason);
  }
  info.CloseWindow(window);
  PopupStopped(report);
}

void MainForm::NewWebDialogAdvise(std::int32_t& hwnd, std::int32_t& IEhWnd) {
  DialogRecord record;
  if (browserList_) record.snapshot = browserList_->ClickSnapshot(IEhWnd);
  record.owner = HwndFromLong(IEhWnd);
  record.dialog = HwndFromLong(hwnd);
  record.stamp = dialogAllowCounter_;
  dialogRing_[static_cast<std::size_t>(dialogRingNext_)] = record;
  dialogRingNext_ = (dialogRingNext_ + 1) % kDialogRingSize;
}

void MainForm::NewWebDialog(std::int32_t& hwnd, std::wstring& caption) {
  const Hwnd dialog = HwndFromLong(hwnd);
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
    // The caption ends in a character the hook library adds.
    const std::wstring title =
        caption.empty() ? std::wstring() : caption.substr(0, caption.size() - 1);
    StopReport report;
    report.kind = StopKind::WebDialog;
    report.source = record.location;
    report.target = L"\"" + title + L"\" (Web page dialog)";
    report.detail = title;
    report.reason = record.reason.empty() ? std::wstring(kReasonDialog) : record.reason;
    PopupStopped(report);
  } else {
    dialogAllowCounter_ = (dialogAllowCounter_ + 1) % 256;
  }
  if (dialogRing_[slot].dialog == dialog) {
    dialogRing_[slot].dialog = 0;
    dialogRing_[slot].owner = 0;
  }
}

}  // namespace qx
