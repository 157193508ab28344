#include <gtest/gtest.h>

#include "monitor/StartupModule.h"
#include "platform/RegistryHelpers.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

constexpr std::wstring_view kKey = L"Software\\Quellix Test";

TEST(RegistryHelpers, NumbersBecomeDwordsAndTextIsTrimmedWithItsNul) {
  struct Case {
    const wchar_t* value;
    RegType type;
    std::uint32_t dword;
    std::wstring text;
  };
  const Case cases[] = {
      {L"123", RegType::Dword, 123, L""},
      {L" 42 ", RegType::Dword, 42, L""},
      {L"-1", RegType::Dword, 0xFFFFFFFFu, L""},
      {L"C:\\Program Files\\Quellix\\Quellix.exe auto ", RegType::String, 0,
       std::wstring(L"C:\\Program Files\\Quellix\\Quellix.exe auto") + L'\0'},
      {L"", RegType::String, 0, std::wstring(1, L'\0')},
      {L"12 monkeys", RegType::String, 0, std::wstring(L"12 monkeys") + L'\0'},
  };
  for (const auto& c : cases) {
    sim::SimDesktop d;
    RegistryHelpers h(d.registry());
    h.SetRegValue(RegRoot::CurrentUser, kKey, L"V", c.value);
    EXPECT_EQ(h.LastRegResult(), kRegSuccess);
    const auto v = d.registry().Value(RegRoot::CurrentUser, kKey, L"V");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, c.type);
    if (c.type == RegType::Dword) {
      EXPECT_EQ(v->dword, c.dword);
    } else {
      EXPECT_EQ(v->text, c.text);
    }
  }
}

TEST(RegistryHelpers, DeleteOnlyWhenTheKeyExistsAndKeepTheLastCode) {
  sim::SimDesktop d;
  RegistryHelpers h(d.registry());
  EXPECT_FALSE(h.RegKeyExists(RegRoot::LocalMachine, kKey));
  h.DeleteRegValue(RegRoot::LocalMachine, kKey, L"V");
  EXPECT_EQ(h.LastRegResult(), kRegFileNotFound);
  EXPECT_FALSE(d.registry().KeyExists(RegRoot::LocalMachine, kKey));

  h.SetRegValue(RegRoot::LocalMachine, kKey, L"V", L"x");
  EXPECT_TRUE(h.RegKeyExists(RegRoot::LocalMachine, kKey));
  h.DeleteRegValue(RegRoot::LocalMachine, kKey, L"V");
  EXPECT_EQ(h.LastRegResult(), kRegSuccess);
  EXPECT_FALSE(d.registry().Value(RegRoot::LocalMachine, kKey, L"V").has_value());

  d.failures().FailNext("Registry.CreateKey");
  h.SetRegValue(RegRoot::LocalMachine, kKey, L"V", L"x");
  EXPECT_EQ(h.LastRegResult(), kRegAccessDenied);
  EXPECT_EQ(d.registry().OpenHandles(), 0u);
}

TEST(FileHasData, NeedsAtLeastOneByte) {
  sim::SimDesktop d;
  auto& files = d.files();
  EXPECT_FALSE(FileHasData(files, files.ProgramFile(L"log.dat")));
  files.WriteAll(files.ProgramFile(L"log.dat"), "");
  EXPECT_FALSE(FileHasData(files, files.ProgramFile(L"log.dat")));
  files.WriteAll(files.ProgramFile(L"log.dat"), "x");
  EXPECT_TRUE(FileHasData(files, files.ProgramFile(L"LOG.DAT")));
  d.failures().FailNext("Files.Size");
  EXPECT_FALSE(FileHasData(files, files.ProgramFile(L"log.dat")));
  EXPECT_FALSE(FileHasData(files, L"Z:\\elsewhere.dat"));
}

TEST(ShellHelpers, HelpTopicsAndDocumentsGoToTheShell) {
  sim::SimDesktop d;
  ShowHelpTopic(d.shell(), d.files(), L"general_options.htm");
  ASSERT_EQ(d.shell().HelpShown().size(), 1u);
  EXPECT_EQ(d.shell().HelpShown()[0],
            L"C:\\Program Files\\Quellix\\quellix.chm::/general_options.htm");
  OpenDocument(d.shell(), L"C:\\Program Files\\Quellix\\log.htm");
  d.failures().FailNext("Shell.Open");
  OpenDocument(d.shell(), L"http://ignored.example/");  // a failure is ignored
  EXPECT_EQ(d.shell().Opened(), std::vector<std::wstring>{L"C:\\Program Files\\Quellix\\log.htm"});
}

}  // namespace
}  // namespace qx
