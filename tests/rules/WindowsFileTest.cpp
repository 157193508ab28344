// "windows.dat": what loads, what is written back, and what a damaged file
// or a failed write leaves.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/ByteCodec.h"
#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

struct Record {
  std::int32_t status;
  std::wstring caption;
  std::wstring program;
};

// (program, caption, status) in group order.
using Loaded = std::tuple<std::wstring, std::wstring, std::int32_t>;

class WindowsFileTest : public ::testing::Test {
 protected:
  std::wstring Path() { return desk.files().ProgramFile(kWindowsFile); }
  void Put(std::string_view bytes) { desk.files().WriteAll(Path(), bytes); }
  std::string Get() { return desk.files().ReadAll(Path()); }

  // The file's bytes; ends[i] is the offset just past record i, and
  // captionEnds[i] just past its caption.
  std::string Encode(const std::vector<Record>& records, std::vector<std::size_t>* ends = nullptr,
                     std::vector<std::size_t>* captionEnds = nullptr) {
    ByteWriter writer(codec);
    for (const Record& r : records) {
      writer.PutInt32(r.status);
      writer.PutText(r.caption);
      if (captionEnds) captionEnds->push_back(writer.Bytes().size());
      writer.PutText(r.program);
      if (ends) ends->push_back(writer.Bytes().size());
    }
    return writer.Take();
  }

  std::vector<Loaded> Load() {
    Windows rules(desk.files(), codec, desk.hookControl());
    return Contents(rules);
  }
  static std::vector<Loaded> Contents(const Windows& rules) {
    std::vector<Loaded> out;
    for (const WindowGroup& group : rules.GetWindowCollections()) {
      for (const Window& w : group)
        out.emplace_back(w.Program, w.Caption, w.Status);
    }
    return out;
  }
  // What loading these records must give: blank captions dropped, an empty
  // program read as "_general", grouped by program in the order programs
  // first appear, a repeated caption moved to the end of its group.
  static std::vector<Loaded> ExpectedLoad(const std::vector<Record>& records) {
    std::vector<std::pair<std::wstring, std::vector<Loaded>>> groups;
    for (const Record& r : records) {
      const std::wstring caption = Trim(r.caption);
      if (caption.empty()) continue;
      const std::wstring program = r.program.empty() ? L"_general" : LowerCase(r.program);
      auto g = std::find_if(groups.begin(), groups.end(),
                            [&](const auto& x) { return x.first == program; });
      if (g == groups.end()) g = groups.insert(groups.end(), {program, {}});
      std::erase_if(g->second,
                    [&](const Loaded& x) { return EqualsNoCase(std::get<1>(x), caption); });
      g->second.emplace_back(program, caption, r.status);
    }
    std::vector<Loaded> out;
    for (const auto& g : groups)
      out.insert(out.end(), g.second.begin(), g.second.end());
    return out;
  }

  sim::SimDesktop desk;
  Windows1252Codec codec;
  Process process{desk.platform()};
};

const std::vector<Record> kSample = {
    {2, L"Untitled - Notepad", L"c:\\windows\\notepad.exe"},
    {1, L" Free Prize ", L""},
    {1, L"   ", L"_general"},
    {2, L"Caf\u00e9", L"_general"},
    {1, L"ad", L"C:\\Windows\\Notepad.exe"},
    {7, L"odd", L"c:\\x.exe"},
};

TEST_F(WindowsFileTest, LoadsRecordsDropsBlankCaptionsAndReadsEmptyProgramAsGeneral) {
  Put(Encode(kSample));
  Windows rules(desk.files(), codec, desk.hookControl());
  EXPECT_EQ(Contents(rules), (std::vector<Loaded>{
                                 {L"c:\\windows\\notepad.exe", L"Untitled - Notepad", 2},
                                 {L"c:\\windows\\notepad.exe", L"ad", 1},
                                 {L"_general", L"Free Prize", 1},
                                 {L"_general", L"Caf\u00e9", 2},
                                 {L"c:\\x.exe", L"odd", 7},
                             }));
  EXPECT_EQ(rules.ContainsRuleCount(), 2);
  EXPECT_EQ(desk.hookControl().Calls(), (std::vector<std::string>{"InstallMsgHook"}));
  EXPECT_TRUE(rules.Kill(L"c:\\windows\\notepad.exe", L"bad advert"));
}

TEST_F(WindowsFileTest, SavesGroupByGroupAndLoadsTheSameRules) {
  Windows& rules = process.windows();
  rules.Add(L"C:\\A.exe", L"one", kCaptionEquals);
  rules.Add(L"", L"two", kCaptionContains);
  rules.Add(L"c:\\a.exe", L"three", kCaptionContains);
  rules.Add(L"", L"\u65e5\u672c", kCaptionEquals);
  const std::vector<Loaded> before = Contents(rules);
  process.EndOfLife();
  EXPECT_EQ(Get(), Encode({{2, L"one", L"c:\\a.exe"},
                           {1, L"three", L"c:\\a.exe"},
                           {1, L"two", L"_general"},
                           {2, L"??", L"_general"}}));
  std::vector<Loaded> expected = before;
  std::get<1>(expected.back()) = L"??";
  EXPECT_EQ(Load(), expected);
}

TEST_F(WindowsFileTest, FileCutAtEveryOffsetLoadsEveryWholeRecord) {
  std::vector<std::size_t> ends;
  const std::string bytes = Encode(kSample, &ends);
  for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    Put(bytes.substr(0, cut));
    std::vector<Record> whole;
    for (std::size_t i = 0; i < kSample.size() && ends[i] <= cut; ++i)
      whole.push_back(kSample[i]);
    EXPECT_EQ(Load(), ExpectedLoad(whole));
  }
}

TEST_F(WindowsFileTest, BadLengthEndsTheReadingAndKeepsWhatCameBefore) {
  std::vector<std::size_t> ends;
  std::vector<std::size_t> captionEnds;
  const std::string bytes = Encode(kSample, &ends, &captionEnds);
  const std::int32_t badLengths[] = {-1, -2147483647 - 1, 2147483647, 1000000};
  for (std::size_t rec = 0; rec < kSample.size(); ++rec) {
    const std::size_t start = rec == 0 ? 0 : ends[rec - 1];
    // The caption's length, then the program's: a record whose program
    // cannot be read is dropped whole rather than made a rule for all.
    for (const std::size_t at : {start + 4, captionEnds[rec]}) {
      for (const std::int32_t bad : badLengths) {
        SCOPED_TRACE("record " + std::to_string(rec) + " at " + std::to_string(at) + ", length " +
                     std::to_string(bad));
        std::string damaged = bytes;
        ByteWriter length(codec);
        length.PutInt32(bad);
        damaged.replace(at, 4, length.Bytes());
        Put(damaged);
        const std::vector<Record> before(kSample.begin(), kSample.begin() + static_cast<long>(rec));
        EXPECT_EQ(Load(), ExpectedLoad(before));
      }
    }
  }
}

TEST_F(WindowsFileTest, AnyByteDamagedLoadsWithoutHarmToEarlierRecords) {
  std::vector<std::size_t> ends;
  const std::string bytes = Encode(kSample, &ends);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (const char value : {'\x00', '\x7f', '\x80', '\xff'}) {
      std::string damaged = bytes;
      if (damaged[at] == value) continue;
      damaged[at] = value;
      SCOPED_TRACE("byte " + std::to_string(at) + " = " + std::to_string(value));
      Put(damaged);
      Windows rules(desk.files(), codec, desk.hookControl());
      std::size_t whole = 0;
      while (whole < kSample.size() && ends[whole] <= at)
        ++whole;
      for (const Loaded& rule :
           ExpectedLoad({kSample.begin(), kSample.begin() + static_cast<long>(whole)})) {
        const WindowGroup* group = rules.FindGroup(std::get<0>(rule));
        ASSERT_NE(group, nullptr);
        const Window* found = rules.FindRule(*group, std::get<1>(rule));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->Status, std::get<2>(rule));
      }
      rules.Kill(L"c:\\windows\\notepad.exe", L"Free Prize ad");
    }
  }
}

TEST_F(WindowsFileTest, UnreadableFileIsNotOverwrittenAtTheEnd) {
  const std::string old = Encode({{2, L"x", L"_general"}});
  Put(old);
  desk.failures().FailNext("Files.ReadAll");
  EXPECT_EQ(process.windows().Count(), 0u);
  process.windows().Add(L"", L"y", kCaptionContains);
  process.EndOfLife();
  EXPECT_EQ(Get(), old);
}

TEST_F(WindowsFileTest, EndOfLifeWritesBothRuleFilesAndAbandonNeither) {
  {
    Process run(desk.platform());
    run.windows().Add(L"", L"w", kCaptionContains);
    run.websites().Add(L"a.com", kAllowPopups, false);
  }
  EXPECT_EQ(Get(), Encode({{1, L"w", L"_general"}}));
  EXPECT_TRUE(desk.files().Exists(desk.files().ProgramFile(L"websites.dat")));

  {
    Process run(desk.platform());
    run.windows().Add(L"", L"lost", kCaptionContains);
    run.Abandon();
  }
  EXPECT_EQ(Get(), Encode({{1, L"w", L"_general"}}));
}

}  // namespace
}  // namespace qx
