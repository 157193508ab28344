#include "sim/SimModalLoop.h"

#include "sim/SimDialogs.h"
#include "ui/FormModel.h"

namespace qx::sim {

void SimModalLoop::Run(FormModel& form, const std::function<bool()>& answer,
                       const std::function<void()>& fallback) {
  ModalOwner* const owner = owners_.empty() ? nullptr : owners_.back();
  if (owner != nullptr) owner->ModalEntered(form);
  ++depth_;
  struct Leave {
    SimModalLoop& loop;
    ModalOwner* owner;
    FormModel& form;
    ~Leave() {
      --loop.depth_;
      if (owner != nullptr) owner->ModalLeft(form);
    }
  } leave{*this, owner, form};

  const auto open = [&] { return form.Loaded() && form.Shown(); };
  // Only a close that begins while the dialog is shown lets it go; a dialog
  // shown while the program closes waits for the user as any other.
  const bool closingAtStart = owner != nullptr && owner->Closing();
  while (open()) {
    if (answer && answer()) continue;
    if (driver_ == nullptr) {
      if (fallback) fallback();
      break;
    }
    if (depth_ > kMaxDepth) {
      driver_->ClosedUnanswered(form, "too many dialogs open inside each other");
      form.CloseBox();
      break;
    }
    if (!driver_->RunNextStep()) {
      driver_->ClosedUnanswered(form, "the scenario ended");
      if (open()) form.CloseBox();
      break;
    }
    if (owner != nullptr && owner->Dying()) throw ProcessEnded{};
    if (owner != nullptr && !closingAtStart && owner->Closing() && open()) {
      form.CloseBox();
      break;
    }
  }
}

}  // namespace qx::sim
