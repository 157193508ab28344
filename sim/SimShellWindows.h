#pragma once
// The shell's list of open browser windows on the simulated desktop: the
// windows in the order they opened, announced with cookies 0, 1, 2, ... and
// revoked when they close.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Browser.h"
#include "sim/FailureInjector.h"
#include "sim/SinkList.h"

namespace qx::sim {

class SimBrowser;

class SimShellWindows final : public ShellWindowList {
 public:
  explicit SimShellWindows(FailureInjector& failures) : failures_(failures) {}

  // ShellWindowList
  int Count() override;
  std::shared_ptr<Browser> Item(int index) override;
  std::unique_ptr<Connection> Connect(ShellWindowEvents& sink) override;

  // The world's side: adds the window at the end and announces it.
  std::int32_t Register(std::shared_ptr<SimBrowser> browser);
  // Removes the window, if listed, and announces that.
  void Revoke(const SimBrowser& browser);
  // An entry that is no browser (Item answers none for it).
  std::int32_t RegisterOther();
  void RevokeOther(std::int32_t cookie);
  std::optional<std::int32_t> CookieOf(const SimBrowser& browser) const;
  // The listed browser windows, in list order.
  std::vector<std::shared_ptr<SimBrowser>> Browsers() const;
  // The world ends: the list lets go of its windows, silently.
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    std::int32_t cookie = 0;
    std::shared_ptr<SimBrowser> browser;  // none for an entry that is no browser
  };
  std::int32_t Add(std::shared_ptr<SimBrowser> browser);
  void Remove(std::int32_t cookie);

  FailureInjector& failures_;
  std::vector<Entry> entries_;
  std::int32_t nextCookie_ = 0;
  SinkList<ShellWindowEvents> sinks_;
};

}  // namespace qx::sim
