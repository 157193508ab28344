#include "browser/BrowserList.h"

#include <algorithm>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "settings/Settings.h"

namespace qx {
namespace {

std::wstring HandleKey(std::int64_t handle) {
  return L"H" + NumberText(handle);
}

bool EndsInProgram(const std::wstring& fullName, std::wstring_view program) {
  const std::wstring lowered = LowerCase(fullName);
  return lowered.size() >= 12 && lowered.substr(lowered.size() - 12) == program;
}

// Raised while a list event is handled, whatever way the handler ends.
class BusyGuard {
 public:
  explicit BusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyGuard() { busy_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& busy_;
};

}  // namespace

BrowserList::BrowserList(BrowserHost& host, ShellWindowList& list) : host_(host), list_(list) {
  Step([&] { connection_ = list_.Connect(*this); });
}

BrowserList::~BrowserList() {
  connection_.reset();
  monitors_.clear();
}

std::wstring BrowserList::MonitorKey(std::int64_t number) {
  return L"C" + NumberText(number);
}

void BrowserList::Add(const std::wstring& key, std::shared_ptr<BrowserMonitor> monitor) {
  Remove(key);  // a key is unique in the collection
  monitors_.emplace_back(key, std::move(monitor));
}

void BrowserList::Remove(const std::wstring& key) {
  std::erase_if(monitors_, [&](const auto& entry) { return entry.first == key; });
}

std::shared_ptr<BrowserMonitor> BrowserList::Item(const std::wstring& key) const {
  for (const auto& [k, monitor] : monitors_) {
    if (k == key) return monitor;
  }
  return nullptr;
}

bool BrowserList::ContainsItem(const std::wstring& key) const {
  return Item(key) != nullptr;
}

bool BrowserList::IsExplorerWindow(Browser& browser) {
  bool explorer = false;
  Step([&] { explorer = EndsInProgram(browser.FullName(), L"explorer.exe"); });
  return explorer;
}

bool BrowserList::CompatibilityWanted(Browser& browser) {
  Settings& s = host_.GetSettings();
  if (s.StrictIE() || !s.ForceCompatibility()) return false;
  bool wanted = false;
  Step([&] { wanted = !browser.TopLevelContainer() && browser.Visible(); });
  return wanted;
}

void BrowserList::SWs_WindowRegistered(std::int32_t cookie) {
  BusyGuard busy(busy_);
  Settings& settings = host_.GetSettings();
  int count = 0;
  Step([&] { count = list_.Count(); });
  if (count == 0) return;
  std::shared_ptr<Browser> browser;
  Step([&] { browser = list_.Item(count - 1); });
  if (!browser) return;
  std::int64_t handle = -1;
  Step([&] { handle = static_cast<std::int64_t>(browser->HWND()); });

  if (handle != -1) {
    if (firstCookie_ == -1) firstCookie_ = cookie;
    if (settings.ExplorerFix()) {
      Step([&] { host_.DoEvents(); });
      if (IsExplorerWindow(*browser)) return;
    }
    if (IndexWindow(cookie, handle)) {
      auto monitor = std::make_shared<BrowserMonitor>(host_, watched_);
      monitor->Attach(browser);
      Add(MonitorKey(cookie), std::move(monitor));
    }
    return;
  }

  if (CompatibilityWanted(*browser)) {
    if (firstCookie_ == -1) firstCookie_ = cookie;
    --compatCookie_;
    auto monitor = std::make_shared<BrowserMonitor>(host_, watched_);
    monitor->Attach(browser);
    monitor->lastHWND = compatCookie_;
    monitor->CompatMode = true;
    Add(MonitorKey(cookie), std::move(monitor));
    IndexWindow(cookie, compatCookie_);
  }
}

bool BrowserList::IndexWindow(std::int64_t cookie, std::int64_t handle) {
  if (handle == -1) return false;
  const std::wstring existing = CookieGet(handle);
  if (!existing.empty()) {
    // A monitor made from an announcement owns the window for good; one made
    // at start-up or for compatibility is replaced once it is dead.
    if (existing.size() < 2 || existing[1] != L'-') return false;
    const auto monitor = Item(existing);
    if (monitor && monitor->StillAlive()) return false;
    windowIndex_.erase(HandleKey(handle));
    Remove(existing);
  }
  windowIndex_[HandleKey(handle)] = MonitorKey(cookie);
  return true;
}

void BrowserList::UnindexWindow(std::int64_t cookie, std::int64_t handle) {
  if (CookieGet(handle) == MonitorKey(cookie)) windowIndex_.erase(HandleKey(handle));
}

std::wstring BrowserList::CookieGet(std::int64_t handle) const {
  const auto it = windowIndex_.find(HandleKey(handle));
  return it == windowIndex_.end() ? std::wstring() : it->second;
}

void BrowserList::SWS_WindowRevoked(std::int32_t cookie) {
  BusyGuard busy(busy_);
  if (firstCookie_ != -1 && cookie >= firstCookie_) {
    const std::wstring key = MonitorKey(cookie);
    if (const auto monitor = Item(key)) {
      UnindexWindow(cookie, monitor->lastHWND);
      monitor->Destroy();
      Remove(key);
    }
  }
  AutoClose();
}

void BrowserList::AutoClose() {
  Settings& settings = host_.GetSettings();
  if (!settings.AutoClose() || settings.StartMode() != 2) return;
  const bool grace = host_.SecondsSinceStart() <= 2.0;
  int count = 0;
  const bool counted = Step([&] { count = list_.Count(); });
  if (!grace && ((counted && count == 0) || watched_ < 1)) {
    host_.CloseProgram();
    return;
  }
  if (settings.StrictIE() && !grace && counted) {
    bool anyIe = false;
    for (int i = 0; i < count && !anyIe; ++i) {
      Step([&] {
        const auto browser = list_.Item(i);
        anyIe = browser && EndsInProgram(browser->FullName(), L"iexplore.exe");
      });
    }
    if (!anyIe) host_.CloseProgram();
  }
}

void BrowserList::Refresh() {
  Settings& settings = host_.GetSettings();
  std::int64_t counter = -2;
  int count = 0;
  Step([&] { count = list_.Count(); });
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<Browser> browser;
    Step([&] { browser = list_.Item(i); });
    if (!browser) continue;
    if (settings.ExplorerFix() && IsExplorerWindow(*browser)) continue;
    auto monitor = std::make_shared<BrowserMonitor>(host_, watched_);
    monitor->Attach(browser);
    if (monitor->lastHWND == -1 && CompatibilityWanted(*browser)) {
      --compatCookie_;
      monitor->lastHWND = compatCookie_;
      monitor->CompatMode = true;
    }
    const std::int64_t handle = monitor->lastHWND;
    Add(MonitorKey(counter), std::move(monitor));
    IndexWindow(counter, handle);
    --counter;
  }
  ReapplyHolds();
}

void BrowserList::Ping() {
  if (busy_) return;
  // A ping lets messages run, and those may add or drop monitors.
  const auto snapshot = monitors_;
  for (const auto& [key, monitor] : snapshot)
    monitor->Ping(list_);
}

void BrowserList::ReapplyHolds() {
  const auto snapshot = monitors_;
  for (const auto& [key, monitor] : snapshot) {
    if (!monitor->StillAlive()) continue;
    monitor->ApplyHold();
    monitor->Recheck = true;
  }
}

std::shared_ptr<BrowserMonitor> BrowserList::ItemByWindow(std::int64_t handle) const {
  const std::wstring key = CookieGet(handle);
  return key.empty() ? nullptr : Item(key);
}

SnapshotRecord BrowserList::ClickSnapshot(std::int64_t handle) const {
  for (const auto& [key, monitor] : monitors_) {
    if (monitor->lastHWND == handle && monitor->StillAlive2()) return monitor->Snapshot();
  }
  return SnapshotRecord{};
}

bool BrowserList::DialogAllowedFor(std::int64_t handle, DialogRecord& record) {
  const auto snapshot = monitors_;
  for (const auto& [key, monitor] : snapshot) {
    if (monitor->IEHWND() == handle) return monitor->DialogsAllowed(record);
  }
  return true;
}

}  // namespace qx
