// Scenario files: any bytes parse into lines or into one error naming a line
// of the file, and the parsed words, written out again, parse the same.

#include <algorithm>

#include "fuzz/FuzzSupport.h"
#include "sim/ScenarioParser.h"

namespace qx::fuzz {
namespace {

std::string Quoted(std::wstring_view text) {
  std::string out = "\"";
  for (const char c : ToUtf8(text)) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out.push_back(c);
    }
  }
  return out + "\"";
}

// Every line at its own number; unquoted words as they were.
std::string Write(const sim::ParsedScenario& parsed) {
  std::string out;
  int number = 1;
  for (const sim::ScenarioLine& line : parsed.lines) {
    for (; number < line.number; ++number)
      out += "\n";
    const char* blank = "";
    for (const sim::ScenarioWord& word : line.words) {
      out += blank;
      out += word.quoted ? Quoted(word.text) : ToUtf8(word.text);
      blank = " ";
    }
  }
  return out;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const std::string_view text = Bytes(data, size);
  const sim::ParsedScenario parsed = sim::ParseScenario(text);
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (parsed.error) {
    QX_FUZZ_CHECK(parsed.error->line >= 1 && parsed.error->line <= lines);
    QX_FUZZ_CHECK(!parsed.error->message.empty());
    return 0;
  }
  int previous = 0;
  for (const sim::ScenarioLine& line : parsed.lines) {
    QX_FUZZ_CHECK(line.number > previous && line.number <= lines);
    QX_FUZZ_CHECK(!line.words.empty());
    previous = line.number;
    for (const sim::ScenarioWord& word : line.words) {
      // A word outside quotes has no blank and does not begin a comment.
      if (!word.quoted) {
        QX_FUZZ_CHECK(!word.text.empty() && word.text[0] != L'#');
        QX_FUZZ_CHECK(word.text.find_first_of(L" \t\r\n\"") == std::wstring::npos);
      }
    }
  }
  const sim::ParsedScenario again = sim::ParseScenario(Write(parsed));
  QX_FUZZ_CHECK(!again.error);
  QX_FUZZ_CHECK(again.lines.size() == parsed.lines.size());
  for (std::size_t i = 0; i < parsed.lines.size(); ++i) {
    QX_FUZZ_CHECK(again.lines[i].number == parsed.lines[i].number);
    QX_FUZZ_CHECK(again.lines[i].words.size() == parsed.lines[i].words.size());
    for (std::size_t w = 0; w < parsed.lines[i].words.size(); ++w) {
      QX_FUZZ_CHECK(again.lines[i].words[w].text == parsed.lines[i].words[w].text);
      QX_FUZZ_CHECK(again.lines[i].words[w].quoted == parsed.lines[i].words[w].quoted);
    }
  }
  return 0;
}
