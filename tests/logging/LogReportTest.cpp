#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogTestSupport.h"
#include "logging/LogReport.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

using test::EntryBytes;
using test::Lines;
using test::MarkBytes;
using Text = std::vector<std::string>;

const Text kHead = {
    "<html>",
    "<head>",
    "<meta http-equiv=\"Content-Type\"content=\"text/html; charset=windows-1252\">",
    "<title>Blocked Pop-up Window Log</title>",
    "</head>",
    "<body bgcolor=\"#FFFFCC\">",
    "<h2>Past Logs</h2>",
};
const Text kTableHead = {
    "<table border=1 width=100% cellpadding=2 cellspacing=0 bordercolor=#000000 "
    "bordercolorlight=#000000 bordercolordark=#FFFFCC>",
    "<tr>",
    "<th width=33%>Time and Type</th>",
    "<th width=33%>Pop-up Window's URL (browser pop-ups);<br>Pop-up Window's Title (other "
    "pop-ups)</th>",
    "<th width=34%>Page that Generated Pop-up Window (browser pop-ups);<br>Program that Generated "
    "Pop-up Window (other pop-ups)</th>",
    "</tr>",
};

Text Page(const std::vector<Text>& parts) {
  Text all = kHead;
  for (const Text& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  all.push_back("</body></html>");
  return all;
}

class LogReportTest : public ::testing::Test {
 protected:
  std::wstring DataPath() { return desktop.files().ProgramFile(L"log.dat"); }
  std::wstring PagePath() { return desktop.files().ProgramFile(L"log.htm"); }
  void WriteData(const std::string& bytes) { desktop.files().WriteAll(DataPath(), bytes); }
  Text Show() {
    EXPECT_EQ(ShowPastLogs(desktop.files(), desktop.platform().ansi),
              L"C:\\Program Files\\Quellix\\log.htm");
    return Lines(desktop.files().ReadAll(PagePath()));
  }

  sim::SimDesktop desktop;
};

TEST_F(LogReportTest, NoSessionsGiveTheHeadOnly) {
  EXPECT_EQ(Show(), Page({}));
  // The missing history file is created empty, as opening it always did.
  EXPECT_TRUE(desktop.files().Exists(DataPath()));
  EXPECT_EQ(desktop.files().Size(DataPath()), 0);
  EXPECT_EQ(Show(), Page({}));
  WriteData(MarkBytes());
  EXPECT_EQ(Show(), Page({}));
}

TEST_F(LogReportTest, TwoSessionsNewestFirst) {
  WriteData(MarkBytes() +
            EntryBytes(1, "6/1/2004", "12:00:00 PM", "http://a.example/", "http://pop.example/") +
            EntryBytes(2, "6/1/2004", "12:00:07 PM", "c:\\apps\\chat.exe", "You have won") +
            MarkBytes() + EntryBytes(1, "6/2/2004", "9:00:00 AM", "", "Survey (Web page dialog)") +
            EntryBytes(1, "6/2/2004", "9:30:00 AM", "http://b.example/", "http://c.example/"));
  EXPECT_EQ(
      Show(),
      Page({{"<p>Log for 9:30:00 AM, 6/2/2004 to 9:00:00 AM, 6/2/2004.&nbsp; 2 pop-up windows "
             "were blocked:</p>"},
            kTableHead,
            {"<tr>", "<td width=33%>9:30:00 AM, 6/2/2004<br>Browser Pop-up</td>",
             "<td width=33%><A HREF=\"http://c.example/\">http://c.example/</A></td>",
             "<td width=34%><A HREF=\"http://b.example/\">http://b.example/</A></td>", "</tr>",
             "<tr>", "<td width=33%>9:00:00 AM, 6/2/2004<br>Browser Pop-up</td>",
             "<td width=33%>Survey (Web page dialog)</td>", "<td width=34%><A HREF=\"\"></A></td>",
             "</tr>", "</table>"},
            {"<p>Log for 12:00:07 PM, 6/1/2004 to 12:00:00 PM, 6/1/2004.&nbsp; 2 pop-up windows "
             "were blocked:</p>"},
            kTableHead,
            {"<tr>", "<td width=33%>12:00:07 PM, 6/1/2004<br>Other (non-browser) Pop-up</td>",
             "<td width=33%>You have won</td>", "<td width=34%>c:\\apps\\chat.exe</td>", "</tr>",
             "<tr>", "<td width=33%>12:00:00 PM, 6/1/2004<br>Browser Pop-up</td>",
             "<td width=33%><A HREF=\"http://pop.example/\">http://pop.example/</A></td>",
             "<td width=34%><A HREF=\"http://a.example/\">http://a.example/</A></td>", "</tr>",
             "</table>"}}));
}

// Only the last 17 characters decide, in any letter case.
TEST_F(LogReportTest, WebPageDialogsAreNotLinks) {
  const struct {
    std::string target;
    std::string cell;
  } cases[] = {
      {"Quiz (WEB PAGE DIALOG)", "<td width=33%>Quiz (WEB PAGE DIALOG)</td>"},
      {"(web page dialog)", "<td width=33%>(web page dialog)</td>"},
      {"eb page dialog)", "<td width=33%><A HREF=\"eb page dialog)\">eb page dialog)</A></td>"},
      {"Quiz (Web page dialog) ",
       "<td width=33%><A HREF=\"Quiz (Web page dialog) \">Quiz (Web page dialog) </A></td>"},
  };
  for (const auto& tc : cases) {
    WriteData(MarkBytes() + EntryBytes(1, "d", "t", "http://s/", tc.target));
    const Text page = Show();
    ASSERT_EQ(page.size(), 21u) << tc.target;
    EXPECT_EQ(page[16], tc.cell) << tc.target;
  }
}

TEST_F(LogReportTest, UnknownTypeGivesAnEmptyRow) {
  WriteData(MarkBytes() + EntryBytes(9, "6/1/2004", "1:00:00 PM", "s", "t") +
            EntryBytes(2, "6/1/2004", "1:00:01 PM", "c:\\x.exe", "Caption"));
  const Text page = Show();
  ASSERT_EQ(page.size(), 23u);
  EXPECT_EQ(page[7],
            "<p>Log for 1:00:01 PM, 6/1/2004 to 1:00:00 PM, 6/1/2004.&nbsp; 2 pop-up windows were "
            "blocked:</p>");
  EXPECT_EQ(Text(page.begin() + 19, page.end()),
            (Text{"<tr>", "</tr>", "</table>", "</body></html>"}));
}

// Addresses and captions come from web pages and other programs; opened from
// the disk, the page must show them as text, never as markup.
TEST_F(LogReportTest, TextsFromEntriesAreEscaped) {
  WriteData(MarkBytes() +
            EntryBytes(1, "6/1/2004", "<b>12", "http://s/?a=1&b=2",
                       "http://x/\"><script>alert(1)</script>") +
            EntryBytes(2, "6/1/2004", "12:00:01 PM", "c:\\a&b.exe", "<img src=x onerror=\"y\">") +
            EntryBytes(1, "6/1/2004", "12:00:02 PM", "", "<i>Hi</i> & bye (Web page dialog)"));
  const Text page = Show();
  const Text rows(page.begin() + 14, page.end() - 2);
  EXPECT_EQ(page[7],
            "<p>Log for 12:00:02 PM, 6/1/2004 to &lt;b&gt;12, 6/1/2004.&nbsp; 3 pop-up windows "
            "were blocked:</p>");
  EXPECT_EQ(rows,
            (Text{"<tr>", "<td width=33%>12:00:02 PM, 6/1/2004<br>Browser Pop-up</td>",
                  "<td width=33%>&lt;i&gt;Hi&lt;/i&gt; &amp; bye (Web page dialog)</td>",
                  "<td width=34%><A HREF=\"\"></A></td>", "</tr>", "<tr>",
                  "<td width=33%>12:00:01 PM, 6/1/2004<br>Other (non-browser) Pop-up</td>",
                  "<td width=33%>&lt;img src=x onerror=&quot;y&quot;&gt;</td>",
                  "<td width=34%>c:\\a&amp;b.exe</td>", "</tr>", "<tr>",
                  "<td width=33%>&lt;b&gt;12, 6/1/2004<br>Browser Pop-up</td>",
                  "<td width=33%><A "
                  "HREF=\"http://x/&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">http://x/"
                  "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;</A></td>",
                  "<td width=34%><A HREF=\"http://s/?a=1&amp;b=2\">http://s/?a=1&amp;b=2</A></td>",
                  "</tr>"}));
}

TEST_F(LogReportTest, WrittenInTheAnsiCodePage) {
  WriteData(MarkBytes() + EntryBytes(2, "d", "t", "c:\\caf\xe9.exe", "\x80 deal"));
  const Text page = Show();
  ASSERT_EQ(page.size(), 21u);
  EXPECT_EQ(page[16], "<td width=33%>\x80 deal</td>");
  EXPECT_EQ(page[17], "<td width=34%>c:\\caf\xe9.exe</td>");
}

TEST_F(LogReportTest, UnreadableHistoryGivesTheHeadOnly) {
  WriteData(MarkBytes() + EntryBytes(1, "d", "t", "s", "x"));
  desktop.failures().FailAlways("Files.ReadAll");
  EXPECT_EQ(ShowPastLogs(desktop.files(), desktop.platform().ansi), PagePath());
  desktop.failures().Clear();
  EXPECT_EQ(Lines(desktop.files().ReadAll(PagePath())), Page({}));
}

TEST_F(LogReportTest, PageThatCannotBeWrittenKeepsTheOldOne) {
  desktop.files().WriteAll(PagePath(), "old page");
  desktop.failures().FailAlways("Files.WriteAll");
  EXPECT_EQ(ShowPastLogs(desktop.files(), desktop.platform().ansi), PagePath());
  desktop.failures().Clear();
  EXPECT_EQ(desktop.files().ReadAll(PagePath()), "old page");
}

// Some 3 MB of page from 1 001 entries with long addresses, oldest session
// last.
std::string LongHistory() {
  std::string bytes;
  for (int session = 0; session < 4; ++session) {
    bytes += MarkBytes();
    for (int i = 0; i < 250; ++i) {
      bytes += EntryBytes(
          1, "6/" + std::to_string(1 + session) + "/2004", "1:00:00 PM",
          "http://page.example/" + std::to_string(i),
          "http://pop.example/" + std::to_string(session * 250 + i) + "?" + std::string(1200, 'q'));
    }
  }
  return bytes + MarkBytes() + EntryBytes(2, "7/1/2004", "2:00:00 PM", "c:\\x.exe", "Last");
}

TEST_F(LogReportTest, LongPageIsWhole) {
  WriteData(LongHistory());
  const Text page = Show();
  std::size_t rows = 0;
  for (const std::string& line : page)
    rows += line == "<tr>" ? 1 : 0;
  EXPECT_EQ(rows, 5u + 1001u);  // the tables' heads and the entries
  EXPECT_EQ(page[7],
            "<p>Log for 2:00:00 PM, 7/1/2004 to 2:00:00 PM, 7/1/2004.&nbsp; 1 pop-up windows were "
            "blocked:</p>");
  EXPECT_EQ(page.back(), "</body></html>");
}

// A disk that fills while the page is written leaves the start of the page,
// never a page with a piece missing in the middle.
TEST_F(LogReportTest, PageCutShortByAFullDiskHasNoGap) {
  WriteData(LongHistory());
  Show();
  const std::string whole = desktop.files().ReadAll(PagePath());
  // From no space at all, where the old page stays, to where a middle piece
  // fails while the one-entry session at the end would still fit.
  for (std::size_t space = 0; space < whole.size(); space += whole.size() / 5) {
    desktop.files().WriteAll(PagePath(), "old page");
    desktop.files().SetSpaceLeft(static_cast<std::int64_t>(space));
    ShowPastLogs(desktop.files(), desktop.platform().ansi);
    desktop.files().SetSpaceLeft(-1);
    const std::string written = desktop.files().ReadAll(PagePath());
    if (written != "old page") {
      EXPECT_LT(written.size(), whole.size()) << "space " << space;
      EXPECT_EQ(written, whole.substr(0, written.size())) << "space " << space;
    }
  }
}

// A torn last append costs only the entry it tore; the page stays whole.
TEST_F(LogReportTest, TruncatedHistoryAtEveryOffsetGivesAWholePage) {
  std::string bytes;
  std::vector<std::size_t> entryEnds;
  for (int session = 0; session < 3; ++session) {
    bytes += MarkBytes();
    for (int i = 0; i <= session; ++i) {
      bytes += EntryBytes(1 + i % 2, "6/1/2004", "12:00:0" + std::to_string(i) + " PM",
                          i == 1 ? "" : "http://s.example/", session == 1 ? "" : "Caption");
      entryEnds.push_back(bytes.size());
    }
  }
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    WriteData(bytes.substr(0, cut));
    const Text page = Show();
    ASSERT_GE(page.size(), 8u);
    EXPECT_EQ(Text(page.begin(), page.begin() + 7), kHead);
    EXPECT_EQ(page.back(), "</body></html>");
    std::size_t rows = 0;
    for (const std::string& line : page)
      rows += line.find("Pop-up</td>") != std::string::npos;
    std::size_t whole = 0;
    for (const std::size_t end : entryEnds)
      whole += end <= cut;
    EXPECT_EQ(rows, whole) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace qx
