// What follows a stop: the log and the count, the notice over the tray
// icon with its menu, the tray's "Recently blocked" submenu, and undoing a
// stop from either.

#include "base/Text.h"
#include "context/Process.h"
#include "monitor/MainForm.h"
#include "monitor/StartupModule.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

constexpr int kWebsitesTab = 4;
constexpr int kWindowsTab = 5;
constexpr std::wstring_view kRecentPrefix = L"recent.";

bool AboutWindows(const StopReport& report) {
  return report.kind == StopKind::WindowRule ||
         (report.kind == StopKind::HotKey && !report.browser);
}

// "Open Quellix Settings" where a rule must change; allowing the site where
// that undoes it.
void AddNoticeEntries(PopupMenu& menu, const StopReport& report) {
  const bool popup = report.kind == StopKind::Popup || report.kind == StopKind::WebDialog;
  if (popup && CanAllow(report)) {
    menu.AddEntry(L"Allow pop-ups from " + SourceName(report), -1, L"allow");
  }
  if (popup) {
    menu.AddEntry(L"Open the blocked pop-up", -1, L"open");
    if (!CanOpen(report)) menu.SetEnabled(menu.IndexOf(L"open"), false);
  } else {
    menu.AddEntry(L"Open Quellix Settings", -1, L"settings");
  }
  menu.AddEntry(L"-", -1, L"");
  menu.AddEntry(L"Don't show these notices", -1, L"quiet");
}

}  // namespace

void MainForm::PopupStopped(const StopReport& report) {
  if (report.logged) {
    Step([&] {
      process_.popupLog().Add(report.source, report.target, report.PopupType(), report.reason);
    });
    OnPopupKilled();
  }
  recent_.Add(report);
  ShowNotice(report);
}

void MainForm::ShowNotice(const StopReport& report) {
  // Never while blocking is off: what is stopped then is the user's own doing.
  if (!BlockingActive() || !process_.settings().ShowNotice() || !trayIcon_) return;
  const Notice& notice = notices_.Add(report, SecondsSinceStart());
  trayIcon_->ShowBalloon(notice.title, notice.text);
}

std::wstring MainForm::TrackMenu(PopupMenu& menu) {
  // The menu closes when the user clicks elsewhere only if the form is in
  // the foreground; the null message lets the next click through.
  Step([&] { platform_.desktop.SetForegroundWindow(window_); });
  int chosen = 0;
  Step([&] {
    int x = 0;
    int y = 0;
    platform_.desktop.CursorPos(x, y);
    chosen = menu.ShowAt(x, y);
  });
  Step([&] { platform_.desktop.PostNullMessage(window_); });
  std::wstring key;
  if (chosen > 0) Step([&] { key = menu.KeyOf(chosen); });
  return key;
}

void MainForm::BalloonUserClick() {
  if (closingDown_ || !notices_.Last()) return;
  const StopReport report = notices_.Last()->report;
  if (!Trim(process_.settings().AdminPassword()).empty() && !CheckAdminPassword()) return;
  std::unique_ptr<PopupMenu> menu;
  Step([&] {
    menu = platform_.menus.Create();
    menu->SetOwner(window_, trayPicture_.Window());
    AddNoticeEntries(*menu, report);
  });
  if (!menu) return;
  const std::wstring key = TrackMenu(*menu);
  if (!key.empty()) UndoStop(report, key);
}

void MainForm::UndoStop(const StopReport& report, const std::wstring& key) {
  if (key == L"allow" && CanAllow(report)) {
    Step([&] { process_.websites().Add(report.source, kAllowPopups, false); });
  } else if (key == L"open" && CanOpen(report)) {
    OpenDocument(platform_.shell, report.target);
  } else if (key == L"kill" && CanAlwaysKill(report)) {
    Step([&] {
      if (AboutWindows(report)) {
        process_.windows().Add(report.source, report.target, kCaptionEquals);
      } else {
        process_.websites().Add(report.target, kAlwaysKill, false);
      }
    });
  } else if (key == L"quiet") {
    Step([&] { process_.settings().SetShowNotice(false); });
  } else if (key == L"settings") {
    Step([&] { dialogs_.ShowOptions(AboutWindows(report) ? kWindowsTab : kWebsitesTab); });
  }
}

void MainForm::RefreshRecentMenu() {
  if (!popMenu_) return;
  PopupMenu& menu = *popMenu_;
  const int parent = menu.IndexOf(L"recent");
  if (parent <= 0) return;
  menu.ClearSubEntries(parent);
  if (recent_.Items().empty()) {
    menu.SetEnabled(menu.AddSubEntry(parent, L"(none)", L""), false);
    return;
  }
  int n = 1;
  for (const StopReport& report : recent_.Items()) {
    const std::wstring key = std::wstring(kRecentPrefix) + std::to_wstring(n++) + L".";
    const int entry = menu.AddSubEntry(parent, StopLabel(report), L"");
    menu.SetEnabled(menu.AddSubEntry(entry, L"Open", key + L"open"), CanOpen(report));
    menu.SetEnabled(menu.AddSubEntry(entry, L"Allow this site", key + L"allow"), CanAllow(report));
    menu.SetEnabled(menu.AddSubEntry(entry, L"Always kill this", key + L"kill"),
                    CanAlwaysKill(report));
  }
}

void MainForm::RecentCommand(const std::wstring& key) {
  // "recent.N.WHAT", N from 1, newest first.
  const std::wstring rest = key.substr(kRecentPrefix.size());
  const std::size_t dot = rest.find(L'.');
  if (dot == std::wstring::npos || dot == 0) return;
  std::size_t n = 0;
  for (std::size_t i = 0; i < dot; ++i) {
    if (rest[i] < L'0' || rest[i] > L'9') return;
    n = n * 10 + static_cast<std::size_t>(rest[i] - L'0');
  }
  if (n == 0 || n > recent_.Items().size()) return;
  const StopReport report = recent_.Items()[n - 1];
  UndoStop(report, rest.substr(dot + 1));
}

}  // namespace qx
