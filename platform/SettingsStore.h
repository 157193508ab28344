#pragma once
// The per-user settings store: application, section and value name -> text.

#include <optional>
#include <string>
#include <string_view>

namespace qx {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // None when the value does not exist. Throws PlatformError on failure.
  virtual std::optional<std::wstring> Get(std::wstring_view app, std::wstring_view section,
                                          std::wstring_view name) = 0;
  virtual void Put(std::wstring_view app, std::wstring_view section, std::wstring_view name,
                   std::wstring_view value) = 0;
  virtual void Delete(std::wstring_view app, std::wstring_view section, std::wstring_view name) = 0;
};

inline constexpr std::wstring_view kAppName = L"Quellix";

}  // namespace qx
