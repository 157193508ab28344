#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "platform/RegistryHelpers.h"
#include "sim/SimDesktop.h"

namespace qx {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  Settings Load() {
    return Settings(desktop.store(), desktop.random(), desktop.files().ProgramFolder());
  }
  std::optional<std::wstring> Stored(const wchar_t* section, const wchar_t* name) {
    return desktop.store().Peek(section, name);
  }
  sim::SimDesktop desktop;
};

TEST_F(SettingsTest, AFreshUserGetsTheDefaults) {
  // Booleans are "False" unless named in "on"; the others as listed.
  const std::wstring on =
      L" BlinkLightBulb BlockByDefault CatchErrors SaveLog KeepLog KeepAccurateLog EventLog "
      L"WindowKiller JSLoopFix ForceCompatibility TreatDialogsAsPopups ShowNotice "
      L"SystemWindowCheck ";
  const std::map<std::wstring, std::wstring> others = {
      {L"SoundFileName", L"C:\\Program Files\\Quellix\\sounds\\cork.wav"},
      {L"StartMode", L"0"},
      {L"BanKeyCombo", L"5"},
      {L"KillKeyCombo", L"4"},
      {L"NormalizeKeyCombo", L"4"},
      {L"SafeKey", L"20"},
      {L"OffKey", L"2"},
      {L"AdminPassword", L""}};
  const Settings s = Load();
  for (const Option o : SaveOrder()) {
    const std::wstring name(InfoOf(o).valueName);
    const auto other = others.find(name);
    const std::wstring expected =
        other != others.end()
            ? other->second
            : (on.find(L" " + name + L" ") != std::wstring::npos ? L"True" : L"False");
    EXPECT_EQ(s.StoredText(o), expected) << ToUtf8(name);
  }
  EXPECT_TRUE(s.SaveOnChange());
  // Loading writes nothing but the new URLPrefix.
  ASSERT_EQ(desktop.store().Journal().size(), 1u);
  EXPECT_EQ(desktop.store().Journal()[0].name, L"URLPrefix");
}

TEST_F(SettingsTest, StoredTextsConvertAndUnconvertibleOnesGiveZeroNotTheDefault) {
  struct Case {
    const wchar_t* name;
    const wchar_t* stored;
    const wchar_t* loaded;
  };
  const Case cases[] = {{L"KeepLog", L"true", L"True"},
                        {L"KeepLog", L"-1", L"True"},
                        {L"KeepLog", L"Yes", L"False"},
                        {L"PlayASound", L"7", L"True"},
                        {L"StartMode", L"never", L"0"},
                        {L"StartMode", L" 1 ", L"1"},
                        {L"SafeKey", L"99999999999", L"0"},
                        {L"KillKeyCombo", L"True", L"0"},
                        {L"AdminPassword", L" secret ", L" secret "}};
  for (const auto& c : cases) {
    sim::SimDesktop fresh;
    fresh.store().Poke(L"Options", c.name, c.stored);
    const Settings s(fresh.store(), fresh.random(), fresh.files().ProgramFolder());
    Option option = Option::Count;
    for (const Option o : SaveOrder()) {
      if (InfoOf(o).valueName == c.name) option = o;
    }
    ASSERT_NE(option, Option::Count);
    EXPECT_EQ(s.StoredText(option), c.loaded) << ToUtf8(c.name) << "=" << ToUtf8(c.stored);
  }
}

TEST_F(SettingsTest, AValueThatCannotBeReadAffectsOnlyItsOwnOption) {
  desktop.store().Poke(L"Options", L"AutoClose", L"True");
  desktop.store().Poke(L"Options", L"PlayASound", L"True");
  desktop.failures().FailNext("Store.Get", 2);  // AddressBar and AutoClose
  const Settings s = Load();
  EXPECT_FALSE(s.AutoClose());
  EXPECT_TRUE(s.PlayASound());
  EXPECT_TRUE(s.BlockByDefault());
}

TEST_F(SettingsTest, SetsWriteThroughInTheStoredForm) {
  Settings s = Load();
  desktop.store().ClearJournal();
  s.SetHoldAddressBar(true);
  s.SetKillKeyCombo(8);
  s.SetSoundFileName(L"C:\\pop.wav");
  s.SetHoldToolbar(true);
  const auto& j = desktop.store().Journal();
  ASSERT_EQ(j.size(), 4u);
  EXPECT_EQ(j[0].name, L"AddressBar");
  EXPECT_EQ(j[0].value, L"True");
  EXPECT_EQ(j[1].name, L"KillKeyCombo");
  EXPECT_EQ(j[1].value, L"8");
  EXPECT_EQ(j[2].value, L"C:\\pop.wav");
  EXPECT_EQ(j[3].name, L"ToolBar");
  EXPECT_EQ(j[3].section, L"Options");
  EXPECT_TRUE(s.HoldAddressBar());

  s.SetSaveOnChange(false);
  s.SetPlayASound(true);
  EXPECT_EQ(j.size(), 4u);
  EXPECT_TRUE(s.PlayASound());
}

TEST_F(SettingsTest, AFailedWriteReachesTheCallerButTheFieldHoldsTheValue) {
  Settings s = Load();
  desktop.failures().FailNext("Store.Put");
  EXPECT_THROW(s.SetBlockByDefault(false), PlatformError);
  EXPECT_FALSE(s.BlockByDefault());
  EXPECT_FALSE(Stored(L"Options", L"BlockByDefault").has_value());
}

TEST_F(SettingsTest, SaveWritesEveryOptionInItsOrderAndSkipsFailures) {
  Settings s = Load();
  s.SetSaveOnChange(false);
  s.SetStartMode(2);
  desktop.store().ClearJournal();
  desktop.failures().FailNext("Store.Put");  // SoundFileName
  s.Save();
  const auto& j = desktop.store().Journal();
  ASSERT_EQ(j.size(), kOptionCount - 1);
  for (std::size_t i = 1; i < kOptionCount; ++i) {
    EXPECT_EQ(j[i - 1].name, InfoOf(SaveOrder()[i]).valueName);
    EXPECT_EQ(j[i - 1].value, s.StoredText(SaveOrder()[i]));
  }
  EXPECT_EQ(Stored(L"Options", L"StartMode"), L"2");
  EXPECT_EQ(j.back().name, L"ShowNotice");
}

TEST_F(SettingsTest, UrlPrefixIsDrawnOnceAndReused) {
  std::wstring first;
  {
    const Settings s = Load();
    first = s.URLPrefix();
  }
  EXPECT_TRUE(std::regex_match(ToUtf8(first), std::regex("[0-9]{10}")));
  EXPECT_NE(first, kUnsetUrlPrefix);
  EXPECT_EQ(Stored(L"Data", L"URLPrefix"), first);
  desktop.store().ClearJournal();
  const Settings again = Load();
  EXPECT_EQ(again.URLPrefix(), first);
  EXPECT_TRUE(desktop.store().Journal().empty());
}

TEST_F(SettingsTest, AnEmptyStoredPrefixIsReplacedAsThePlaceholderIs) {
  for (const wchar_t* stored : {L"", L"1234567890"}) {
    desktop.store().Poke(L"Data", L"URLPrefix", stored);
    const Settings s = Load();
    EXPECT_TRUE(std::regex_match(ToUtf8(s.URLPrefix()), std::regex("[0-9]{10}")));
    EXPECT_NE(s.URLPrefix(), kUnsetUrlPrefix);
    EXPECT_EQ(Stored(L"Data", L"URLPrefix"), s.URLPrefix());
  }
}

TEST_F(SettingsTest, ThePrefixComesFromTheSecureSourceNotTheSeededOne) {
  // Seeding the ordinary generator the same way must not give the same
  // prefix: the digits do not come from it.
  sim::SimDesktop a;
  sim::SimDesktop b;
  a.random() = sim::SimRandom(1);
  b.random() = sim::SimRandom(2);
  a.random().Seed(12345);
  b.random().Seed(12345);
  const Settings sa(a.store(), a.random(), a.files().ProgramFolder());
  const Settings sb(b.store(), b.random(), b.files().ProgramFolder());
  EXPECT_NE(sa.URLPrefix(), sb.URLPrefix());
}

TEST_F(SettingsTest, AFailedReadOfThePrefixNeverReplacesTheStoredOne) {
  desktop.store().Poke(L"Data", L"URLPrefix", L"4711471147");
  for (const bool always : {false, true}) {
    SCOPED_TRACE(always ? "no read works" : "only the prefix's read fails");
    desktop.failures().Clear();
    if (always) {
      desktop.failures().FailAlways("Store.Get");
    } else {
      // AddressBar, AutoClose and PlayASound are read before it.
      desktop.failures().FailNext("Store.Get", 4);
    }
    const Settings s = Load();
    EXPECT_TRUE(std::regex_match(ToUtf8(s.URLPrefix()), std::regex("[0-9]{10}")));
    EXPECT_NE(s.URLPrefix(), L"4711471147");
    EXPECT_EQ(Stored(L"Data", L"URLPrefix"), L"4711471147");
  }
  desktop.failures().Clear();
  EXPECT_EQ(Load().URLPrefix(), L"4711471147");
}

class StartModeTest : public SettingsTest {
 protected:
  std::wstring HelperKey() {
    return std::wstring(kBrowserHelperKeyBase) + std::wstring(kBrowserHelperClsid);
  }
  bool HelperKeyExists() {
    return desktop.registry().KeyExists(RegRoot::LocalMachine, HelperKey());
  }
  std::optional<RegValue> RunValue() {
    return desktop.registry().Value(RegRoot::LocalMachine, kRunKey, L"Quellix");
  }
  void SeedBothEntries() {
    RegistryHelpers h(desktop.registry());
    h.CreateRegKey(RegRoot::LocalMachine, HelperKey());
    h.SetRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix", L"old");
  }
};

TEST_F(StartModeTest, EachModeSetsTheStartUpEntriesAtTheEnd) {
  // The helper's entry serves every user of the machine: one user's choice
  // never removes it, and "whenever Internet Explorer runs" makes it again.
  struct Case {
    const wchar_t* stored;
    bool helperKeyBefore;
    bool helperKey;
    bool runValue;
  };
  const Case cases[] = {{L"0", true, true, false},   {L"1", true, true, true},
                        {L"2", true, true, false},   {L"7", true, true, false},
                        {L"0", false, false, false}, {L"1", false, false, true},
                        {L"2", false, true, false}};
  for (const auto& c : cases) {
    sim::SimDesktop fresh;
    RegistryHelpers h(fresh.registry());
    const std::wstring helperKey =
        std::wstring(kBrowserHelperKeyBase) + std::wstring(kBrowserHelperClsid);
    if (c.helperKeyBefore) h.CreateRegKey(RegRoot::LocalMachine, helperKey);
    h.SetRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix", L"old");
    Settings s(fresh.store(), fresh.random(), fresh.files().ProgramFolder());
    s.SetStartMode(ParseInt32(c.stored).value());
    s.Terminate(h);
    EXPECT_EQ(fresh.registry().KeyExists(RegRoot::LocalMachine, helperKey), c.helperKey)
        << ToUtf8(c.stored) << " key before " << c.helperKeyBefore;
    const auto run = fresh.registry().Value(RegRoot::LocalMachine, kRunKey, L"Quellix");
    EXPECT_EQ(run.has_value(), c.runValue) << ToUtf8(c.stored);
    if (c.runValue) {
      EXPECT_EQ(run->type, RegType::String);
      EXPECT_EQ(run->text, std::wstring(L"C:\\Program Files\\Quellix\\Quellix.exe auto") + L'\0');
    }
  }
}

TEST_F(StartModeTest, TheModeIsReadAfreshFromTheStoreAtTheEnd) {
  RegistryHelpers h(desktop.registry());
  Settings s = Load();
  EXPECT_EQ(s.StartMode(), 0);
  desktop.store().Poke(L"Options", L"StartMode", L"1");  // changed behind the object's back
  s.Terminate(h);
  EXPECT_EQ(s.StartMode(), 1);
  EXPECT_TRUE(RunValue().has_value());
}

TEST_F(StartModeTest, AUserWhoMayNotWriteForTheMachineGetsEntriesOfTheirOwn) {
  // Unelevated on every system since Vista: HKEY_LOCAL_MACHINE is read-only,
  // so the Run entry goes under HKEY_CURRENT_USER, and the machine's entries
  // (an earlier administrator's) cannot be removed.
  struct Case {
    std::int32_t mode;
    bool userRunValue;
  };
  for (const Case c : {Case{1, true}, Case{0, false}, Case{2, false}, Case{7, false}}) {
    sim::SimDesktop fresh;
    RegistryHelpers h(fresh.registry());
    h.CreateRegKey(RegRoot::LocalMachine, HelperKey());
    h.SetRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix", L"old");
    h.SetRegValue(RegRoot::CurrentUser, kRunKey, L"Quellix", L"stale");
    fresh.SetStandardUser(true);
    Settings s(fresh.store(), fresh.random(), fresh.files().ProgramFolder());
    s.SetStartMode(c.mode);
    EXPECT_NO_THROW(s.Terminate(h));
    const auto user = fresh.registry().Value(RegRoot::CurrentUser, kRunKey, L"Quellix");
    ASSERT_EQ(user.has_value(), c.userRunValue) << c.mode;
    if (user) {
      EXPECT_EQ(user->text, std::wstring(L"C:\\Program Files\\Quellix\\Quellix.exe auto") + L'\0');
    }
    EXPECT_TRUE(fresh.registry().KeyExists(RegRoot::LocalMachine, HelperKey())) << c.mode;
    EXPECT_EQ(fresh.registry().Value(RegRoot::LocalMachine, kRunKey, L"Quellix")->text,
              std::wstring(L"old") + L'\0')
        << c.mode;
    EXPECT_EQ(fresh.registry().OpenHandles(), 0u);
  }
}

TEST_F(StartModeTest, WhereTheMachineKeysAreWritableOneRunEntryIsEnough) {
  RegistryHelpers h(desktop.registry());
  h.SetRegValue(RegRoot::CurrentUser, kRunKey, L"Quellix", L"stale");
  Settings s = Load();
  s.SetStartMode(1);
  s.Terminate(h);
  EXPECT_TRUE(RunValue().has_value());
  EXPECT_FALSE(desktop.registry().Value(RegRoot::CurrentUser, kRunKey, L"Quellix").has_value());
}

TEST_F(SettingsTest, ImplementCallsTheHookControlInItsOrder) {
  struct Case {
    bool disableIpc;
    bool treatDialogs;
    bool compatible;
    std::size_t rules;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {true, true, true, 5, {"Uninitialize"}},
      {false,
       false,
       false,
       0,
       {"Initialize", "RemoveMsgHook", "RemoveCBTHook", "InstallMouseHook"}},
      {false,
       true,
       true,
       3,
       {"Initialize", "InstallMsgHook", "InstallCBTHook(1)", "InstallMouseHook"}},
      {false,
       true,
       false,
       1,
       {"Initialize", "InstallMsgHook", "InstallCBTHook(0)", "InstallMouseHook"}},
  };
  for (const auto& c : cases) {
    sim::SimDesktop fresh;
    Settings s(fresh.store(), fresh.random(), fresh.files().ProgramFolder());
    s.SetDisableIPC(c.disableIpc);
    s.SetTreatDialogsAsPopups(c.treatDialogs);
    s.SetCompatibleWDBK(c.compatible);
    s.ImplementDisableIPC(fresh.hookControl(), c.rules);
    EXPECT_EQ(fresh.hookControl().Calls(), c.calls);
  }
  Settings s = Load();
  s.SetTreatDialogsAsPopups(false);
  s.ImplementTreatDialogsAsPopups(desktop.hookControl());
  s.SetTreatDialogsAsPopups(true);
  s.SetCompatibleWDBK(true);
  s.ImplementTreatDialogsAsPopups(desktop.hookControl());
  EXPECT_EQ(desktop.hookControl().Calls(),
            (std::vector<std::string>{"RemoveCBTHook", "InstallCBTHook(1)"}));
}

TEST_F(SettingsTest, OptionsReadTheirTypedValuesThroughTheGenericTable) {
  Settings s = Load();
  s.Set(Option::OffKey, std::int32_t{1});
  EXPECT_EQ(s.OffKey(), 1);
  s.Set(Option::OffKey, std::wstring(L"not a number"));  // the wrong type is refused
  EXPECT_EQ(s.OffKey(), 1);
  EXPECT_EQ(Stored(L"Options", L"OffKey"), L"1");
}

}  // namespace
}  // namespace qx
