#pragma once
// The page catcher: a hidden browser control whose object is handed out as
// a new window's, so that the window's first navigation arrives here instead
// of opening anything. One catch at a time: arming it again replaces the
// previous requester, as the browser asks for one new window at a time.

#include <memory>

#include "browser/BrowserHost.h"
#include "platform/Browser.h"

namespace qx {

class PageCatcher {
 public:
  // A platform that cannot host the control leaves the catcher without one:
  // every catch then answers none and the window is judged without it.
  explicit PageCatcher(BrowserFactory& browsers);
  ~PageCatcher();
  PageCatcher(const PageCatcher&) = delete;
  PageCatcher& operator=(const PageCatcher&) = delete;

  // Stops the control, arms the catch for this requester and answers the
  // control's object (none without a control).
  std::shared_ptr<Browser> Arm(CatchMode mode, std::weak_ptr<BrowserMonitor> requester);
  CatchMode Pending() const { return mode_; }
  const std::shared_ptr<Browser>& Sink() const { return sink_; }

 private:
  class Events;
  // The caught navigation: always cancelled, then handed to the requester,
  // if it still lives, as its catch asked.
  void Caught(Navigation& navigation, bool& cancel);

  std::shared_ptr<Browser> sink_;
  std::unique_ptr<Events> events_;
  std::unique_ptr<Connection> connection_;
  CatchMode mode_ = CatchMode::None;
  std::weak_ptr<BrowserMonitor> requester_;
};

}  // namespace qx
