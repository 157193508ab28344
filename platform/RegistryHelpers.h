#pragma once
// The registry helpers of the start-up entries. Each call's result code is
// kept in LastRegResult; the helpers answer nothing else.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace qx {

class RegistryHelpers {
 public:
  explicit RegistryHelpers(Registry& registry) : registry_(registry) {}

  bool RegKeyExists(RegRoot root, std::wstring_view path);
  void DeleteRegValue(RegRoot root, std::wstring_view path, std::wstring_view name);
  // Numeric text becomes a REG_DWORD; other text is trimmed and written as
  // REG_SZ with its terminating NUL.
  void SetRegValue(RegRoot root, std::wstring_view path, std::wstring_view name,
                   std::wstring_view value);
  // Creates the key (empty) and closes it.
  void CreateRegKey(RegRoot root, std::wstring_view path);
  void DeleteRegKey(RegRoot root, std::wstring_view path);
  std::int32_t LastRegResult() const { return last_; }

 private:
  Registry& registry_;
  std::int32_t last_ = 0;
};

}  // namespace qx
