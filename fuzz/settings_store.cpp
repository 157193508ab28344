// A settings store full of junk: every option loads to its stored value when
// that converts and to zero otherwise, the marker prefix is never empty or
// the unset one, and whatever loaded is written back and loads the same.

#include "fuzz/FuzzSupport.h"
#include "settings/Settings.h"
#include "sim/FailureInjector.h"
#include "sim/SimRandom.h"
#include "sim/SimSettingsStore.h"

namespace qx::fuzz {
namespace {

constexpr std::wstring_view kFolder = L"C:\\Program Files\\Quellix";

// One "Name=Value" per line; a name may be "Data/URLPrefix" for the other
// section.
void Fill(sim::SimSettingsStore& store, std::wstring_view text) {
  while (!text.empty()) {
    const auto end = text.find(L'\n');
    const std::wstring_view line = text.substr(0, end);
    text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);
    const auto eq = line.find(L'=');
    if (eq == std::wstring_view::npos) continue;
    std::wstring_view name = line.substr(0, eq);
    std::wstring_view section = L"Options";
    if (const auto slash = name.find(L'/'); slash != std::wstring_view::npos) {
      section = name.substr(0, slash);
      name = name.substr(slash + 1);
    }
    store.Poke(section, name, line.substr(eq + 1));
  }
}

Settings::Value Expected(Option option, const std::optional<std::wstring>& stored) {
  const OptionInfo& info = InfoOf(option);
  if (!stored) return Settings::Value();  // the default: not checked here
  switch (info.type) {
    case OptionType::Bool:
      return ParseBoolean(*stored).value_or(false);
    case OptionType::Int:
      return ParseInt32(*stored).value_or(0);
    case OptionType::Text:
      break;
  }
  return *stored;
}

}  // namespace
}  // namespace qx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  sim::FailureInjector failures;
  sim::SimSettingsStore store(failures);
  sim::SimRandom random;
  Fill(store, Text(Bytes(data, size)));

  Settings settings(store, random, kFolder);
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    const auto option = static_cast<Option>(i);
    const auto stored = store.Peek(L"Options", InfoOf(option).valueName);
    if (stored) QX_FUZZ_CHECK(settings.Get(option) == Expected(option, stored));
  }
  const std::wstring& prefix = settings.URLPrefix();
  QX_FUZZ_CHECK(!prefix.empty() && prefix != kUnsetUrlPrefix);
  QX_FUZZ_CHECK(store.Peek(L"Data", L"URLPrefix") == prefix);

  // Written back (as the options dialog's Apply does) and loaded again.
  settings.Save();
  Settings again(store, random, kFolder);
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    const auto option = static_cast<Option>(i);
    QX_FUZZ_CHECK(again.Get(option) == settings.Get(option));
  }
  QX_FUZZ_CHECK(again.URLPrefix() == prefix);
  return 0;
}
