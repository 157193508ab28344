#pragma once
// The process context: the program's single instances, created on first use
// and ended in a fixed order at program exit. There is no other process-wide
// state; a test makes as many of these as it likes.

#include <memory>

#include "context/WindowInfo.h"
#include "logging/ErrorLogger.h"
#include "logging/ErrorReporter.h"
#include "logging/PopupLog.h"
#include "platform/OwnFormWindows.h"
#include "platform/Platform.h"
#include "platform/RegistryHelpers.h"
#include "rules/Websites.h"
#include "rules/Windows.h"
#include "settings/Settings.h"

namespace qx {

class Process {
 public:
  explicit Process(Platform& platform);
  // Runs the end-of-life writes unless the process was abandoned.
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  Platform& platform() { return platform_; }
  Settings& settings();
  ErrorLogger& errorLogger();
  ErrorReporter& errors();
  // How error reports ask the user (the user interface supplies the error
  // dialog); until one is given, errors are only logged.
  void UseErrorPrompt(std::unique_ptr<ErrorPrompt> prompt);
  ErrorPrompt* errorPrompt() { return errorPrompt_.get(); }
  Websites& websites();
  Windows& windows();
  PopupLog& popupLog();
  WindowInfo& windowInfo() { return windowInfo_; }
  RegistryHelpers& registry() { return registry_; }
  OwnFormWindows& ownForms() { return ownForms_; }

  // The objects' end-of-life writes, in their fixed order (the rule files,
  // then the log, then the start mode); runs once.
  void EndOfLife();
  // The process died (a crash, or Quit from the error dialog): nothing more
  // is written.
  void Abandon() { ended_ = true; }
  bool Ended() const { return ended_; }

 private:
  // A rule file that could not be read kept its rules beside it: the error
  // log says where.
  void NoteRulesKeptBeside();

  Platform& platform_;
  WindowInfo windowInfo_;
  RegistryHelpers registry_;
  OwnFormWindows ownForms_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<ErrorLogger> errorLogger_;
  std::unique_ptr<ErrorPrompt> errorPrompt_;
  std::unique_ptr<ErrorReporter> errors_;
  std::unique_ptr<Websites> websites_;
  std::unique_ptr<Windows> windows_;
  std::unique_ptr<PopupLog> popupLog_;
  bool ended_ = false;
};

}  // namespace qx
