// quellix-sim: runs scenario files against the program on the simulated
// desktop. Exit status: 0 all expectations held, 1 one failed, 2 a file
// could not be read or parsed, or the command line is wrong.

#include <cxxopts.hpp>
#include <iostream>

#include "sim/ScenarioRunner.h"

int main(int argc, char** argv) {
  cxxopts::Options options("quellix-sim", "Runs Quellix scenario files on the simulated desktop");
  options.add_options()("keep", "keep each file's program folder under DIR",
                        cxxopts::value<std::string>(),
                        "DIR")("trace", "print why the program decided what it decided")(
      "failures", "every call of the simulated desktop fails with probability RATE",
      cxxopts::value<std::string>(), "RATE:SEED")("h,help", "show this help")(
      "files", "scenario files", cxxopts::value<std::vector<std::string>>());
  options.parse_positional({"files"});
  options.positional_help("FILE...");
  qx::sim::RunnerOptions runnerOptions;
  std::vector<std::string> files;
  try {
    const auto result = options.parse(argc, argv);
    if (result.count("help")) {
      std::cout << options.help() << "\n";
      return 0;
    }
    if (result.count("keep")) runnerOptions.keep = result["keep"].as<std::string>();
    runnerOptions.trace = result.count("trace") > 0;
    if (result.count("failures")) {
      const std::string spec = result["failures"].as<std::string>();
      const auto colon = spec.find(':');
      std::size_t used = 0;
      runnerOptions.failureRate = std::stod(spec.substr(0, colon), &used);
      if (used != colon && colon != std::string::npos) throw std::invalid_argument(spec);
      if (colon != std::string::npos)
        runnerOptions.failureSeed = std::stoull(spec.substr(colon + 1));
      if (runnerOptions.failureRate < 0 || runnerOptions.failureRate > 1) {
        throw std::invalid_argument(spec);
      }
    }
    if (result.count("files")) files = result["files"].as<std::vector<std::string>>();
  } catch (const cxxopts::exceptions::exception& e) {
    std::cerr << "quellix-sim: " << e.what() << "\n";
    return 2;
  } catch (const std::logic_error&) {
    std::cerr << "quellix-sim: --failures takes RATE:SEED, a probability from 0 to 1 and a seed\n";
    return 2;
  }
  if (files.empty()) {
    std::cerr << "quellix-sim: no scenario file given\n" << options.help() << "\n";
    return 2;
  }
  qx::sim::ScenarioRunner runner(std::cout, runnerOptions);
  bool parsed = true;
  for (const auto& file : files) {
    std::cout << file << "\n";
    parsed = runner.RunFile(file) && parsed;
  }
  std::cout << runner.Passed() << " passed, " << runner.Failed() << " failed\n";
  if (!parsed) return 2;
  return runner.Failed() > 0 ? 1 : 0;
}
