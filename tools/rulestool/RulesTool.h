#pragma once
// quellix-rules: the website rules of a "websites.dat" from the command
// line, for people who deploy Quellix. It reads and writes the file with
// the program's own rule code, so a damaged file loads what it can, as the
// program does, and a file written here is one the program reads.

#include <filesystem>
#include <ostream>
#include <vector>

#include "base/AnsiCodec.h"
#include "platform/Clock.h"

namespace qx::tool {

inline constexpr int kToolFailed = 1;
inline constexpr int kBadArguments = 2;

struct ToolContext {
  // The code page "websites.dat" is written in: the system's, as the
  // program's.
  const AnsiCodec& ansi;
  // The date an exported list carries.
  LocalTime today;
  std::ostream& out;
  std::ostream& err;
};

// Runs one command (the arguments without the program's name); answers the
// exit status: 0, kToolFailed, or kBadArguments after the usage message.
int RunRulesTool(const std::vector<std::filesystem::path>& args, const ToolContext& context);

}  // namespace qx::tool
