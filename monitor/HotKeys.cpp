// Kill, always kill and normalize by key combination and click, and the off
// key that suspends blocking while it is held.

#include "base/Text.h"
#include "context/Process.h"
#include "monitor/MainForm.h"
#include "platform/PlatformError.h"

namespace qx {
bool MainForm::BlockingActive() {
  return blockingEnabled_ && !keys_.ComboHeld(process_.settings().OffKey());
}

void MainForm::LeftButtonDown(std::int32_t& /*x*/, std::int32_t& /*y*/, std::int32_t& hwnd) {
  if (closingDown_) return;
  Settings& s = process_.settings();
  clickDownWindow_ = HwndFromLong(hwnd);
  if (!keys_.SafeKeyHeld(s.SafeKey())) {
    clickAction_ = keys_.ComboHeld(s.NormalizeKeyCombo()) ? 3 : 0;
    return;
  }
  if (keys_.ComboHeld(s.KillKeyCombo())) {
    clickAction_ = 1;
  } else if (keys_.ComboHeld(s.BanKeyCombo())) {
    clickAction_ = 2;
  } else {
    clickAction_ = 0;
  }
}

bool MainForm::ResolveClickTarget(Hwnd& target) {
  WindowInfo& info = process_.windowInfo();
  const Hwnd received = target;
  target = info.TopAppWindow(target);
  if (received == clickDownWindow_) return true;
  if (target == 0) return false;
  return target == info.TopAppWindow(clickDownWindow_);
}

bool MainForm::IsProtectedWindow(Hwnd target) {
  if (!process_.settings().SystemWindowCheck()) return false;
  const std::wstring caption = Trim(process_.windowInfo().WindowCaption(target));
  return caption.empty() || caption == L"program manager" ||
         process_.ownForms().IsOwnFormWindow(target);
}

void MainForm::LeftButtonUp(std::int32_t& /*x*/, std::int32_t& /*y*/, std::int32_t& hwnd) {
  if (closingDown_) return;
  Settings& s = process_.settings();
  WindowInfo& info = process_.windowInfo();
  Hwnd target = HwndFromLong(hwnd);
  if (observer_ && clickAction_ != 0) {
    static constexpr const wchar_t* kActions[] = {L"", L"kill", L"always kill", L"normalize"};
    observer_->Decided(
        std::wstring(L"hot key: ") + kActions[clickAction_] + L" the window under the click",
        L"the keys of that command were held when the button went down");
  }
  switch (clickAction_) {
    case 1:
    case 2: {
      if (!keys_.SafeKeyHeld(s.SafeKey())) return;
      if (!ResolveClickTarget(target) || IsProtectedWindow(target)) return;
      const auto monitor = Browsers().ItemByWindow(static_cast<std::int64_t>(target));
      std::wstring url;
      Step([&] {
        if (monitor && monitor->browser()) url = monitor->browser()->LocationURL();
      });
      const bool ban = clickAction_ == 2;
      // Read before the window goes: the report names what was killed.
      HotKeyStopped(target, monitor != nullptr, url, ban);
      if (monitor) {
        if (ban) Step([&] { process_.websites().Add(url, kAlwaysKill, false); });
        monitor->Quit();
      } else {
        if (ban) {
          const std::wstring exe = info.WindowExeName(target);
          const std::wstring caption = info.WindowCaption(target);
          Step([&] { process_.windows().Add(exe, caption, kCaptionEquals); });
        }
        info.CloseWindow(target);
      }
      return;
    }
    case 3: {
      if (!ResolveClickTarget(target) || IsProtectedWindow(target)) return;
      if (const auto monitor = Browsers().ItemByWindow(static_cast<std::int64_t>(target))) {
        monitor->Normalize();
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace qx

namespace qx {

void MainForm::HotKeyStopped(Hwnd target, bool browser, const std::wstring& page, bool banned) {
  WindowInfo& info = process_.windowInfo();
  StopReport report;
  report.kind = StopKind::HotKey;
  report.browser = browser;
  // The user's own doing: not logged and not counted.
  report.logged = false;
  report.source = browser ? page : info.WindowExeName(target);
  report.target = browser ? page : info.WindowCaption(target);
  report.reason = !banned   ? L"killed with the hot key"
                  : browser ? L"banned with the hot key: its site is always killed from now on"
                            : L"banned with the hot key: windows with this caption are always "
                              L"killed from now on";
  if (banned) report.detail = L"banned";
  if (observer_) observer_->Decided(L"hot key stop of \"" + report.target + L"\"", report.reason);
  PopupStopped(report);
}

}  // namespace qx
