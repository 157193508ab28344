#include "browser/PageCatcher.h"

#include "browser/BrowserMonitor.h"
#include "platform/PlatformError.h"

namespace qx {

class PageCatcher::Events final : public BrowserEvents {
 public:
  explicit Events(PageCatcher& catcher) : catcher_(catcher) {}
  void BeforeNavigate2(Browser&, Navigation& navigation, bool& cancel) override {
    catcher_.Caught(navigation, cancel);
  }
  // The hidden browser never opens windows of its own.
  void NewWindow2(std::shared_ptr<Browser>&, bool& cancel) override { cancel = true; }
  void NavigateComplete2(Browser&, const std::wstring&) override {}
  void DownloadComplete() override {}
  void OnQuit() override {}
  void OnFullScreen(bool) override {}
  void OnMenuBar(bool) override {}
  void OnStatusBar(bool) override {}
  void OnTheaterMode(bool) override {}
  void OnToolBar(bool) override {}

 private:
  PageCatcher& catcher_;
};

PageCatcher::PageCatcher(BrowserFactory& browsers) : events_(std::make_unique<Events>(*this)) {
  Step([&] { sink_ = browsers.CreateHiddenBrowserControl(); });
  Step([&] {
    if (sink_) connection_ = sink_->Connect(*events_);
  });
}

PageCatcher::~PageCatcher() {
  // The connection first: no event may reach a half-destroyed catcher.
  connection_.reset();
}

std::shared_ptr<Browser> PageCatcher::Arm(CatchMode mode, std::weak_ptr<BrowserMonitor> requester) {
  Step([&] {
    if (sink_) sink_->Stop();
  });
  mode_ = mode;
  requester_ = std::move(requester);
  return sink_;
}

void PageCatcher::Caught(Navigation& navigation, bool& cancel) {
  cancel = true;
  const CatchMode mode = mode_;
  mode_ = CatchMode::None;
  const std::shared_ptr<BrowserMonitor> requester = requester_.lock();
  requester_.reset();
  if (!requester) return;
  Step([&] {
    switch (mode) {
      case CatchMode::Log:
        requester->LogPopup(navigation.url);
        break;
      case CatchMode::Verify:
        requester->OnCatchVerify(navigation);
        break;
      case CatchMode::SameWindow:
        requester->OnCatchSameWindow(navigation);
        break;
      case CatchMode::NewWindow:
        requester->OnCatchNewWindow(navigation);
        break;
      case CatchMode::None:
        break;
    }
  });
}

}  // namespace qx
