#pragma once
// Runs scenario files against the program on the simulated desktop: each
// file in a fresh desktop with an empty program folder, every step echoed,
// failed expectations reported, and a count over all files.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace qx::sim {

struct RunnerOptions {
  // Keep each file's drive C: in this folder (one subfolder per file).
  std::filesystem::path keep;
  // Print why the program decided what it decided.
  bool trace = false;
  // Every call of the simulated desktop fails with this probability (from a
  // generator seeded with failureSeed): the program must still neither crash
  // nor hang.
  double failureRate = 0.0;
  std::uint64_t failureSeed = 1;
};

class ScenarioRunner {
 public:
  ScenarioRunner(std::ostream& out, RunnerOptions options);
  // False when the file cannot be read or parsed; the message is printed
  // and nothing of the file runs.
  bool RunFile(const std::string& path);
  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

 private:
  friend class FileRun;
  std::ostream& out_;
  RunnerOptions options_;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace qx::sim
