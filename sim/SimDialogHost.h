#pragma once
// The program's dialogs on the simulated desktop, as far as the main form
// opens them: each request is recorded.

#include <vector>

#include "monitor/DialogHost.h"

namespace qx::sim {

class SimDialogHost final : public DialogHost {
 public:
  void ShowOptions(int page) override { optionsShown.push_back(page); }
  void ShowExtraOptionsModal() override { ++extraOptionsShown; }
  void UnloadAll() override { ++unloadedAll; }

  std::vector<int> optionsShown;
  int extraOptionsShown = 0;
  int unloadedAll = 0;
};

}  // namespace qx::sim
