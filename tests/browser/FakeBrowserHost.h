#pragma once
// A small host for the browser watch: rules as sets of addresses, real
// settings on the simulated store, the real page catcher on the simulated
// browsers, and every stop, rule added and catch armed recorded. A monitor
// tested against it needs no program around it.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browser/BrowserHost.h"
#include "browser/BrowserMonitor.h"
#include "browser/PageCatcher.h"
#include "settings/Settings.h"
#include "sim/SimDesktop.h"

namespace qx::testing {

class FakeBrowserHost final : public BrowserHost {
 public:
  explicit FakeBrowserHost(sim::SimDesktop& desktop)
      : desktop_(desktop),
        settings_(desktop.store(), desktop.random(), sim::kSimProgramFolder),
        catcher_(desktop.browsers()) {}

  struct AddedRule {
    std::wstring site;
    int type;
    bool stripWww;
  };

  // What the rules answer: exact addresses.
  std::set<std::wstring> allowed;
  std::set<std::wstring> killed;
  bool blocking = true;
  bool windowsXPOrLater = true;
  // What the watch did.
  std::vector<StopReport> stops;
  std::vector<AddedRule> rules;
  std::vector<CatchMode> catches;

  Settings& GetSettings() override { return settings_; }
  bool Allow(const std::wstring& url) override { return allowed.contains(url); }
  bool Kill(const std::wstring& url) override { return killed.contains(url); }
  void AddWebsiteRule(const std::wstring& site, int ruleType, bool stripWww) override {
    rules.push_back({site, ruleType, stripWww});
  }
  std::wstring KillRuleText(const std::wstring& url) override {
    return killed.contains(url) ? url : L"";
  }
  void PopupStopped(const StopReport& report) override { stops.push_back(report); }
  bool BlockingActive() override { return blocking; }
  bool IsWindowsXPOrLater() override { return windowsXPOrLater; }
  std::wstring DataFolder() override { return desktop_.platform().files.DataFolder(); }
  std::shared_ptr<Browser> ArmCatch(CatchMode mode,
                                    std::weak_ptr<BrowserMonitor> requester) override {
    catches.push_back(mode);
    return catcher_.Arm(mode, std::move(requester));
  }
  int DialogCounter() override { return 0; }
  void DoEvents() override {}
  std::shared_ptr<Browser> NewBrowserWindow() override {
    return desktop_.browsers().NewBrowserWindow();
  }
  UrlUnescaper& Unescaper() override { return desktop_.platform().unescaper; }
  WorkArea& GetWorkArea() override { return desktop_.platform().workArea; }
  double SecondsSinceStart() override { return 0; }
  void CloseProgram() override {}

 private:
  sim::SimDesktop& desktop_;
  Settings settings_;
  PageCatcher catcher_;
};

}  // namespace qx::testing
