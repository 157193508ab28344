// Keeping the browser's chrome as the hold options demand, and restoring a
// window the user points at.

#include "browser/BrowserMonitor.h"
#include "browser/WindowRect.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {

void BrowserMonitor::OnFullScreen(bool on) {
  if (!IsIE()) return;
  if (GetSettings().HoldFullScreen() && on) Step([&] { myIE_->SetFullScreen(false); });
}

void BrowserMonitor::OnMenuBar(bool on) {
  if (!IsIE()) return;
  if (GetSettings().HoldMenuBar() && !on) Step([&] { myIE_->SetMenuBar(true); });
}

void BrowserMonitor::OnStatusBar(bool on) {
  if (!IsIE()) return;
  if (GetSettings().HoldStatusBar() && !on) Step([&] { myIE_->SetStatusBar(true); });
}

void BrowserMonitor::OnTheaterMode(bool on) {
  if (!IsIE()) return;
  if (GetSettings().HoldTheaterMode() && on) Step([&] { myIE_->SetTheaterMode(false); });
}

void BrowserMonitor::OnToolBar(bool on) {
  if (!IsIE()) return;
  if (GetSettings().HoldToolbar() && !on) {
    Step([&] { myIE_->SetMenuBar(true); });
    Step([&] { myIE_->SetToolBar(1); });
  }
}

void BrowserMonitor::ApplyHold() {
  if (!IsIE() || !myIE_) return;
  Settings& s = GetSettings();
  Browser& ie = *myIE_;
  Step([&] {
    if (s.HoldFullScreen() && ie.FullScreen()) ie.SetFullScreen(false);
  });
  Step([&] {
    if ((s.HoldMenuBar() || s.HoldToolbar()) && !ie.MenuBar()) ie.SetMenuBar(true);
  });
  Step([&] {
    if (s.SilentIE() && !ie.Silent()) ie.SetSilent(true);
  });
  Step([&] {
    if (s.HoldStatusBar() && (!IsExplorer || DocumentAttached) && !ie.StatusBar()) {
      ie.SetStatusBar(true);
    }
  });
  Step([&] {
    if (s.HoldTheaterMode() && ie.TheaterMode()) ie.SetTheaterMode(false);
  });
  Step([&] {
    if (s.HoldToolbar() && ie.ToolBar() == 0) ie.SetToolBar(1);
  });
  Step([&] {
    if (s.HoldResizable() && !ie.Resizable()) ie.SetResizable(true);
  });
}

void BrowserMonitor::Normalize() {
  if (!myIE_) return;
  Browser& ie = *myIE_;
  Step([&] { ie.SetAddressBar(true); });
  Step([&] { ie.SetFullScreen(false); });
  Step([&] { ie.SetMenuBar(true); });
  Step([&] { ie.SetResizable(true); });
  Step([&] { ie.SetStatusBar(true); });
  Step([&] { ie.SetTheaterMode(false); });
  Step([&] {
    if (ie.ToolBar() == 0) ie.SetToolBar(1);
  });
  Step([&] {
    if (ie.Width() < 300) ie.SetWidth(300);
  });
  Step([&] {
    if (ie.Height() < 400) ie.SetHeight(400);
  });
  const WindowRect area(host_.GetWorkArea());
  const std::int32_t right = area.Left() + area.Width();
  const std::int32_t bottom = area.Top() + area.Height();
  Step([&] {
    if (ie.Left() + ie.Width() > right) ie.SetLeft(right - ie.Width());
  });
  Step([&] {
    if (ie.Top() + ie.Height() > bottom) ie.SetTop(bottom - ie.Height());
  });
  Step([&] {
    if (ie.Left() < area.Left() - 4) ie.SetLeft(area.Left() - 4);
  });
  Step([&] {
    if (ie.Top() < area.Top() - 4) ie.SetTop(area.Top() - 4);
  });
  Step([&] {
    if (ie.Left() + ie.Width() > right) ie.SetWidth(right - ie.Left());
  });
  Step([&] {
    if (ie.Top() + ie.Height() > bottom) ie.SetHeight(bottom - ie.Top());
  });
}

}  // namespace qx
