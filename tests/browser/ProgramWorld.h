#pragma once
// The whole program on a simulated desktop, for the browser watch's tests:
// options are set in the store before the program starts, the world's verbs
// are reached through the desktop, and what the program did is read back
// from its log, its monitors and the browsers that are open.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browser/BrowserList.h"
#include "context/Process.h"
#include "logging/LogEntry.h"
#include "sim/SimBrowsers.h"
#include "sim/SimProgram.h"

namespace qx::sim::testing {

class ProgramWorld : public ::testing::Test {
 protected:
  ~ProgramWorld() override = default;

  // An option as the store holds it ("True", "False", a number).
  void SetOption(std::wstring_view name, std::wstring_view value) {
    desktop.store().Poke(L"Options", name, value);
  }
  // A Boolean option.
  void Switch(std::wstring_view name, bool on) {
    desktop.store().Poke(L"Options", name, on ? L"True" : L"False");
  }

  void Start() {
    ASSERT_EQ(program.Start(L"auto"), StartOutcome::Running);
    program.Settle();
  }

  SimBrowsers& World() { return desktop.browsers(); }
  Process& Proc() { return *program.process(); }
  BrowserList& List() { return program.form()->Browsers(); }

  // A website rule, as the rule editor adds it.
  void AddRule(std::wstring_view site, int type) {
    ASSERT_NE(Proc().websites().Add(site, type, false), nullptr) << "rule not added";
  }

  // The user opens a browser on a page; the program sees it.
  std::shared_ptr<SimBrowser> Open(std::wstring_view url) {
    auto browser = World().OpenBrowser(url);
    program.Settle();
    return browser;
  }

  std::shared_ptr<SimElement> Add(SimBrowser& page, std::wstring_view tag,
                                  const Attributes& attributes = {},
                                  const std::shared_ptr<SimElement>& parent = nullptr) {
    return World().AddElement(page, tag, attributes, parent);
  }

  const std::vector<LogEntry>& Log() { return Proc().popupLog().GetLogItems(); }
  std::int32_t Kills() { return Proc().popupLog().TotalPopupCount(); }

  // Browser windows open now other than these.
  std::vector<std::shared_ptr<SimBrowser>> OthersThan(
      std::initializer_list<const SimBrowser*> known) {
    std::vector<std::shared_ptr<SimBrowser>> out;
    for (const auto& window : World().OpenWindows()) {
      if (std::find(known.begin(), known.end(), window.get()) == known.end()) {
        out.push_back(window);
      }
    }
    return out;
  }

  std::shared_ptr<BrowserMonitor> MonitorOf(const SimBrowser& browser) {
    return List().ItemByWindow(static_cast<std::int64_t>(browser.Window()));
  }

  SimDesktop desktop;
  SimDialogHost dialogs;
  SimProgram program{desktop, dialogs};
};

}  // namespace qx::sim::testing
