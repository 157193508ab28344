#pragma once
// The per-user settings store in the registry: under HKEY_CURRENT_USER,
// Software\<application>\<section>, one text value per setting.

#include "platform/SettingsStore.h"

namespace qx::win {

class WinSettingsStore final : public SettingsStore {
 public:
  // root: the key under HKEY_CURRENT_USER that holds the applications
  // ("Software"; tests use a scratch key).
  explicit WinSettingsStore(std::wstring root = L"Software") : root_(std::move(root)) {}

  // A text value as written; a number (REG_DWORD) as decimal text; a value of
  // any other type counts as missing, so the setting takes its default.
  std::optional<std::wstring> Get(std::wstring_view app, std::wstring_view section,
                                  std::wstring_view name) override;
  void Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
           std::wstring_view value) override;
  // A missing value or section is not an error.
  void Delete(std::wstring_view app, std::wstring_view section, std::wstring_view name) override;

 private:
  std::wstring KeyPath(std::wstring_view app, std::wstring_view section) const;
  std::wstring root_;
};

}  // namespace qx::win
