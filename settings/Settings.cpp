#include "settings/Settings.h"

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "platform/RegistryHelpers.h"

namespace qx {
namespace {

constexpr std::wstring_view kOptions = L"Options";
constexpr std::wstring_view kData = L"Data";

constexpr std::array<OptionInfo, kOptionCount> kInfo = {{
#define QX_OPTION_INFO(value, prop, type, def) {L"" #value, L"" #prop, OptionType::type},
    QX_OPTIONS(QX_OPTION_INFO)
#undef QX_OPTION_INFO
}};

Settings::Value DefaultOf(Option option) {
  switch (option) {
#define QX_OPTION_DEFAULT(value, prop, type, def) \
  case Option::value:                             \
    return Settings::Value(QX_DEFAULT_##type(def));
#define QX_DEFAULT_Bool(def) static_cast<bool>(def)
#define QX_DEFAULT_Int(def) static_cast<std::int32_t>(def)
#define QX_DEFAULT_Text(def) std::wstring(def)
    QX_OPTIONS(QX_OPTION_DEFAULT)
#undef QX_OPTION_DEFAULT
    case Option::Count:
      break;
  }
  return Settings::Value(false);
}

// The value an option is left at when its stored text cannot be converted.
Settings::Value ZeroOf(OptionType type) {
  switch (type) {
    case OptionType::Bool:
      return Settings::Value(false);
    case OptionType::Int:
      return Settings::Value(std::int32_t{0});
    case OptionType::Text:
      break;
  }
  return Settings::Value(std::wstring());
}

}  // namespace

const OptionInfo& InfoOf(Option option) {
  return kInfo[static_cast<std::size_t>(option)];
}

const std::array<Option, kOptionCount>& SaveOrder() {
  using O = Option;
  static constexpr std::array<Option, kOptionCount> kOrder = {O::SoundFileName,
                                                              O::PlayASound,
                                                              O::BlinkLightBulb,
                                                              O::BlockByDefault,
                                                              O::RedirectNewWindows,
                                                              O::IgnoreLocal,
                                                              O::ToolBar,
                                                              O::AutoClose,
                                                              O::TheaterMode,
                                                              O::StatusBar,
                                                              O::MenuBar,
                                                              O::FullScreen,
                                                              O::AddressBar,
                                                              O::CatchErrors,
                                                              O::FastMatch,
                                                              O::StrictIE,
                                                              O::SilentIE,
                                                              O::SaveLog,
                                                              O::KeepLog,
                                                              O::KeepAccurateLog,
                                                              O::StartMode,
                                                              O::EventLog,
                                                              O::BanKeyCombo,
                                                              O::KillKeyCombo,
                                                              O::NormalizeKeyCombo,
                                                              O::WindowKiller,
                                                              O::SafeKey,
                                                              O::OffKey,
                                                              O::SystemWindowCheck,
                                                              O::HoldResizable,
                                                              O::JSLoopFix,
                                                              O::ExplorerFix,
                                                              O::PingDisabled,
                                                              O::ForceCompatibility,
                                                              O::TreatDialogsAsPopups,
                                                              O::AllowHTTPS,
                                                              O::DisableIPC,
                                                              O::CancelClickFix,
                                                              O::AdminPassword,
                                                              O::CompatibleWDBK,
                                                              O::ShowNotice};
  return kOrder;
}

const std::array<Option, kOptionCount>& LoadOrder() {
  using O = Option;
  static constexpr std::array<Option, kOptionCount> kOrder = {O::AddressBar,
                                                              O::AutoClose,
                                                              O::PlayASound,
                                                              O::SoundFileName,
                                                              O::FullScreen,
                                                              O::MenuBar,
                                                              O::StatusBar,
                                                              O::TheaterMode,
                                                              O::ToolBar,
                                                              O::IgnoreLocal,
                                                              O::RedirectNewWindows,
                                                              O::BlockByDefault,
                                                              O::BlinkLightBulb,
                                                              O::CatchErrors,
                                                              O::FastMatch,
                                                              O::StrictIE,
                                                              O::SilentIE,
                                                              O::SaveLog,
                                                              O::KeepLog,
                                                              O::KeepAccurateLog,
                                                              O::StartMode,
                                                              O::EventLog,
                                                              O::BanKeyCombo,
                                                              O::KillKeyCombo,
                                                              O::NormalizeKeyCombo,
                                                              O::WindowKiller,
                                                              O::SafeKey,
                                                              O::OffKey,
                                                              O::SystemWindowCheck,
                                                              O::HoldResizable,
                                                              O::JSLoopFix,
                                                              O::ExplorerFix,
                                                              O::PingDisabled,
                                                              O::ForceCompatibility,
                                                              O::TreatDialogsAsPopups,
                                                              O::DisableIPC,
                                                              O::AllowHTTPS,
                                                              O::CancelClickFix,
                                                              O::AdminPassword,
                                                              O::CompatibleWDBK,
                                                              O::ShowNotice};
  return kOrder;
}

Settings::Settings(SettingsStore& store, RandomSource& random, std::wstring_view programFolder)
    : store_(store), programFolder_(programFolder) {
  for (std::size_t i = 0; i < kOptionCount; ++i)
    values_[i] = ZeroOf(kInfo[i].type);
  Load(random);
}

void Settings::Load(RandomSource& random) {
  saveOnChange_ = true;
  for (const Option option : LoadOrder()) {
    LoadOne(option);
    if (option == Option::PlayASound) LoadUrlPrefix(random);
  }
}

void Settings::LoadOne(Option option) {
  const OptionInfo& info = InfoOf(option);
  Step([&] {
    const auto stored = store_.Get(kAppName, kOptions, info.valueName);
    if (!stored) {
      Value def = DefaultOf(option);
      if (option == Option::SoundFileName) def = programFolder_ + L"\\sounds\\cork.wav";
      values_[Index(option)] = std::move(def);
      return;
    }
    switch (info.type) {
      case OptionType::Bool:
        values_[Index(option)] = ParseBoolean(*stored).value_or(false);
        break;
      case OptionType::Int:
        values_[Index(option)] = ParseInt32(*stored).value_or(0);
        break;
      case OptionType::Text:
        values_[Index(option)] = *stored;
        break;
    }
  });
}

void Settings::LoadUrlPrefix(RandomSource& random) {
  bool readable = Step([&] {
    urlPrefix_ = store_.Get(kAppName, kData, L"URLPrefix").value_or(std::wstring(kUnsetUrlPrefix));
  });
  // The prefix is the secret that keeps pages from adding rules through the
  // context-menu channel, so it comes from the secure source; and a store
  // that cannot be read still gets an unguessable prefix for this run. An
  // empty stored prefix would name the marker pages "t.html" and "b.html",
  // which any page can guess: it is replaced like the placeholder.
  if (readable && !urlPrefix_.empty() && urlPrefix_ != kUnsetUrlPrefix) return;
  std::wstring fresh;
  do {
    fresh.clear();
    for (int i = 0; i < 10; ++i)
      fresh.push_back(static_cast<wchar_t>(L'0' + random.SecureBelow(10)));
  } while (fresh == kUnsetUrlPrefix);
  urlPrefix_ = fresh;
  // A read that failed says nothing of what is stored: writing would replace
  // a good prefix for good. The drawn one serves this run only.
  if (!readable) return;
  Step([&] { store_.Put(kAppName, kData, L"URLPrefix", urlPrefix_); });
}

#define QX_OPTION_ACCESSORS(value, prop, type, def)                        \
  QX_OPTION_CPP_##type Settings::prop() const {                            \
    return std::get<QX_OPTION_HELD_##type>(values_[Index(Option::value)]); \
  }                                                                        \
  void Settings::Set##prop(QX_OPTION_ARG_##type v) {                       \
    Set(Option::value, Value(QX_OPTION_HELD_##type(v)));                   \
  }
#define QX_OPTION_HELD_Bool bool
#define QX_OPTION_HELD_Int std::int32_t
#define QX_OPTION_HELD_Text std::wstring
QX_OPTIONS(QX_OPTION_ACCESSORS)
#undef QX_OPTION_ACCESSORS

void Settings::Set(Option option, Value value) {
  const OptionInfo& info = InfoOf(option);
  // Keep the field's type whatever the caller handed in.
  switch (info.type) {
    case OptionType::Bool:
      if (!std::holds_alternative<bool>(value)) return;
      break;
    case OptionType::Int:
      if (!std::holds_alternative<std::int32_t>(value)) return;
      break;
    case OptionType::Text:
      if (!std::holds_alternative<std::wstring>(value)) return;
      break;
  }
  values_[Index(option)] = std::move(value);
  if (saveOnChange_) store_.Put(kAppName, kOptions, info.valueName, StoredText(option));
}

std::wstring Settings::StoredText(Option option) const {
  const Value& v = values_[Index(option)];
  if (const bool* b = std::get_if<bool>(&v)) return BooleanText(*b);
  if (const std::int32_t* n = std::get_if<std::int32_t>(&v)) return NumberText(*n);
  return std::get<std::wstring>(v);
}

void Settings::Save() {
  for (const Option option : SaveOrder()) {
    Step([&] { store_.Put(kAppName, kOptions, InfoOf(option).valueName, StoredText(option)); });
  }
}

void Settings::ImplementDisableIPC(HookControl& hooks, std::size_t windowRuleCount) const {
  if (DisableIPC()) {
    hooks.Uninitialize();
    return;
  }
  hooks.Initialize();
  if (windowRuleCount < 1) {
    hooks.RemoveMsgHook();
  } else {
    hooks.InstallMsgHook();
  }
  ImplementTreatDialogsAsPopups(hooks);
  hooks.InstallMouseHook();
}

void Settings::ImplementTreatDialogsAsPopups(HookControl& hooks) const {
  if (TreatDialogsAsPopups()) {
    hooks.InstallCBTHook(CompatibleWDBK());
  } else {
    hooks.RemoveCBTHook();
  }
}

void Settings::Terminate(RegistryHelpers& registry) {
  std::int32_t mode = 0;
  Step([&] {
    const auto stored = store_.Get(kAppName, kOptions, L"StartMode");
    mode = stored ? ParseInt32(*stored).value_or(0) : 0;
  });
  values_[Index(Option::StartMode)] = mode;
  ApplyStartMode(registry, mode);
}

void Settings::ApplyStartMode(RegistryHelpers& registry, std::int32_t mode) const {
  std::wstring helperKey(kBrowserHelperKeyBase);
  helperKey += kBrowserHelperClsid;
  // The helper's entry is the machine's: the installer made it for every
  // user, and the helper starts the program only for users who chose this
  // mode. Removing it for one user's other choice would end the mode for
  // all the others, so it is only ever made again where it went missing
  // (unelevated that fails, and the installer's entry still holds).
  if (mode == 2) registry.CreateRegKey(RegRoot::LocalMachine, helperKey);
  const std::wstring line = programFolder_ + L"\\Quellix.exe auto";
  if (mode == 1) {
    registry.SetRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix", line);
    // A user who may not write for the whole machine gets an entry of
    // their own; one entry is enough either way.
    if (registry.LastRegResult() == kRegAccessDenied) {
      registry.SetRegValue(RegRoot::CurrentUser, kRunKey, L"Quellix", line);
    } else {
      registry.DeleteRegValue(RegRoot::CurrentUser, kRunKey, L"Quellix");
    }
  } else {
    registry.DeleteRegValue(RegRoot::LocalMachine, kRunKey, L"Quellix");
    registry.DeleteRegValue(RegRoot::CurrentUser, kRunKey, L"Quellix");
  }
}

}  // namespace qx
