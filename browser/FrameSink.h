#pragma once
// Listens to one document of a browser (the top one or a frame's) for the
// first moment of a press and hands the pressed element to its monitor.

#include <memory>
#include <vector>

#include "platform/Dom.h"

namespace qx {

class BrowserMonitor;

class FrameSink final : private DocumentEvents {
 public:
  explicit FrameSink(BrowserMonitor& monitor) : Monitor(monitor) {}
  FrameSink(const FrameSink&) = delete;
  FrameSink& operator=(const FrameSink&) = delete;

  void Attach(std::shared_ptr<qx::Document> document);

  BrowserMonitor& Monitor;
  std::shared_ptr<qx::Document> myDocument;
  std::shared_ptr<HtmlWindow> Window;
  std::shared_ptr<qx::Document> Document;
  std::vector<std::unique_ptr<FrameSink>> Children;

 private:
  bool OnContextMenu() override;
  void OnKeyDown() override;
  void OnMouseDown() override;
  void RefreshWindow();

  std::unique_ptr<Connection> connection_;
};

}  // namespace qx
