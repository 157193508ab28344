// quellix-rules: its commands on real files, its answers and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/ByteCodec.h"
#include "rules/Website.h"
#include "tools/rulestool/RulesTool.h"

namespace qx::tool {
namespace {

namespace fs = std::filesystem;

class RulesToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("quellix-rules-test-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }

  int Run(std::vector<fs::path> args) {
    out_.str("");
    err_.str("");
    const ToolContext context{ansi_, LocalTime{.year = 2004, .month = 6, .day = 1}, out_, err_};
    return RunRulesTool(args, context);
  }
  static void Write(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::string Records(std::initializer_list<std::pair<std::int32_t, std::wstring_view>> rules) {
    ByteWriter writer(ansi_);
    for (const auto& [type, text] : rules) {
      writer.PutInt32(type);
      writer.PutText(text);
    }
    return writer.Bytes();
  }

  Windows1252Codec ansi_;
  std::ostringstream out_;
  std::ostringstream err_;
  fs::path folder_;
  fs::path previous_;
};

TEST_F(RulesToolTest, ImportIntoTheFileInTheCurrentFolderThenListCheckAndExport) {
  Write("websites.dat", Records({{kAllowPopups, L"shop.example"}}));
  Write("list.txt",
        "[Adblock Plus 2.0]\n||pop.example^$popup\n||shop.example^$popup\n"
        "||n.example^$popup,domain=a.example\n");
  ASSERT_EQ(Run({"import", "list.txt"}), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "Added 1 rule; 1 was already there; 2 lines skipped: 1 comment, 1 narrower than a "
            "whole site.\n");
  EXPECT_EQ(Read("websites.dat"),
            Records({{kAllowPopups, L"shop.example"}, {kAlwaysKill, L"*!pop.example"}}));

  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(), "shop.example\tallow\tsubdomains no\npop.example\tkill\tsubdomains yes\n");
  ASSERT_EQ(Run({"check", "http://a.pop.example/x", "http://www.shop.example/"}), 0);
  EXPECT_EQ(out_.str(),
            "http://a.pop.example/x\tallow no\tkill yes\tthe always-kill rule \"pop.example\" of "
            "host \"pop.example\"\n"
            "http://www.shop.example/\tallow yes\tkill no\tallowed by the rule \"shop.example\" of "
            "host \"shop.example\"\n");
  ASSERT_EQ(Run({"export"}), 0);
  EXPECT_EQ(out_.str(),
            "[Adblock Plus 2.0]\r\n! Title: Quellix always-kill rules\r\n"
            "! Last modified: 2004-06-01\r\n||pop.example^$popup\r\n");
  EXPECT_EQ(err_.str(), "");
}

TEST_F(RulesToolTest, NamedFilesAndWhatIsNotThere) {
  fs::create_directory("deploy");
  Write("hosts", "127.0.0.1 localhost\n0.0.0.0 a.example\n");
  // No rule file yet: it is made.
  ASSERT_EQ(Run({"import", "hosts", "--into", "deploy/rules.dat"}), 0) << err_.str();
  EXPECT_EQ(Read("deploy/rules.dat"), Records({{kAlwaysKill, L"a.example"}}));
  EXPECT_FALSE(fs::exists("websites.dat"));
  ASSERT_EQ(Run({"check", "deploy/rules.dat", "http://a.example/"}), 0);
  EXPECT_EQ(out_.str(),
            "http://a.example/\tallow no\tkill yes\tthe always-kill rule \"a.example\" of host "
            "\"a.example\"\n");
  // A list that cannot be read, and a text that is not a list, change nothing.
  EXPECT_EQ(Run({"import", "missing.txt", "--into", "deploy/rules.dat"}), kToolFailed);
  EXPECT_EQ(err_.str(), "quellix-rules: cannot read missing.txt\n");
  Write("letter.txt", "Dear user,\nthis is a letter.\n");
  EXPECT_EQ(Run({"import", "letter.txt", "--into", "deploy/rules.dat"}), kToolFailed);
  EXPECT_EQ(out_.str(), "Nothing was imported: the file is not a filter list or a hosts file.\n");
  EXPECT_EQ(Read("deploy/rules.dat"), Records({{kAlwaysKill, L"a.example"}}));
  // Nothing new: the file is not written again.
  const auto written = fs::last_write_time("deploy/rules.dat");
  ASSERT_EQ(Run({"import", "hosts", "--into", "deploy/rules.dat"}), 0);
  EXPECT_EQ(out_.str(), "Added no rules; 1 was already there; 1 line skipped: 1 local name.\n");
  EXPECT_EQ(fs::last_write_time("deploy/rules.dat"), written);
  // Listing a file that is not there lists nothing, as the program starts
  // with no rules.
  ASSERT_EQ(Run({"list", "none.dat"}), 0);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(RulesToolTest, ADamagedRuleFileLoadsWhatItCan) {
  std::string damaged = Records({{kAlwaysKill, L"a.example"}, {kAlwaysKill, L"b.example"}});
  damaged.resize(damaged.size() - 3);
  Write("websites.dat", damaged);
  ASSERT_EQ(Run({"list"}), 0);
  EXPECT_EQ(out_.str(), "a.example\tkill\tsubdomains no\n");
  EXPECT_EQ(Read("websites.dat"), damaged) << "listing writes nothing";
  Write("list.txt", "0.0.0.0 c.example\n");
  ASSERT_EQ(Run({"import", "list.txt"}), 0);
  EXPECT_EQ(Read("websites.dat"),
            Records({{kAlwaysKill, L"a.example"}, {kAlwaysKill, L"c.example"}}));
}

TEST_F(RulesToolTest, BadArgumentsGetTheUsageAndStatusTwo) {
  struct Case {
    std::vector<fs::path> args;
    std::string_view message;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command \"frobnicate\""},
      {{"import"}, "import needs one LIST"},
      {{"import", "a.txt", "b.txt"}, "import needs one LIST"},
      {{"import", "a.txt", "--into"}, "--into needs a file name"},
      {{"list", "--into", "x.dat"}, "unknown option \"--into\""},
      {{"export", "a.dat", "b.dat"}, "export takes at most one websites.dat"},
      {{"check"}, "check needs at least one URL"},
      {{"check", "rules.dat"}, "check needs at least one URL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.message));
    EXPECT_EQ(Run(c.args), kBadArguments);
    EXPECT_TRUE(err_.str().starts_with("quellix-rules: " + std::string(c.message) + "\nusage:"))
        << err_.str();
    EXPECT_EQ(out_.str(), "");
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_TRUE(out_.str().starts_with("usage: quellix-rules import LIST [--into websites.dat]\n"));
}

}  // namespace
}  // namespace qx::tool
