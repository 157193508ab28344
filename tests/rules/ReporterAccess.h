#pragma once
// The process's error reporter for rule objects that tests make themselves,
// reached on demand as the process context itself passes it.

#include "context/Process.h"

namespace qx {

inline Websites::ErrorReporterAccess Reporter(Process& process) {
  return [&process]() -> ErrorReporter& { return process.errors(); };
}

}  // namespace qx
