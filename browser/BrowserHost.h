#pragma once
// What the browser watch asks of the rest of the program: the rules, the log,
// the main form's switches and its page catcher.

#include <memory>
#include <string>

#include "base/DecisionObserver.h"
#include "base/Text.h"
#include "logging/StopReport.h"
#include "platform/Browser.h"
#include "platform/UiServices.h"
#include "platform/UrlUnescaper.h"

namespace qx {

class BrowserMonitor;
class Settings;

// What the catcher is to do with the next navigation caught in PageSink.
enum class CatchMode { None = 0, Log = 1, Verify = 2, SameWindow = 3, NewWindow = 4 };

inline constexpr std::wstring_view kUpdateSiteHost = L"windowsupdate.microsoft.com";

// Pages of the update site are never judged: it opens windows of its own.
inline bool OnUpdateSite(std::wstring_view host) {
  return EndsWithNoCase(host, kUpdateSiteHost);
}

class BrowserHost {
 public:
  virtual ~BrowserHost() = default;
  virtual Settings& GetSettings() = 0;
  // Website rules.
  virtual bool Allow(const std::wstring& url) = 0;
  virtual bool Kill(const std::wstring& url) = 0;
  virtual void AddWebsiteRule(const std::wstring& site, int ruleType, bool stripWww) = 0;
  // The always-kill rule that closes this URL, as entered (empty: none).
  virtual std::wstring KillRuleText(const std::wstring& url) = 0;
  // A window was stopped: logged, counted and told as the report says.
  virtual void PopupStopped(const StopReport& report) = 0;
  // The main form.
  virtual bool BlockingActive() = 0;
  virtual bool IsWindowsXPOrLater() = 0;
  // Where the context-menu marker pages live.
  virtual std::wstring DataFolder() = 0;
  // Stops PageSink, arms the catch for this requester and answers PageSink's
  // browser object, to be handed out as a new window's object.
  virtual std::shared_ptr<Browser> ArmCatch(CatchMode mode,
                                            std::weak_ptr<BrowserMonitor> requester) = 0;
  // The main form's dialog counter (0..255).
  virtual int DialogCounter() = 0;
  virtual void DoEvents() = 0;
  virtual std::shared_ptr<Browser> NewBrowserWindow() = 0;
  virtual UrlUnescaper& Unescaper() = 0;
  virtual WorkArea& GetWorkArea() = 0;
  // Seconds since the program started (the start time the start-up kept).
  virtual double SecondsSinceStart() = 0;
  // Shuts the program down (the main form's CloseProgram).
  virtual void CloseProgram() = 0;
  // Who wants to know why (none: nobody, and nothing is explained).
  virtual DecisionObserver* Observer() { return nullptr; }
  virtual std::wstring ExplainAllow(const std::wstring& /*url*/) { return L""; }
  virtual std::wstring ExplainKill(const std::wstring& /*url*/) { return L""; }
};

}  // namespace qx
