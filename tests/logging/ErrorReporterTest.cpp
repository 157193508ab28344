#include "logging/ErrorReporter.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "context/Process.h"
#include "sim/SimDesktop.h"
#include "ui/ErrorFormPrompt.h"

namespace qx {
namespace {

class ErrorReporterTest : public ::testing::Test {
 protected:
  ErrorReporterTest() : process(desktop.platform()) { UseErrorForm(process); }
  void Report(std::int32_t number, const wchar_t* message = L"",
              const wchar_t* source = L"WebsiteRuleAdd") {
    process.errors().ReportError(source, message, false,
                                 MakeError(L"Subscript out of range", number, L"Quellix"));
  }
  std::string Log() {
    return desktop.files().ReadAll(desktop.files().ProgramFile(L"ErrorLog.txt"));
  }
  std::size_t Shown() { return desktop.errorDialog().Shown().size(); }
  sim::SimDesktop desktop;
  Process process;
};

TEST_F(ErrorReporterTest, ValueNamesPutABlankBeforeNonNegativeNumbers) {
  EXPECT_EQ(ErrorReporter::ErrorValueName(L"WebsiteRuleAdd", 13), L"WebsiteRuleAdd 13");
  EXPECT_EQ(ErrorReporter::ErrorValueName(L"WebsiteRuleAdd", 0), L"WebsiteRuleAdd 0");
  EXPECT_EQ(ErrorReporter::ErrorValueName(L"CmdDeleteWS", -2147221504), L"CmdDeleteWS-2147221504");
}

TEST_F(ErrorReporterTest, MessagesForTheDialog) {
  struct Case {
    const wchar_t* message;
    std::int32_t number;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"", 0, L"Error #0 has occurred.  Click OK to continue running Quellix, or Quit to exit."},
      {L"", 9,
       L"Error #9 has occurred.  Click OK to continue running Quellix, or Quit to exit."
       L"\r\n\r\nError description: Subscript out of range(#9)"},
      {L"An error occurred while trying to add a website rule.", 13,
       L"An error occurred while trying to add a website rule.\r\n\r\n"
       L"Error description: Subscript out of range(#13)"},
      {L"Plain.", 0, L"Plain."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorReporter::DialogMessage(
                  c.message, MakeError(L"Subscript out of range", c.number, L"Quellix")),
              c.expected);
  }
}

TEST_F(ErrorReporterTest, TheDialogShowsTheMessageAndTheErrorIsLogged) {
  Report(13, L"An error occurred while trying to add a website rule.");
  ASSERT_EQ(Shown(), 1u);
  const sim::ErrorDialogState& shown = desktop.errorDialog().Shown()[0];
  EXPECT_TRUE(shown.viewLogVisible);
  EXPECT_FALSE(shown.noShowError);
  EXPECT_NE(shown.info.find(L"Error description: Subscript out of range(#13)"), std::wstring::npos);
  EXPECT_EQ(Log(),
            "6/1/2004 12:00:00 PM\tError\tQuellix(WebsiteRuleAdd): Subscript out of range "
            "(Error number 13).\r\n");
  // OK without the check stores "True" explicitly; the dialog is gone.
  EXPECT_EQ(desktop.store().Peek(L"Errors", L"WebsiteRuleAdd 13"), L"True");
  EXPECT_FALSE(desktop.errorDialog().Loaded());
  EXPECT_FALSE(process.ownForms().IsOwnFormWindow(process.ownForms().Get(OwnForm::Error)));
}

TEST_F(ErrorReporterTest, ASilencedErrorIsOnlyLogged) {
  desktop.errorDialog().QueueAnswer({sim::ErrorDialogButton::Ok, true});
  Report(13);
  EXPECT_EQ(desktop.store().Peek(L"Errors", L"WebsiteRuleAdd 13"), L"False");
  Report(13);
  EXPECT_EQ(Shown(), 1u);
  Report(14);  // another number from the same source still shows
  EXPECT_EQ(Shown(), 2u);
  Report(13, L"", L"RefreshWSList");  // and so does another source
  EXPECT_EQ(Shown(), 3u);
  const std::string log = Log();
  std::size_t lines = 0;
  for (const char c : log)
    lines += c == '\n' ? 1 : 0;
  EXPECT_EQ(lines, 4u);
}

TEST_F(ErrorReporterTest, StoredValuesOtherThanTrueSilence) {
  struct Case {
    const wchar_t* stored;
    bool shows;
  };
  const Case cases[] = {{L"True", true}, {L"true", true},   {L"1", true}, {L"False", false},
                        {L"0", false},   {L"maybe", false}, {L"", false}};
  for (const auto& c : cases) {
    sim::SimDesktop d;
    d.store().Poke(L"Errors", L"InitMenu 5", c.stored);
    Process p(d.platform());
    UseErrorForm(p);
    p.errors().ReportError(L"InitMenu", L"x", false, MakeError(L"d", 5, L"s"));
    EXPECT_EQ(d.errorDialog().Shown().size(), c.shows ? 1u : 0u) << ToUtf8(c.stored);
  }
}

TEST_F(ErrorReporterTest, PreCheckStartsTheBoxChecked) {
  process.errors().ReportError(L"X", L"m", true, MakeError(L"d", 1, L"s"));
  ASSERT_EQ(Shown(), 1u);
  EXPECT_TRUE(desktop.errorDialog().Shown()[0].noShowError);
  EXPECT_EQ(desktop.store().Peek(L"Errors", L"X 1"), L"False");
}

TEST_F(ErrorReporterTest, QuitUninitialisesTheHooksAndEndsTheProcessAtOnce) {
  desktop.errorDialog().QueueAnswer({sim::ErrorDialogButton::Quit, true});
  EXPECT_THROW(Report(5), sim::ProcessEnded);
  EXPECT_EQ(desktop.hookControl().Calls(), std::vector<std::string>{"Uninitialize"});
  EXPECT_FALSE(desktop.store().Peek(L"Errors", L"WebsiteRuleAdd 5").has_value());
}

TEST_F(ErrorReporterTest, ALogThatCannotBeWrittenStillShowsTheDialog) {
  desktop.failures().FailAlways("Files.Append");
  Report(5);
  EXPECT_EQ(Shown(), 1u);
  desktop.failures().Clear();
  desktop.failures().FailAlways("Store");
  Report(6);
  EXPECT_EQ(Shown(), 2u);
}

TEST_F(ErrorReporterTest, ADialogThatCannotOpenEndsTheReportQuietly) {
  desktop.failures().FailNext("Dialogs.ErrorLoad");
  Report(5);
  EXPECT_EQ(Shown(), 0u);
  EXPECT_FALSE(desktop.store().Peek(L"Errors", L"WebsiteRuleAdd 5").has_value());
  Report(5);
  EXPECT_EQ(Shown(), 1u);
}

TEST(ErrorLogger, EventsCarryTheirTypeAndSource) {
  sim::SimDesktop d;
  Windows1252Codec codec;
  ErrorLogger logger(d.files(), d.clock(), codec, true);
  logger.WriteEvent(L"", L"started", EventType::Information);
  logger.WriteEvent(L"Hooks", L"two\r\nlines", EventType::Warning);
  logger.WriteEvent(L"Caption", L"\u00E9t\u00E9 \u03A9", EventType::Error);
  EXPECT_EQ(d.files().ReadAll(logger.LogFile()),
            "6/1/2004 12:00:00 PM\tInformation\tUnspecified source: started\r\n"
            "6/1/2004 12:00:00 PM\tWarning\tHooks: two  lines\r\n"
            "6/1/2004 12:00:00 PM\tError\tCaption: \xE9t\xE9 ?\r\n");
}

TEST(ErrorLogger, EventLogOffStartsTheFileAfreshEachRun) {
  for (const bool keep : {true, false}) {
    sim::SimDesktop d;
    const std::wstring path = d.files().ProgramFile(L"ErrorLog.txt");
    d.files().WriteAll(path, "earlier run\r\n");
    d.store().Poke(L"Options", L"EventLog", keep ? L"True" : L"False");
    Process p(d.platform());
    p.errorLogger().WriteEvent(L"S", L"now", EventType::Information);
    const std::string log = d.files().ReadAll(path);
    EXPECT_EQ(log.find("earlier run") != std::string::npos, keep);
    EXPECT_NE(log.find("S: now"), std::string::npos);
  }
}

}  // namespace
}  // namespace qx
