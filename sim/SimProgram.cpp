#include "sim/SimProgram.h"

namespace qx::sim {

SimProgram::SimProgram(SimDesktop& desktop, std::vector<DialogRequest>* log)
    : SimProgram(desktop, static_cast<DialogHost*>(nullptr)) {
  ownDialogs_ = std::make_unique<FormHost>(*platform_, desktop.fileOpen());
  recorder_ = std::make_unique<SimDialogHost>(ownDialogs_.get(), log);
  dialogs_ = recorder_.get();
}

SimProgram::SimProgram(SimDesktop& desktop, DialogHost& dialogs) : SimProgram(desktop, &dialogs) {}

SimProgram::SimProgram(SimDesktop& desktop, DialogHost* dialogs)
    : desktop_(desktop),
      dialogs_(dialogs),
      library_(desktop.failures(), desktop.windows(), desktop.platform().ansi,
               desktop.files().ProgramFolder()) {
  pid_ = desktop_.ClaimProgramProcess();
  desktop_.windows().SetCurrentProcess(pid_);
  controlWindow_ = desktop_.windows().CreateWindow(pid_, L"", L"OmnihookControl");
  control_ = std::make_unique<OmnihookControl>(hookState_, library_, desktop_.platform().ansi,
                                               controlWindow_);
  const Platform& p = desktop_.platform();
  platform_ = std::make_unique<Platform>(
      Platform{p.store,    p.registry,  p.files,       p.clock,        p.random,   p.desktop,
               p.shell,    p.messages,  p.errorDialog, p.process,      *control_,  p.ui,
               p.keyboard, p.sound,     p.workArea,    p.tray,         p.pictures, p.menus,
               p.inputBox, p.unescaper, p.ansi,        p.shellWindows, p.browsers});
}

SimProgram::~SimProgram() {
  if (running_) Die();
}

StartOutcome SimProgram::Start(std::wstring_view commandLine) {
  desktop_.windows().SetCurrentProcess(pid_);
  running_ = true;
  StartOutcome outcome = StartOutcome::Ended;
  Run([&] { outcome = Main(commandLine, *platform_, *dialogs_, process_, form_); });
  if (!running_) return StartOutcome::Ended;
  if (outcome == StartOutcome::Ended && !InModalDialog()) End();
  return outcome;
}

void SimProgram::Settle() {
  Run([&] { desktop_.windows().DeliverPostedCloses(); });
  if (running_ && (!form_ || form_->Unloaded()) && !InModalDialog()) End();
}

bool SimProgram::InModalDialog() {
  return !form_ && ownDialogs_ && ownDialogs_->Modal() != nullptr;
}

void SimProgram::Logoff() {
  Run([&] {
    if (form_) form_->QueryUnloadFromOutside();
  });
  if (running_) End();
}

void SimProgram::End() {
  running_ = false;
  form_.reset();
  ownDialogs_.reset();
  if (process_) process_->EndOfLife();
  process_.reset();
  control_.reset();
  desktop_.windows().EndProcess(pid_);
}

void SimProgram::Die() {
  running_ = false;
  if (process_) process_->Abandon();
  form_.reset();
  ownDialogs_.reset();
  process_.reset();
  control_.reset();
  desktop_.windows().EndProcess(pid_);
  // The notification area drops the icon of a process that is gone.
  try {
    desktop_.tray().Delete(NotifyIconRecord{});
  } catch (const PlatformError&) {
  }
}

}  // namespace qx::sim
