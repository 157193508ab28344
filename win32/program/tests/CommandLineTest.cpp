#include "win32/program/CommandLine.h"

#include <gtest/gtest.h>

namespace qx::win {
namespace {

TEST(CommandLineTest, TheProgramsNameIsDropped) {
  struct Case {
    const wchar_t* line;
    const wchar_t* arguments;
  } cases[] = {
      {L"\"C:\\Program Files\\Quellix\\Quellix.exe\" auto", L" auto"},
      {L"C:\\Quellix\\Quellix.exe  +AllowHTTPS ", L"  +AllowHTTPS "},
      {L"Quellix.exe", L""},
      {L"  \"Quellix.exe\"options", L"options"},
      {L"\"C:\\unterminated quote", L""},
      {L"", L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CommandArguments(c.line), c.arguments) << c.line;
}

}  // namespace
}  // namespace qx::win
