#pragma once
// One process of the program on the simulated desktop: its own hook control
// over the simulated hook library, its process context and its main form.

#include <memory>
#include <string>

#include "context/Process.h"
#include "hookctl/OmnihookControl.h"
#include "monitor/MainForm.h"
#include "monitor/StartupModule.h"
#include "sim/SimDesktop.h"
#include "sim/SimDialogHost.h"
#include "sim/SimHookLibrary.h"
#include "ui/FormHost.h"

namespace qx::sim {

// A process's code runs inside its Run; a blocking dialog of the program
// (error dialog, password box) runs the desktop's modal loop, whose steps may
// end the process: it is then torn down only once its code has unwound.
class SimProgram final : private ModalOwner {
 public:
  SimProgram(SimDesktop& desktop, DialogHost& dialogs);
  // With the program's own dialogs.
  // With its own dialogs; requests to show them are also written to log.
  explicit SimProgram(SimDesktop& desktop, std::vector<DialogRequest>* log = nullptr);
  // A program that still runs when it is dropped dies as in a crash.
  ~SimProgram() override;
  SimProgram(const SimProgram&) = delete;
  SimProgram& operator=(const SimProgram&) = delete;

  // Runs Main with the command line. A process that does not keep running
  // has ended when this returns.
  StartOutcome Start(std::wstring_view commandLine);
  bool Running() const { return running_ && !dying_; }
  ProcessId Id() const { return pid_; }
  Process* process() { return process_.get(); }
  MainForm* form() { return form_.get(); }
  SimHookLibrary& hookLibrary() { return library_; }
  OmnihookControl& hookControl() { return *control_; }
  // The program's dialogs when it has its own; none otherwise.
  FormHost* forms() { return ownDialogs_.get(); }
  // A loaded dialog by its name: "Error", "Password", or one of the
  // FormHost's; none when it is not loaded.
  FormModel* Dialog(std::wstring_view name);
  // The modal dialog in front, if any: the user can act only on it.
  FormModel* Modal();

  // Runs something inside the program; the program may end in it (the error
  // dialog's Quit).
  template <class F>
  void Run(F&& f) {
    if (!running_ || dying_) return;
    const SimModalLoop::Inside inside(desktop_.modal(), *this);
    try {
      std::forward<F>(f)();
    } catch (const ProcessEnded&) {
      Die();
    }
  }
  // After a step: posted messages arrive, and a program whose main form was
  // unloaded ends with its end-of-life writes.
  void Settle();
  // The session ends: the form is unloaded from outside.
  void Logoff();
  // The process dies at once; nothing of its shutdown runs.
  void Crash() { Die(); }

 private:
  SimProgram(SimDesktop& desktop, DialogHost* dialogs);
  void End();
  void Die();
  // A modal dialog keeps the process alive after its start routine ended.
  bool InModalDialog();
  // ModalOwner.
  void ModalEntered(FormModel& form) override { modalLoops_.push_back(&form); }
  void ModalLeft(FormModel& form) override;
  bool Dying() const override { return dying_; }
  bool Closing() const override { return endRequested_ || (form_ && form_->Unloaded()); }

  SimDesktop& desktop_;
  DialogHost* dialogs_ = nullptr;
  ProcessId pid_ = 0;
  HookState hookState_;
  SimHookLibrary library_;
  std::unique_ptr<OmnihookControl> control_;
  Hwnd controlWindow_ = 0;
  std::unique_ptr<Platform> platform_;
  std::unique_ptr<Process> process_;
  std::unique_ptr<MainForm> form_;
  std::unique_ptr<FormHost> ownDialogs_;
  std::unique_ptr<SimDialogHost> recorder_;
  bool running_ = false;
  // The modal loops of this process on the stack, innermost last. While
  // there are any, the end of the process waits: dying_ makes the loops
  // unwind, endRequested_ makes them let their dialogs go.
  std::vector<FormModel*> modalLoops_;
  bool dying_ = false;
  bool endRequested_ = false;
};

}  // namespace qx::sim
