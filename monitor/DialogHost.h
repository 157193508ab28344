#pragma once
// The program's dialogs as the main form opens and closes them.

namespace qx {

class MainForm;
class Process;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  // The main form and its process context come (both set) and go (both
  // none); the dialogs work on them.
  virtual void Attach(Process* /*process*/, MainForm* /*form*/) {}
  // The options dialog, not modal. page 0: on the page it shows; otherwise
  // that page (from 1) is selected first.
  virtual void ShowOptions(int page) = 0;
  // The troubleshooting dialog, modal.
  virtual void ShowExtraOptionsModal() = 0;
  // Unloads every dialog that may be loaded.
  virtual void UnloadAll() = 0;
};

}  // namespace qx
