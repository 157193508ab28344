#pragma once
// The register of every watched browser window: one monitor per window the
// shell's window list announces, indexed by the list's cookie and by window
// handle.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "browser/BrowserHost.h"
#include "browser/BrowserMonitor.h"
#include "browser/DialogRecord.h"
#include "platform/Browser.h"

namespace qx {

class BrowserList final : private ShellWindowEvents {
 public:
  // Connects to the shell window list's events.
  BrowserList(BrowserHost& host, ShellWindowList& list);
  ~BrowserList() override;
  BrowserList(const BrowserList&) = delete;
  BrowserList& operator=(const BrowserList&) = delete;

  void SWs_WindowRegistered(std::int32_t cookie);
  void SWS_WindowRevoked(std::int32_t cookie);
  void Refresh();
  void Ping();
  void ReapplyHolds();
  // The monitor key of the monitor owning a window; "" when not indexed.
  std::wstring CookieGet(std::int64_t handle) const;
  bool IndexWindow(std::int64_t cookie, std::int64_t handle);
  void UnindexWindow(std::int64_t cookie, std::int64_t handle);
  std::shared_ptr<BrowserMonitor> ItemByWindow(std::int64_t handle) const;
  SnapshotRecord ClickSnapshot(std::int64_t handle) const;
  bool DialogAllowedFor(std::int64_t handle, DialogRecord& record);

  // Keyed access to the monitors.
  std::shared_ptr<BrowserMonitor> Item(const std::wstring& key) const;
  bool ContainsItem(const std::wstring& key) const;
  std::size_t Count() const { return monitors_.size(); }
  const std::vector<std::pair<std::wstring, std::shared_ptr<BrowserMonitor>>>& Monitors() const {
    return monitors_;
  }

  std::int32_t FirstCookie() const { return firstCookie_; }
  std::int32_t CompatCookie() const { return compatCookie_; }
  bool Busy() const { return busy_; }
  // Monitors whose IsIE answered true.
  int WatchedBrowsers() const { return watched_; }

  static std::wstring MonitorKey(std::int64_t number);

 private:
  void WindowRegistered(std::int32_t cookie) override { SWs_WindowRegistered(cookie); }
  void WindowRevoked(std::int32_t cookie) override { SWS_WindowRevoked(cookie); }

  void Add(const std::wstring& key, std::shared_ptr<BrowserMonitor> monitor);
  void Remove(const std::wstring& key);
  bool IsExplorerWindow(Browser& browser);
  bool CompatibilityWanted(Browser& browser);
  void AutoClose();

  BrowserHost& host_;
  ShellWindowList& list_;
  std::unique_ptr<Connection> connection_;
  std::vector<std::pair<std::wstring, std::shared_ptr<BrowserMonitor>>> monitors_;
  std::map<std::wstring, std::wstring> windowIndex_;
  std::int32_t firstCookie_ = -1;
  std::int32_t compatCookie_ = -100000;
  bool busy_ = false;
  int watched_ = 0;
};

}  // namespace qx
