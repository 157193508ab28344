#include "sim/SimProgram.h"

#include <algorithm>

#include "ui/ErrorFormPrompt.h"

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
  if (dying_) {
    // Its code was unwound through another process's Run.
    if (modalLoops_.empty()) Die();
    return;
  }
  Run([&] { desktop_.windows().DeliverPostedCloses(); });
  if (running_ && (endRequested_ || !form_ || form_->Unloaded()) && !InModalDialog()) End();
}

void SimProgram::ModalLeft(FormModel& form) {
  const auto it = std::find(modalLoops_.rbegin(), modalLoops_.rend(), &form);
  if (it != modalLoops_.rend()) modalLoops_.erase(std::next(it).base());
}

FormModel* SimProgram::Dialog(std::wstring_view name) {
  if (!Running()) return nullptr;
  if (name == L"Error") {
    ErrorFormPrompt* prompt = process_ ? ErrorFormPromptOf(*process_) : nullptr;
    return prompt != nullptr ? prompt->Dialog() : nullptr;
  }
  if (name == L"Password") return form_ ? form_->PasswordBox() : nullptr;
  return ownDialogs_ ? ownDialogs_->Loaded(name) : nullptr;
}

FormModel* SimProgram::Modal() {
  for (auto it = modalLoops_.rbegin(); it != modalLoops_.rend(); ++it) {
    if ((*it)->Loaded() && (*it)->Shown()) return *it;
  }
  return ownDialogs_ ? ownDialogs_->Modal() : nullptr;
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
  if (!modalLoops_.empty()) {
    endRequested_ = true;
    return;
  }
  running_ = false;
  form_.reset();
  ownDialogs_.reset();
  if (process_) process_->EndOfLife();
  process_.reset();
  control_.reset();
  desktop_.windows().EndProcess(pid_);
}

void SimProgram::Die() {
  if (!modalLoops_.empty()) {
    dying_ = true;
    return;
  }
  dying_ = false;
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
