#pragma once
// Reads scenario files: one step per line, words separated by blanks, a word
// with blanks in double quotes (escapes \" \\ \r \n), NAME="VALUE" words,
// and "#" comments outside quotes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::sim {

struct ScenarioWord {
  std::wstring text;    // quotes removed, escapes decoded
  bool quoted = false;  // the word (or its value) was written in quotes
};

struct ScenarioLine {
  int number = 0;
  std::vector<ScenarioWord> words;
};

struct ScenarioError {
  int line = 0;
  std::string message;  // names the bad word or character
};

struct ParsedScenario {
  std::vector<ScenarioLine> lines;  // lines with at least one word
  std::optional<ScenarioError> error;
};

ParsedScenario ParseScenario(std::string_view utf8Text);

}  // namespace qx::sim
