#pragma once
// What the rule objects need around them in a fuzz target: in-memory files,
// a settings store with every option at its default, and an error reporter
// that must never be reached (with files that cannot fail, loading a rule
// has no reason to report anything).

#include "base/AnsiCodec.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/MemoryFiles.h"
#include "rules/Websites.h"
#include "sim/FailureInjector.h"
#include "sim/RecordingHookControl.h"
#include "sim/SimRandom.h"
#include "sim/SimSettingsStore.h"

namespace qx::fuzz {

struct RuleWorld {
  Windows1252Codec ansi;
  MemoryFiles files;
  sim::FailureInjector failures;
  sim::SimSettingsStore store{failures};
  sim::SimRandom random;
  Settings settings{store, random, L"C:\\Program Files\\Quellix"};
  sim::RecordingHookControl hooks{failures};

  static Websites::ErrorReporterAccess NoErrors() {
    return
        []() -> ErrorReporter& { Broken("a website rule reported an error", __FILE__, __LINE__); };
  }
};

}  // namespace qx::fuzz
