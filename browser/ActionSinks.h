#pragma once
// The sinks on the pressed element, its document and its window: they follow
// a press to its end and keep the monitor's flags.

#include "browser/BrowserMonitor.h"
#include "platform/Dom.h"

namespace qx {

class BrowserMonitor::ElementSink final : public ElementEvents {
 public:
  enum class Kind { Link, Area, Button, Input };
  ElementSink(BrowserMonitor& monitor, Kind kind) : m_(monitor), kind_(kind) {}

  void OnBlur() override;
  bool OnClick() override;
  bool OnDragStart() override;
  void OnKeyUp() override;
  void OnMouseOut() override;
  void OnMouseOver() override;
  void OnMouseUp() override;

 private:
  bool CancelClickCheck();
  BrowserMonitor& m_;
  Kind kind_;
};

class BrowserMonitor::DocumentSink final : public DocumentEvents {
 public:
  explicit DocumentSink(BrowserMonitor& monitor) : m_(monitor) {}
  bool OnClick() override;
  void OnKeyDown() override;
  void OnMouseDown() override;
  void OnMouseMove() override;

 private:
  BrowserMonitor& m_;
};

class BrowserMonitor::WindowSink final : public WindowEvents {
 public:
  explicit WindowSink(BrowserMonitor& monitor) : m_(monitor) {}
  void OnBeforeUnload() override;
  void OnUnload() override;

 private:
  BrowserMonitor& m_;
};

}  // namespace qx
