#include "sim/ScenarioParser.h"

#include "base/Text.h"

namespace qx::sim {
namespace {

// Splits one line into words; answers an error message or "".
std::string SplitLine(std::string_view line, std::vector<ScenarioWord>& words) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
      ++i;
    if (i >= line.size() || line[i] == '#') break;
    ScenarioWord word;
    std::string text;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      if (line[i] == '"') {
        word.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
          const char c = line[i];
          if (c == '"') {
            closed = true;
            ++i;
            break;
          }
          if (c == '\\') {
            if (i + 1 >= line.size()) return "a backslash ends the line";
            const char e = line[i + 1];
            switch (e) {
              case '"':
                text.push_back('"');
                break;
              case '\\':
                text.push_back('\\');
                break;
              case 'r':
                text.push_back('\r');
                break;
              case 'n':
                text.push_back('\n');
                break;
              default:
                return std::string("unknown escape \\") + e + " in word " +
                       std::string(line.substr(start, i + 2 - start));
            }
            i += 2;
            continue;
          }
          text.push_back(c);
          ++i;
        }
        if (!closed) return "unterminated quote in word " + std::string(line.substr(start));
        continue;
      }
      if (line[i] == '#' && !word.quoted && text.empty()) break;
      text.push_back(line[i]);
      ++i;
    }
    word.text = FromUtf8(text);
    words.push_back(std::move(word));
  }
  return "";
}

}  // namespace

ParsedScenario ParseScenario(std::string_view utf8Text) {
  ParsedScenario parsed;
  int number = 0;
  std::size_t pos = 0;
  while (pos <= utf8Text.size()) {
    const std::size_t end = utf8Text.find('\n', pos);
    const std::string_view line =
        utf8Text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    ++number;
    ScenarioLine parsedLine;
    parsedLine.number = number;
    const std::string error = SplitLine(line, parsedLine.words);
    if (!error.empty()) {
      parsed.error = ScenarioError{number, error};
      return parsed;
    }
    if (!parsedLine.words.empty()) parsed.lines.push_back(std::move(parsedLine));
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return parsed;
}

}  // namespace qx::sim
