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

TEST_F(MenuScriptsTest, AFirstStartWritesBothScriptsAndBothMarkerPagesByteForByte) {
  WriteMenuScripts(d.files(), ansi, L"0123456789");
  EXPECT_EQ(Read(L"blocksite.script"),
            "<SCRIPT language=VBScript>\r\n"
            "external.menuArguments.Parent.Parent.Parent.navigate "
            "\"file://C:\\Program Files\\Quellix\\b0123456789.html\"\r\n"
            "</SCRIPT>");
  EXPECT_EQ(Read(L"trustsite.script"),
            "<SCRIPT language=VBScript>\r\n"
            "external.menuArguments.Parent.Parent.Parent.navigate "
            "\"file://C:\\Program Files\\Quellix\\t0123456789.html\"\r\n"
            "</SCRIPT>");
  EXPECT_EQ(Read(L"b0123456789.html"),
            "<html>\r\n<head>\r\n<title>Could not always kill this pop-up</title>\r\n</head>\r\n"
            "<body>\r\n<script language=VBScript>\r\nhistory.back\r\n</script>\r\n"
            "Error: Could not add an Always Kill this Pop-up rule.<br>\r\n"
            "Quellix must be running.<br>\r\nPlease run Quellix and try again.\r\n"
            "</body>\r\n</html>");
  EXPECT_EQ(Read(L"t0123456789.html"),
            "<html>\r\n<head>\r\n<title>Could not allow pop-ups for this site</title>\r\n"
            "</head>\r\n<body>\r\n<script language=VBScript>\r\nhistory.back\r\n</script>\r\n"
            "Error: Could not allow pop-ups for this site.<br>\r\n"
            "To allow/disallow a site's pop-ups, Quellix must be running.<br>\r\n"
            "Please run Quellix and try again.\r\n</body>\r\n</html>");
}

TEST_F(MenuScriptsTest, AScriptNotNamingThisRunsMarkerPagesIsWrittenAfresh) {
  d.files().WriteAll(File(L"trustsite.script"), "");
  d.files().WriteAll(File(L"blocksite.script"), "something else");
  d.files().WriteAll(File(L"t1111111111.html"), "kept");
  WriteMenuScripts(d.files(), ansi, L"1111111111");
  EXPECT_NE(Read(L"blocksite.script").find("b1111111111.html"), std::string::npos);
  EXPECT_NE(Read(L"trustsite.script").find("t1111111111.html"), std::string::npos);
  // Marker pages are written only when missing or empty.
  EXPECT_EQ(Read(L"t1111111111.html"), "kept");
  // Another prefix (a run whose stored one could not be read): both scripts
  // follow it, and its marker pages are made.
  WriteMenuScripts(d.files(), ansi, L"2222222222");
  EXPECT_NE(Read(L"trustsite.script").find("t2222222222.html"), std::string::npos);
  EXPECT_NE(Read(L"blocksite.script").find("b2222222222.html"), std::string::npos);
  EXPECT_TRUE(d.files().Exists(File(L"b2222222222.html")));
  // Back to the first: the scripts name it again.
  WriteMenuScripts(d.files(), ansi, L"1111111111");
  EXPECT_NE(Read(L"blocksite.script").find("b1111111111.html"), std::string::npos);
}

TEST_F(MenuScriptsTest, AFailedWriteSkipsOnlyThatFile) {
  d.failures().FailNext("Files.WriteAll");
  WriteMenuScripts(d.files(), ansi, L"0123456789");
  EXPECT_FALSE(d.files().Exists(File(L"blocksite.script")));
  EXPECT_TRUE(d.files().Exists(File(L"trustsite.script")));
  EXPECT_TRUE(d.files().Exists(File(L"t0123456789.html")));
}

TEST_F(MenuScriptsTest, TheOnOffCycleRenamesAndLeavesBothWhenBothExist) {
  WriteMenuScripts(d.files(), ansi, L"0123456789");
  DeactivateMenuScripts(d.files());
  EXPECT_FALSE(d.files().Exists(File(L"blocksite.script")));
  EXPECT_TRUE(d.files().Exists(File(L"blocksite.script2")));
  EXPECT_TRUE(d.files().Exists(File(L"trustsite.script2")));
  ActivateMenuScripts(d.files());
  EXPECT_TRUE(d.files().Exists(File(L"blocksite.script")));
  EXPECT_FALSE(d.files().Exists(File(L"trustsite.script2")));

  d.files().WriteAll(File(L"blocksite.script2"), "stale");
  ActivateMenuScripts(d.files());
  EXPECT_EQ(Read(L"blocksite.script2"), "stale");
  EXPECT_NE(Read(L"blocksite.script").find("b0123456789"), std::string::npos);
}

}  // namespace
}  // namespace qx
