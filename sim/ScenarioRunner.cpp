#include "sim/ScenarioRunner.h"

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <sstream>

#include "sim/ScenarioArgs.h"
#include "sim/ScenarioWorld.h"

namespace qx::sim {

ScenarioRunner::ScenarioRunner(std::ostream& out, RunnerOptions options)
    : out_(out), options_(std::move(options)) {}

bool ScenarioRunner::RunFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    out_ << path << ": cannot read the file\n";
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = buffer.str();
  const ParsedScenario parsed = ParseScenario(text);
  if (parsed.error) {
    out_ << path << ":" << parsed.error->line << ": " << parsed.error->message << "\n";
    return false;
  }

  std::filesystem::path drive;
  if (!options_.keep.empty()) {
    drive = options_.keep / std::filesystem::path(path).stem();
    std::error_code ec;
    std::filesystem::remove_all(drive, ec);
    std::filesystem::create_directories(drive, ec);
  }
  ScenarioWorld world(out_, path, drive, options_.trace);
  if (options_.failureRate > 0) world.FailRandomly(options_.failureRate, options_.failureSeed);
  // Every line is checked before anything runs: a bad word stops the file.
  for (const ScenarioLine& line : parsed.lines) {
    try {
      world.Step(line, true);
    } catch (const ScenarioSyntaxError& e) {
      out_ << path << ":" << line.number << ": " << e.what() << "\n";
      return false;
    }
  }
  std::vector<std::string> lines;
  {
    std::size_t pos = 0;
    while (pos <= text.size()) {
      const std::size_t end = text.find('\n', pos);
      std::string l = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
      if (end == std::string::npos) break;
      pos = end + 1;
    }
  }
  world.Run(parsed.lines, lines);
  world.Finish();
  passed_ += world.Passed();
  failed_ += world.Failed();
  return true;
}

}  // namespace qx::sim
