#pragma once
// The per-user settings store of the simulated desktop. Names compare
// without regard to case, as the registry that holds them on Windows does.
// Every write is kept in a journal, so tests can see what was written when.

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/SettingsStore.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class SimSettingsStore final : public SettingsStore {
 public:
  struct Write {
    std::wstring section;
    std::wstring name;
    std::wstring value;
  };

  explicit SimSettingsStore(FailureInjector& failures) : failures_(failures) {}

  std::optional<std::wstring> Get(std::wstring_view app, std::wstring_view section,
                                  std::wstring_view name) override;
  void Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
           std::wstring_view value) override;
  void Delete(std::wstring_view app, std::wstring_view section, std::wstring_view name) override;

  // Direct access for scenarios and tests (application "Quellix").
  std::optional<std::wstring> Peek(std::wstring_view section, std::wstring_view name) const;
  void Poke(std::wstring_view section, std::wstring_view name, std::wstring_view value);
  const std::vector<Write>& Journal() const { return journal_; }
  void ClearJournal() { journal_.clear(); }

 private:
  using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
  static Key MakeKey(std::wstring_view app, std::wstring_view section, std::wstring_view name);

  FailureInjector& failures_;
  std::map<Key, std::wstring> values_;
  std::vector<Write> journal_;
};

}  // namespace qx::sim
