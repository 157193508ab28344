#include "sim/SimShellWindows.h"

#include <algorithm>

#include "sim/SimBrowser.h"

namespace qx::sim {

int SimShellWindows::Count() {
  failures_.Check("ShellWindows.Count");
  return static_cast<int>(entries_.size());
}

std::shared_ptr<Browser> SimShellWindows::Item(int index) {
  failures_.Check("ShellWindows.Item");
  // An index past the end answers nothing, as the shell's collection does.
  if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return nullptr;
  return entries_[static_cast<std::size_t>(index)].browser;
}

std::unique_ptr<Connection> SimShellWindows::Connect(ShellWindowEvents& sink) {
  failures_.Check("ShellWindows.Connect");
  return sinks_.Add(sink);
}

std::int32_t SimShellWindows::Add(std::shared_ptr<SimBrowser> browser) {
  const std::int32_t cookie = nextCookie_++;
  entries_.push_back(Entry{cookie, std::move(browser)});
  sinks_.ForEach([cookie](ShellWindowEvents& s) { s.WindowRegistered(cookie); });
  return cookie;
}

void SimShellWindows::Remove(std::int32_t cookie) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [cookie](const Entry& e) { return e.cookie == cookie; });
  if (it == entries_.end()) return;
  // The list holds the window until the revocation has been told.
  const Entry gone = *it;
  entries_.erase(it);
  sinks_.ForEach([cookie](ShellWindowEvents& s) { s.WindowRevoked(cookie); });
}

std::int32_t SimShellWindows::Register(std::shared_ptr<SimBrowser> browser) {
  return Add(std::move(browser));
}

void SimShellWindows::Revoke(const SimBrowser& browser) {
  if (const auto cookie = CookieOf(browser)) Remove(*cookie);
}

std::int32_t SimShellWindows::RegisterOther() {
  return Add(nullptr);
}

void SimShellWindows::RevokeOther(std::int32_t cookie) {
  Remove(cookie);
}

std::optional<std::int32_t> SimShellWindows::CookieOf(const SimBrowser& browser) const {
  for (const Entry& e : entries_) {
    if (e.browser.get() == &browser) return e.cookie;
  }
  return std::nullopt;
}

std::vector<std::shared_ptr<SimBrowser>> SimShellWindows::Browsers() const {
  std::vector<std::shared_ptr<SimBrowser>> out;
  for (const Entry& e : entries_) {
    if (e.browser) out.push_back(e.browser);
  }
  return out;
}

}  // namespace qx::sim
