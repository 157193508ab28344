#pragma once
// The program's dialogs on the simulated desktop, as far as the main form
// opens them: each request is recorded.

#include <string>
#include <vector>

#include "monitor/DialogHost.h"

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
  void ShowOptions(int page) override {
    optionsShown.push_back(page);
    requests.push_back({L"Options", page});
  }
  void ShowExtraOptionsModal() override {
    ++extraOptionsShown;
    requests.push_back({L"ExtraOptions", 0});
  }
  void UnloadAll() override { ++unloadedAll; }

  std::vector<int> optionsShown;
  int extraOptionsShown = 0;
  int unloadedAll = 0;
  // Every request, in order.
  std::vector<DialogRequest> requests;
};

}  // namespace qx::sim
