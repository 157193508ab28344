#pragma once
// Every user option: loaded from the per-user store when created, written
// through on every set, and the operations that apply options to the system.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/HookControl.h"
#include "platform/Platform.h"
#include "settings/OptionTable.h"

namespace qx {

class RegistryHelpers;

enum class Option : std::uint8_t {
#define QX_OPTION_ENUM(value, prop, type, def) value,
  QX_OPTIONS(QX_OPTION_ENUM)
#undef QX_OPTION_ENUM
      Count
};

inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(Option::Count);

enum class OptionType { Bool, Int, Text };

struct OptionInfo {
  std::wstring_view valueName;
  std::wstring_view propertyName;
  OptionType type;
};

const OptionInfo& InfoOf(Option option);
// The order in which Save writes the options.
const std::array<Option, kOptionCount>& SaveOrder();
// The order in which loading reads them (URLPrefix comes between
// PlayASound and SoundFileName and is not in this list).
const std::array<Option, kOptionCount>& LoadOrder();

// The browser helper object's class identifier, in braces.
inline constexpr std::wstring_view kBrowserHelperClsid = L"{6B1D3E52-8C0F-4A27-9E35-5F2A7C41D0B8}";
inline constexpr std::wstring_view kBrowserHelperKeyBase =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper Objects\\";
inline constexpr std::wstring_view kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::wstring_view kUnsetUrlPrefix = L"1234567890";

class Settings {
 public:
  using Value = std::variant<bool, std::int32_t, std::wstring>;

  // Loads every option (errors skip only their own option).
  Settings(SettingsStore& store, RandomSource& random, std::wstring_view programFolder);

  bool SaveOnChange() const { return saveOnChange_; }
  void SetSaveOnChange(bool on) { saveOnChange_ = on; }

#define QX_OPTION_ACCESSORS(value, prop, type, def) \
  QX_OPTION_CPP_##type prop() const;                \
  void Set##prop(QX_OPTION_ARG_##type v);
#define QX_OPTION_CPP_Bool bool
#define QX_OPTION_CPP_Int std::int32_t
#define QX_OPTION_CPP_Text const std::wstring&
#define QX_OPTION_ARG_Bool bool
#define QX_OPTION_ARG_Int std::int32_t
#define QX_OPTION_ARG_Text std::wstring_view
  QX_OPTIONS(QX_OPTION_ACCESSORS)
#undef QX_OPTION_ACCESSORS

  const std::wstring& URLPrefix() const {
    return urlPrefix_;
  }

  // Generic access by option, for tables (the options dialog, the scenario
  // runner).
  const Value& Get(Option option) const {
    return values_[Index(option)];
  }
  // Stores the value and writes it through while SaveOnChange; a failed
  // write reaches the caller as PlatformError.
  void Set(Option option, Value value);
  // The stored form: "True"/"False", decimal text, or the text itself.
  std::wstring StoredText(Option option) const;

  // Writes every option except URLPrefix in the save order; errors skip
  // only their own value.
  void Save();

  // Brings the hook control in line with DisableIPC, the window rules and
  // TreatDialogsAsPopups.
  void ImplementDisableIPC(HookControl& hooks, std::size_t windowRuleCount) const;
  void ImplementTreatDialogsAsPopups(HookControl& hooks) const;

  // The end of the object's life: StartMode is read afresh from the store
  // and applied to the system's start-up entries.
  void Terminate(RegistryHelpers& registry);
  void ApplyStartMode(RegistryHelpers& registry, std::int32_t mode) const;

 private:
  static std::size_t Index(Option option) {
    return static_cast<std::size_t>(option);
  }
  void Load(RandomSource& random);
  void LoadOne(Option option);
  void LoadUrlPrefix(RandomSource& random);

  SettingsStore& store_;
  std::wstring programFolder_;
  bool saveOnChange_ = false;
  std::array<Value, kOptionCount> values_;
  std::wstring urlPrefix_;
};

}  // namespace qx
