#include "sim/ScenarioParser.h"

#include <gtest/gtest.h>

#include "base/Text.h"

namespace qx::sim {
namespace {

std::vector<std::string> Words(const ScenarioLine& line) {
  std::vector<std::string> out;
  for (const auto& w : line.words)
    out.push_back((w.quoted ? "q:" : "") + ToUtf8(w.text));
  return out;
}

TEST(ScenarioParser, SplitsWordsQuotesEscapesAndComments) {
  const auto parsed = ParseScenario(
      "# a comment line\n"
      "\n"
      "browser b1 url http://a.example/   # trailing comment\n"
      "window w1 caption \"Win a \\\"free\\\" prize\" exe \"C:\\\\x.exe\"\n"
      "element b1 l1 a href=http://x/#frag onclick=\"open http://a.example/\"\n"
      "answer cancel\n"
      "answer \"cancel\"\n"
      "caption w1 \"two\\r\\nlines\"\t\n"
      "window w2 caption \"caf\xC3\xA9 # not a comment\"\n");
  ASSERT_FALSE(parsed.error.has_value());
  ASSERT_EQ(parsed.lines.size(), 7u);
  EXPECT_EQ(parsed.lines[0].number, 3);
  EXPECT_EQ(Words(parsed.lines[0]),
            (std::vector<std::string>{"browser", "b1", "url", "http://a.example/"}));
  EXPECT_EQ(Words(parsed.lines[1]),
            (std::vector<std::string>{"window", "w1", "caption", "q:Win a \"free\" prize", "exe",
                                      "q:C:\\x.exe"}));
  EXPECT_EQ(Words(parsed.lines[2]),
            (std::vector<std::string>{"element", "b1", "l1", "a", "href=http://x/#frag",
                                      "q:onclick=open http://a.example/"}));
  EXPECT_EQ(Words(parsed.lines[3]), (std::vector<std::string>{"answer", "cancel"}));
  EXPECT_EQ(Words(parsed.lines[4]), (std::vector<std::string>{"answer", "q:cancel"}));
  EXPECT_EQ(Words(parsed.lines[5]), (std::vector<std::string>{"caption", "w1", "q:two\r\nlines"}));
  EXPECT_EQ(parsed.lines[6].words[3].text, L"caf\u00E9 # not a comment");
  EXPECT_EQ(parsed.lines[6].number, 9);
}

TEST(ScenarioParser, BadLinesNameTheLineAndTheWord) {
  struct Case {
    const char* text;
    int line;
    const char* mentions;
  };
  const Case cases[] = {
      {"start\nwindow w1 caption \"open", 2, "unterminated quote"},
      {"caption w1 \"a\\tb\"", 1, "\\t"},
      {"x\ny\ncaption w1 \"a\\", 3, "backslash"},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseScenario(c.text);
    ASSERT_TRUE(parsed.error.has_value()) << c.text;
    EXPECT_EQ(parsed.error->line, c.line);
    EXPECT_NE(parsed.error->message.find(c.mentions), std::string::npos) << parsed.error->message;
  }
}

TEST(ScenarioParser, WindowsLineEndsAndEmptyInput) {
  EXPECT_TRUE(ParseScenario("").lines.empty());
  const auto parsed = ParseScenario("wait 10\r\nclose\r\n");
  ASSERT_EQ(parsed.lines.size(), 2u);
  EXPECT_EQ(Words(parsed.lines[1]), std::vector<std::string>{"close"});
}

}  // namespace
}  // namespace qx::sim
