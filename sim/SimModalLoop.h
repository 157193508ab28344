#pragma once
// The modal loop of the simulated desktop's blocking dialogs (the error
// dialog and the input box). While such a dialog is shown, the desktop's
// messages run inside the loop, as on Windows; on the simulated desktop
// those are the following steps of whoever drives it (a scenario), until a
// step closes the dialog.

#include <functional>
#include <string_view>
#include <vector>

namespace qx {
class FormModel;
}

namespace qx::sim {

// The program process whose code runs a modal loop. The loop asks it after
// every step whether it died (the loop then unwinds the process's code with
// ProcessEnded) or began to close (the loop then lets the dialog go).
class ModalOwner {
 public:
  virtual ~ModalOwner() = default;
  virtual void ModalEntered(FormModel& form) = 0;
  virtual void ModalLeft(FormModel& form) = 0;
  virtual bool Dying() const = 0;
  virtual bool Closing() const = 0;
};

// What runs inside a modal loop.
class ModalDriver {
 public:
  virtual ~ModalDriver() = default;
  // Runs the next step; false when none is left.
  virtual bool RunNextStep() = 0;
  // A dialog was still open when no step could close it any more; the loop
  // closes it as the user closes its window.
  virtual void ClosedUnanswered(const FormModel& form, std::string_view why) = 0;
};

class SimModalLoop {
 public:
  // Dialogs open inside each other's loops beyond this are closed at once:
  // each level holds a step on the stack.
  static constexpr int kMaxDepth = 32;

  void SetDriver(ModalDriver* driver) { driver_ = driver; }
  int Depth() const { return depth_; }

  // While it lives, the code that runs is owner's.
  class Inside {
   public:
    Inside(SimModalLoop& loop, ModalOwner& owner) : loop_(loop) { loop_.owners_.push_back(&owner); }
    ~Inside() { loop_.owners_.pop_back(); }
    Inside(const Inside&) = delete;
    Inside& operator=(const Inside&) = delete;

   private:
    SimModalLoop& loop_;
  };

  // Shows form modally until it is hidden or unloaded. answer applies one
  // answer the user gave in advance (false when none is queued); fallback is
  // what the user does when nothing drives the desktop (a unit test).
  void Run(FormModel& form, const std::function<bool()>& answer,
           const std::function<void()>& fallback);

 private:
  ModalDriver* driver_ = nullptr;
  std::vector<ModalOwner*> owners_;
  int depth_ = 0;
};

}  // namespace qx::sim
