#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "base/AnsiCodec.h"
#include "logging/LogFileWriter.h"

namespace qx {
namespace {

using test::Entry;
using test::EntryBytes;
using test::MarkBytes;

TEST(LogFileWriter, PutsEveryTextBeforeItsLength) {
  const Windows1252Codec ansi;
  const std::vector<LogEntry> session = {
      Entry(L"http://news.example/", L"http://ads.example/pop", kBrowserPopup, L"6/1/2004",
            L"12:00:00 PM"),
      Entry(L"c:\\apps\\chat.exe", L"Win a prize", kOtherPopup, L"6/2/2004", L"1:05:09 AM")};
  const std::string expected =
      MarkBytes() +
      EntryBytes(1, "6/1/2004", "12:00:00 PM", "http://news.example/", "http://ads.example/pop") +
      EntryBytes(2, "6/2/2004", "1:05:09 AM", "c:\\apps\\chat.exe", "Win a prize");
  EXPECT_EQ(EncodeSession(session, ansi), expected);
}

TEST(LogFileWriter, TwoEntrySessionSize) {
  const Windows1252Codec ansi;
  const std::vector<LogEntry> session = {
      Entry(L"http://a.example/", L"http://b.example/x", kBrowserPopup),
      Entry(L"", L"Some caption (Web page dialog)", kBrowserPopup, L"12/31/2004", L"9:59:59 PM")};
  std::size_t texts = 0;
  for (const LogEntry& e : session) {
    texts += e.Source.size() + e.Target.size() + e.LogDate.size() + e.LogTime.size();
  }
  EXPECT_EQ(EncodeSession(session, ansi).size(), 4 + 2 * (4 + 4 * 4) + texts);
  EXPECT_EQ(EncodeSession(session, ansi).size(), 148u);
}

TEST(LogFileWriter, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  const Windows1252Codec ansi;
  // U+00E9 fits Windows-1252, U+4E2D does not; the surrogate pair of U+1F600
  // is one character and becomes one "?", and the length counts bytes.
  const std::vector<LogEntry> session = {
      Entry(L"http://caf\u00e9.example/", L"\u4e2d\xD83D\xDE00!", kOtherPopup, L"d", L"t")};
  std::string expected = MarkBytes();
  test::PutInt(expected, 2);
  expected += "d";
  test::PutInt(expected, 1);
  expected += "t";
  test::PutInt(expected, 1);
  expected += "http://caf\xe9.example/";
  test::PutInt(expected, 20);
  expected += "?\?!";
  test::PutInt(expected, 3);
  EXPECT_EQ(EncodeSession(session, ansi), expected);
}

}  // namespace
}  // namespace qx
