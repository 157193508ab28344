#include "context/Process.h"

#include "platform/PlatformError.h"
#include "rules/PendingRules.h"
#include "rules/WebsiteFiles.h"

namespace qx {

Process::Process(Platform& platform)
    : platform_(platform), windowInfo_(platform.desktop), registry_(platform.registry) {}

Process::~Process() {
  EndOfLife();
}

Settings& Process::settings() {
  if (!settings_) {
    settings_ = std::make_unique<Settings>(platform_.store, platform_.random,
                                           platform_.files.ProgramFolder());
  }
  return *settings_;
}

ErrorLogger& Process::errorLogger() {
  if (!errorLogger_) {
    errorLogger_ = std::make_unique<ErrorLogger>(platform_.files, platform_.clock, platform_.ansi,
                                                 settings().EventLog());
  }
  return *errorLogger_;
}

ErrorReporter& Process::errors() {
  if (!errors_) {
    errors_ = std::make_unique<ErrorReporter>(platform_, errorLogger(), errorPrompt_.get());
  }
  return *errors_;
}

void Process::UseErrorPrompt(std::unique_ptr<ErrorPrompt> prompt) {
  errorPrompt_ = std::move(prompt);
  if (errors_) errors_->SetPrompt(errorPrompt_.get());
}

Websites& Process::websites() {
  if (!websites_) {
    websites_ = std::make_unique<Websites>(platform_.files, platform_.ansi, settings(),
                                           [this]() -> ErrorReporter& { return errors(); });
  }
  return *websites_;
}

Windows& Process::windows() {
  if (!windows_) {
    windows_ = std::make_unique<Windows>(platform_.files, platform_.ansi, platform_.hookControl);
  }
  return *windows_;
}

PopupLog& Process::popupLog() {
  if (!popupLog_) {
    popupLog_ = std::make_unique<PopupLog>(platform_.files, platform_.store, platform_.clock,
                                           platform_.ansi, settings());
  }
  return *popupLog_;
}

void Process::NoteRulesKeptBeside() {
  const auto note = [&](std::wstring_view file) {
    Step([&] {
      errorLogger().WriteEvent(L"Quellix",
                               std::wstring(file) +
                                   L" could not be read, so it was left as it is; this session's " +
                                   L"rules were kept in " + PendingRulesPath(file) +
                                   L" and will be merged into it when it can be read again.",
                               EventType::Warning);
    });
  };
  if (websites_ && websites_->KeptBeside()) note(kWebsitesFile);
  if (windows_ && windows_->KeptBeside()) note(kWindowsFile);
}

void Process::EndOfLife() {
  if (ended_) return;
  ended_ = true;
  if (websites_) websites_->Terminate();
  if (windows_) windows_->Terminate();
  NoteRulesKeptBeside();
  // The session goes to "log.dat" after the rule files are written.
  if (popupLog_) popupLog_->SaveSession();
  // Settings last: the start mode it applies is the one the user chose last.
  if (settings_) settings_->Terminate(registry_);
}

}  // namespace qx
