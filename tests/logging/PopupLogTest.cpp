#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LogTestSupport.h"
#include "base/Text.h"
#include "context/Process.h"
#include "logging/LogFileReader.h"
#include "logging/PopupLog.h"
#include "platform/PlatformError.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

using test::Entry;

class PopupLogTest : public ::testing::Test {
 protected:
  PopupLogTest() { Start(); }

  // A new run of the program on the same desktop.
  void Start() {
    process = std::make_unique<Process>(desktop.platform());
    log = &process->popupLog();
  }
  void Exit() { process.reset(); }
  void Restart() {
    Exit();
    Start();
  }

  std::wstring DataPath() { return desktop.files().ProgramFile(L"log.dat"); }
  std::wstring PagePath() { return desktop.files().ProgramFile(L"log.htm"); }
  bool HasData() { return desktop.files().Exists(DataPath()); }
  std::optional<std::wstring> StoredCount() { return desktop.store().Peek(L"Data", L"PopupCount"); }

  std::vector<std::vector<LogEntry>> Sessions() {
    std::vector<std::vector<LogEntry>> sessions;
    ReadPastSessions(desktop.files().ReadAll(DataPath()), desktop.platform().ansi,
                     [&](const std::vector<LogEntry>& s) { sessions.push_back(s); });
    return sessions;
  }

  // Adds n browser pop-ups, one second apart, targets "http://pop/<first + i>".
  void AddMany(int n, int first = 0) {
    for (int i = 0; i < n; ++i) {
      log->Add(L"http://page/", L"http://pop/" + NumberText(first + i), kBrowserPopup);
      desktop.clock().Advance(1000);
    }
  }

  sim::SimDesktop desktop;
  std::unique_ptr<Process> process;
  PopupLog* log = nullptr;
};

TEST_F(PopupLogTest, SessionIsAppendedAndTotalStoredAtExit) {
  desktop.store().Poke(L"Data", L"PopupCount", L"10");
  log->Add(L"http://a.example/", L"http://b.example/", kBrowserPopup);
  log->IncrememntPopupCount();
  log->Add(L"", L"Quiz (Web page dialog)", kBrowserPopup);
  log->IncrememntPopupCount();
  EXPECT_EQ(log->TotalPopupCount(), 12);
  EXPECT_FALSE(HasData());
  Exit();
  EXPECT_EQ(
      desktop.files().ReadAll(DataPath()),
      test::MarkBytes() +
          test::EntryBytes(1, "6/1/2004", "12:00:00 PM", "http://a.example/", "http://b.example/") +
          test::EntryBytes(1, "6/1/2004", "12:00:00 PM", "", "Quiz (Web page dialog)"));
  EXPECT_EQ(StoredCount(), L"12");
  Start();
  EXPECT_EQ(log->TotalPopupCount(), 12);
  EXPECT_TRUE(log->GetLogItems().empty());
}

TEST_F(PopupLogTest, TheTwoHundredFiftyFirstEntryEndsTheSession) {
  AddMany(250);
  EXPECT_EQ(log->GetLogItems().size(), 250u);
  EXPECT_FALSE(HasData());
  AddMany(1, 250);
  ASSERT_EQ(log->GetLogItems().size(), 1u);
  EXPECT_EQ(log->GetLogItems()[0].Target, L"http://pop/250");
  auto sessions = Sessions();
  ASSERT_EQ(sessions.size(), 1u);
  ASSERT_EQ(sessions[0].size(), 250u);
  EXPECT_EQ(sessions[0].front().Target, L"http://pop/249");
  EXPECT_EQ(sessions[0].back().Target, L"http://pop/0");
  Exit();
  sessions = Sessions();
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[0].size(), 1u);
  EXPECT_EQ(sessions[1].size(), 250u);
}

TEST_F(PopupLogTest, SaveLogOffWritesNothingAndLeavesTheTotal) {
  desktop.store().Poke(L"Data", L"PopupCount", L"5");
  process->settings().SetSaveLog(false);
  AddMany(251);
  for (int i = 0; i < 251; ++i)
    log->IncrememntPopupCount();
  // The 251st entry still starts a new session; the old one is dropped.
  EXPECT_EQ(log->GetLogItems().size(), 1u);
  EXPECT_EQ(log->TotalPopupCount(), 256);
  log->ClearLog();
  EXPECT_TRUE(log->GetLogItems().empty());
  AddMany(1);
  Exit();
  EXPECT_FALSE(HasData());
  EXPECT_EQ(StoredCount(), L"5");
}

TEST_F(PopupLogTest, ClearLogEndsTheSessionAtOnce) {
  AddMany(2);
  log->IncrememntPopupCount();
  log->ClearLog();
  EXPECT_TRUE(log->GetLogItems().empty());
  EXPECT_EQ(Sessions().size(), 1u);
  EXPECT_EQ(StoredCount(), L"1");
  // The count was stored: it is not added twice.
  EXPECT_EQ(log->TotalPopupCount(), 1);
  log->ClearLog();
  EXPECT_EQ(Sessions().size(), 1u);
  Exit();
  EXPECT_EQ(Sessions().size(), 1u);
  EXPECT_EQ(StoredCount(), L"1");
}

TEST_F(PopupLogTest, TotalFromTheStoredCount) {
  const struct {
    std::optional<std::wstring> stored;
    int counted;
    std::int32_t total;
  } cases[] = {
      {std::nullopt, 3, 3},
      {L" 41 ", 1, 42},
      {L"2.5", 0, 2},                  // rounded half to even
      {L"lots", 2, 2},                 // not a number: counting starts again
      {L"2147483647", 1, 2147483647},  // the total stays at the largest count
  };
  for (const auto& tc : cases) {
    Restart();
    if (tc.stored) {
      desktop.store().Poke(L"Data", L"PopupCount", *tc.stored);
    } else {
      desktop.store().Delete(kAppName, L"Data", L"PopupCount");
    }
    for (int i = 0; i < tc.counted; ++i)
      log->IncrememntPopupCount();
    EXPECT_EQ(log->TotalPopupCount(), tc.total) << (tc.stored ? ToUtf8(*tc.stored) : "none");
  }
}

TEST_F(PopupLogTest, OptionsDialogHearsOfEveryEntry) {
  int refreshed = 0;
  log->SetLogListRefresh([&] {
    ++refreshed;
    throw PlatformError(kErrAutomation, L"list gone");
  });
  AddMany(2);
  EXPECT_EQ(refreshed, 2);
  EXPECT_EQ(log->GetLogItems().size(), 2u);
  log->SetLogListRefresh({});
  AddMany(1);
  EXPECT_EQ(refreshed, 2);
}

TEST_F(PopupLogTest, ClockThatFailsCostsOnlyDateAndTime) {
  desktop.failures().FailNext("Clock.Now");
  log->Add(L"http://a/", L"http://b/", kBrowserPopup);
  EXPECT_EQ(log->GetLogItems(),
            (std::vector<LogEntry>{Entry(L"http://a/", L"http://b/", 1, L"", L"")}));
  Exit();
  const std::vector<std::vector<LogEntry>> expected = {
      {Entry(L"http://a/", L"http://b/", 1, L"", L"")}};
  EXPECT_EQ(Sessions(), expected);
}

TEST_F(PopupLogTest, HistoryThatCannotBeWrittenStillStoresTheTotal) {
  AddMany(1);
  log->IncrememntPopupCount();
  desktop.failures().FailAlways("Files.Append");
  Exit();
  desktop.failures().Clear();
  EXPECT_FALSE(HasData());
  EXPECT_EQ(StoredCount(), L"1");
}

TEST_F(PopupLogTest, TotalThatCannotBeStoredIsKeptForLater) {
  desktop.store().Poke(L"Data", L"PopupCount", L"100");
  AddMany(1);
  log->IncrememntPopupCount();
  desktop.failures().FailNext("Store.Put");
  log->ClearLog();
  EXPECT_EQ(StoredCount(), L"100");
  EXPECT_EQ(log->TotalPopupCount(), 101);
  AddMany(1);
  Exit();
  EXPECT_EQ(StoredCount(), L"101");
}

// Without the stored total the sum is unknown; storing the session's count
// alone would wipe out every earlier run's.
TEST_F(PopupLogTest, UnreadableTotalIsNotOverwritten) {
  desktop.store().Poke(L"Data", L"PopupCount", L"100");
  AddMany(1);
  log->IncrememntPopupCount();
  desktop.failures().FailNext("Store.Get");
  log->ClearLog();
  EXPECT_EQ(Sessions().size(), 1u);
  EXPECT_EQ(StoredCount(), L"100");
  EXPECT_EQ(log->TotalPopupCount(), 101);
  desktop.failures().FailNext("Store.Get");
  EXPECT_EQ(log->TotalPopupCount(), 1);
}

TEST_F(PopupLogTest, AbandonedProcessWritesNothing) {
  AddMany(3);
  log->IncrememntPopupCount();
  process->Abandon();
  Exit();
  EXPECT_FALSE(HasData());
  EXPECT_EQ(StoredCount(), std::nullopt);
}

}  // namespace
}  // namespace qx
