#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "LogTestSupport.h"
#include "base/AnsiCodec.h"
#include "logging/LogFileReader.h"
#include "logging/LogFileWriter.h"

namespace qx {
namespace {

using test::Entry;
using Session = std::vector<LogEntry>;  // newest first, as the reader hands them out

std::vector<Session> ReadAll(std::string_view bytes) {
  const Windows1252Codec ansi;
  std::vector<Session> sessions;
  ReadPastSessions(bytes, ansi, [&](const Session& s) { sessions.push_back(s); });
  return sessions;
}

// The file sessions (oldest first, entries oldest first) make.
std::string FileOf(const std::vector<Session>& oldestFirst) {
  const Windows1252Codec ansi;
  std::string bytes;
  for (const Session& s : oldestFirst)
    bytes += EncodeSession(s, ansi);
  return bytes;
}

// What the reader should hand out for them: everything reversed.
std::vector<Session> Reversed(std::vector<Session> sessions) {
  std::reverse(sessions.begin(), sessions.end());
  for (Session& s : sessions)
    std::reverse(s.begin(), s.end());
  return sessions;
}

TEST(LogFileReader, ReadsHandBuiltFileNewestFirst) {
  const std::string bytes =
      test::MarkBytes() + test::EntryBytes(1, "6/1/2004", "12:00:00 PM", "http://a/", "http://b/") +
      test::EntryBytes(2, "6/1/2004", "12:00:05 PM", "c:\\x.exe", "Caption") + test::MarkBytes() +
      test::EntryBytes(1, "6/2/2004", "8:00:00 AM", "http://c/", "Box (Web page dialog)");
  const std::vector<Session> expected = {
      {Entry(L"http://c/", L"Box (Web page dialog)", 1, L"6/2/2004", L"8:00:00 AM")},
      {Entry(L"c:\\x.exe", L"Caption", 2, L"6/1/2004", L"12:00:05 PM"),
       Entry(L"http://a/", L"http://b/", 1, L"6/1/2004", L"12:00:00 PM")}};
  EXPECT_EQ(ReadAll(bytes), expected);
}

TEST(LogFileReader, EmptyFileHasNoSessions) {
  EXPECT_TRUE(ReadAll("").empty());
  EXPECT_TRUE(ReadAll(test::MarkBytes()).empty());
}

// A target length of 0 is written for an empty target and for a session
// mark alike; wherever the empty target stands, every entry and session
// must come back as written.
TEST(LogFileReader, EmptyTargetsAreEntriesNotSessionMarks) {
  const LogEntry a = Entry(L"http://a.example/", L"http://pop-a.example/");
  const LogEntry b = Entry(L"http://b.example/", L"", 1, L"6/1/2004", L"12:00:01 PM");
  const LogEntry c = Entry(L"", L"", 1, L"6/1/2004", L"12:00:02 PM");
  const LogEntry d = Entry(L"c:\\d.exe", L"", 2, L"6/3/2004", L"3:00:00 PM");
  const LogEntry e = Entry(L"http://e.example/", L"Notice (Web page dialog)");
  const struct {
    const char* name;
    std::vector<Session> sessions;
  } cases[] = {
      {"only entry of the file", {{b}}},
      {"last entry of the file", {{a, e}, {a, b}}},
      {"first entry of a session", {{b, a}, {e}}},
      {"between two entries", {{a, b, e}}},
      {"source and target empty", {{a}, {c}, {e}}},
      {"several in a row", {{b, c, d}, {c}, {d, b}}},
      {"other program's window", {{d}, {a, d}}},
      {"every entry", {{b}, {c}, {d}, {b, c}}},
      {"type never logged", {{a, Entry(L"http://f.example/", L"", 7)}, {b}}},
  };
  for (const auto& tc : cases) {
    EXPECT_EQ(ReadAll(FileOf(tc.sessions)), Reversed(tc.sessions)) << tc.name;
  }
}

// A file of three sessions with empty targets in awkward places, and where
// each entry's bytes lie.
struct Layout {
  std::string bytes;
  struct Placed {
    LogEntry entry;
    std::size_t begin;
    std::size_t end;
  };
  std::vector<Placed> entries;
};

Layout DamageFixture() {
  const Windows1252Codec ansi;
  const std::vector<Session> sessions = {
      {Entry(L"http://a.example/", L"http://pop1.example/", 1, L"6/1/2004", L"12:00:00 PM"),
       Entry(L"", L"", 1, L"6/1/2004", L"12:00:01 PM"),
       Entry(L"c:\\prog\\x.exe", L"Win a prize", 2, L"6/1/2004", L"12:00:02 PM")},
      {Entry(L"http://b.example/", L"", 1, L"6/2/2004", L"1:00:00 PM")},
      {Entry(L"http://c.example/", L"Ad (Web page dialog)", 1, L"6/3/2004", L"2:00:00 PM"),
       Entry(L"http://d.example/", L"http://pop2.example/", 1, L"6/3/2004", L"2:00:01 PM"),
       Entry(L"http://e.example/", L"", 1, L"6/3/2004", L"2:00:02 PM")}};
  Layout layout;
  for (const Session& s : sessions) {
    layout.bytes += test::MarkBytes();
    for (const LogEntry& e : s) {
      const std::size_t begin = layout.bytes.size();
      layout.bytes += EncodeSession(std::vector<LogEntry>{e}, ansi).substr(4);
      layout.entries.push_back({e, begin, layout.bytes.size()});
    }
  }
  return layout;
}

std::vector<LogEntry> Flatten(const std::vector<Session>& sessions) {
  std::vector<LogEntry> all;
  for (const Session& s : sessions)
    all.insert(all.end(), s.begin(), s.end());
  return all;
}

std::size_t TextSize(const std::vector<LogEntry>& entries) {
  std::size_t size = 0;
  for (const LogEntry& e : entries) {
    size += e.Source.size() + e.Target.size() + e.LogDate.size() + e.LogTime.size();
  }
  return size;
}

// What a damaged file must still show: every entry that the damage does not
// touch, once; what it shows can never hold more text than the file.
void ExpectShowsUntouched(const Layout& layout, const std::string& damaged, std::size_t from,
                          std::size_t to, const std::string& what) {
  const std::vector<LogEntry> shown = Flatten(ReadAll(damaged));
  // Each entry shown stands on its own bytes: 20 of numbers and its texts.
  EXPECT_LE(TextSize(shown) + shown.size() * 20, damaged.size()) << what;
  for (const auto& placed : layout.entries) {
    if (placed.end <= from || placed.begin >= to) {
      EXPECT_EQ(std::count(shown.begin(), shown.end(), placed.entry), 1)
          << what << ": entry at " << placed.begin << " lost or doubled";
    }
  }
}

TEST(LogFileReader, TruncatedAtEveryOffsetShowsEveryWholeEntry) {
  const Layout layout = DamageFixture();
  ASSERT_EQ(Flatten(ReadAll(layout.bytes)).size(), layout.entries.size());
  for (std::size_t cut = 0; cut <= layout.bytes.size(); ++cut) {
    const std::string truncated = layout.bytes.substr(0, cut);
    const std::string what = "cut at " + std::to_string(cut);
    ExpectShowsUntouched(layout, truncated, cut, layout.bytes.size(), what);
    // A torn append adds nothing of its own: only whole entries show.
    std::size_t whole = 0;
    for (const auto& placed : layout.entries)
      whole += placed.end <= cut ? 1 : 0;
    EXPECT_EQ(Flatten(ReadAll(truncated)).size(), whole) << what;
  }
}

std::string Patched(std::string bytes, std::size_t at, std::int32_t value) {
  std::string patch;
  test::PutInt(patch, value);
  bytes.replace(at, 4, patch);
  return bytes;
}

// Every length field in turn made negative or longer than the bytes before
// it: the reading stops there and loses nothing else.
TEST(LogFileReader, BadLengthInEveryFieldShowsEveryOtherEntry) {
  const Layout layout = DamageFixture();
  for (const auto& placed : layout.entries) {
    const LogEntry& e = placed.entry;
    std::size_t at = placed.begin + 4;
    for (const std::size_t textSize :
         {e.LogDate.size(), e.LogTime.size(), e.Source.size(), e.Target.size()}) {
      at += textSize;
      const auto pastStart = static_cast<std::int32_t>(at - textSize + 1);
      for (const std::int32_t value : {-1, std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max(), pastStart}) {
        ExpectShowsUntouched(layout, Patched(layout.bytes, at, value), placed.begin, placed.end,
                             "length " + std::to_string(value) + " at " + std::to_string(at));
      }
      at += 4;
    }
  }
}

// Bytes of all ones at any offset make every length they touch negative or
// longer than the file.
TEST(LogFileReader, OnesAtEveryOffsetShowEveryUntouchedEntry) {
  const Layout layout = DamageFixture();
  for (const std::int32_t value : {-1, std::numeric_limits<std::int32_t>::max()}) {
    for (std::size_t at = 0; at + 4 <= layout.bytes.size(); ++at) {
      ExpectShowsUntouched(layout, Patched(layout.bytes, at, value), at, at + 4,
                           "value " + std::to_string(value) + " at " + std::to_string(at));
    }
  }
}

// A damaged length that still fits can make another reading of the file
// consistent, and no reader can tell that from the real one; what stays
// certain is that the reading holds nothing beyond the bytes of the file.
TEST(LogFileReader, AnyDamageAtEveryOffsetStaysWithinTheFile) {
  const Layout layout = DamageFixture();
  for (std::size_t at = 0; at < layout.bytes.size(); ++at) {
    std::vector<std::string> damaged;
    for (const unsigned char mask : {0x01, 0x80, 0xFF}) {
      damaged.push_back(layout.bytes);
      damaged.back()[at] = static_cast<char>(static_cast<unsigned char>(layout.bytes[at]) ^ mask);
    }
    if (at + 4 <= layout.bytes.size()) {
      for (const std::int32_t value :
           {0, 1, 0x100, 0x10000, std::numeric_limits<std::int32_t>::min()}) {
        damaged.push_back(Patched(layout.bytes, at, value));
      }
    }
    for (const std::string& bytes : damaged) {
      const std::vector<LogEntry> shown = Flatten(ReadAll(bytes));
      EXPECT_LE(TextSize(shown) + shown.size() * 20, bytes.size()) << "at " << at;
    }
  }
}

TEST(LogFileReader, DamageInTheMiddleKeepsTheSessionsOnBothSides) {
  const LogEntry older = Entry(L"http://old.example/", L"http://old-pop.example/");
  const LogEntry newer = Entry(L"http://new.example/", L"http://new-pop.example/");
  const Windows1252Codec ansi;
  std::string bytes = EncodeSession(std::vector<LogEntry>{older}, ansi);
  const std::size_t damagedAt = bytes.size();
  bytes += EncodeSession(std::vector<LogEntry>{older, newer}, ansi);
  bytes += EncodeSession(std::vector<LogEntry>{newer}, ansi);
  // The second session's first date length becomes negative.
  const std::size_t dateLength = damagedAt + 4 + 4 + older.LogDate.size();
  std::string patch;
  test::PutInt(patch, -5);
  bytes.replace(dateLength, 4, patch);
  const std::vector<Session> expected = {{newer}, {newer}, {older}};
  EXPECT_EQ(ReadAll(bytes), expected);
}

TEST(LogFileReader, ArbitraryBytesNeverReadBeyondTheFile) {
  std::mt19937 random(20040601);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random() % 200, '\0');
    // Mostly small numbers, so that many lengths fit and the search branches.
    for (char& b : bytes)
      b = static_cast<char>(random() % 4 == 0 ? random() % 256 : random() % 3);
    const std::vector<LogEntry> shown = Flatten(ReadAll(bytes));
    EXPECT_LE(TextSize(shown) + shown.size() * 20, bytes.size()) << "round " << round;
  }
}

TEST(LogFileReader, FileOfZerosIsOnlySessionMarks) {
  EXPECT_TRUE(ReadAll(std::string(4096, '\0')).empty());
}

}  // namespace
}  // namespace qx
