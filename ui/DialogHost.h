#pragma once
// The program's dialogs as the main form opens and closes them.

namespace qx {

class Process;

// What the dialogs ask of the running monitor: the browsers' holds applied
// again after the options changed.
class BrowserHolds {
 public:
  virtual ~BrowserHolds() = default;
  virtual void ReapplyHolds() = 0;
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // The main form's process context and its browsers come (both set) and
  // go (both none); the dialogs work on them.
  virtual void Attach(Process* /*process*/, BrowserHolds* /*holds*/) {}
  // The options dialog, not modal. page 0: on the page it shows; otherwise
  // that page (from 1) is selected first.
  virtual void ShowOptions(int page) = 0;
  // The troubleshooting dialog, modal.
  virtual void ShowExtraOptionsModal() = 0;
  // Unloads every dialog that may be loaded.
  virtual void UnloadAll() = 0;
};

}  // namespace qx
