#include "monitor/MenuScripts.h"

#include <gtest/gtest.h>

#include "sim/SimDesktop.h"

namespace qx {
namespace {

class MenuScriptsTest : public ::testing::Test {
 protected:
  std::wstring File(std::wstring_view name) { return d.files().ProgramFile(name); }
  std::string Read(std::wstring_view name) { return d.files().ReadAll(File(name)); }
  sim::SimDesktop d;
  Windows1252Codec ansi;
};

TEST_F(MenuScriptsTest, AFailedWriteSkipsOnlyThatFile) {
  d.failures().FailNext("Files.WriteAll");
  WriteMenuScripts(d.files(), ansi, L"0123456789");
  EXPECT_FALSE(d.files().Exists(File(L"blocksite.script")));
  EXPECT_TRUE(d.files().Exists(File(L"trustsite.script")));
  EXPECT_TRUE(d.files().Exists(File(L"t0123456789.html")));
}

}  // namespace
}  // namespace qx
