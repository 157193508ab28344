#pragma once
// The program's dialogs on the simulated desktop, as far as the main form
// opens them: each request is recorded.

#include <string>
#include <vector>

#include "ui/DialogHost.h"

namespace qx::sim {

// One request to show a dialog: the form's name ("Options" or
// "ExtraOptions") and, for the options dialog, the page selected first (0:
// the page it shows).
struct DialogRequest {
  std::wstring form;
  int page = 0;
};

class SimDialogHost final : public DialogHost {
 public:
  // inner: the dialogs that really open, if any; log: where requests are
  // also written (the scenario's record across program processes).
  explicit SimDialogHost(DialogHost* inner = nullptr, std::vector<DialogRequest>* log = nullptr)
      : inner_(inner), log_(log) {}
  void Attach(Process* process, BrowserHolds* holds) override {
    if (inner_) inner_->Attach(process, holds);
  }
  void ShowOptions(int page) override {
    optionsShown.push_back(page);
    Record({L"Options", page});
    if (inner_) inner_->ShowOptions(page);
  }
  void ShowExtraOptionsModal() override {
    ++extraOptionsShown;
    Record({L"ExtraOptions", 0});
    if (inner_) inner_->ShowExtraOptionsModal();
  }
  void UnloadAll() override {
    ++unloadedAll;
    if (inner_) inner_->UnloadAll();
  }

  std::vector<int> optionsShown;
  int extraOptionsShown = 0;
  int unloadedAll = 0;
  // Every request, in order.
  std::vector<DialogRequest> requests;

 private:
  void Record(DialogRequest request) {
    if (log_) log_->push_back(request);
    requests.push_back(std::move(request));
  }
  DialogHost* inner_;
  std::vector<DialogRequest>* log_;
};

}  // namespace qx::sim
