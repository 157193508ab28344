#include "sim/SimSettingsStore.h"

#include "base/Text.h"

namespace qx::sim {

SimSettingsStore::Key SimSettingsStore::MakeKey(std::wstring_view app, std::wstring_view section,
                                                std::wstring_view name) {
  return {LowerCase(app), LowerCase(section), LowerCase(name)};
}

std::optional<std::wstring> SimSettingsStore::Get(std::wstring_view app, std::wstring_view section,
                                                  std::wstring_view name) {
  failures_.Check("Store.Get");
  const auto it = values_.find(MakeKey(app, section, name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void SimSettingsStore::Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
                           std::wstring_view value) {
  failures_.Check("Store.Put");
  values_[MakeKey(app, section, name)] = std::wstring(value);
  if (EqualsNoCase(app, kAppName)) {
    journal_.push_back({std::wstring(section), std::wstring(name), std::wstring(value)});
  }
}

void SimSettingsStore::Delete(std::wstring_view app, std::wstring_view section,
                              std::wstring_view name) {
  failures_.Check("Store.Delete");
  values_.erase(MakeKey(app, section, name));
}

std::optional<std::wstring> SimSettingsStore::Peek(std::wstring_view section,
                                                   std::wstring_view name) const {
  const auto it = values_.find(MakeKey(kAppName, section, name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void SimSettingsStore::Poke(std::wstring_view section, std::wstring_view name,
                            std::wstring_view value) {
  values_[MakeKey(kAppName, section, name)] = std::wstring(value);
}

}  // namespace qx::sim
