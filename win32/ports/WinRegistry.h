#pragma once
// The registry, call for call; the result codes are the system's own.

#include "platform/Registry.h"

namespace qx::win {

class WinRegistry final : public Registry {
 public:
  // Keys are opened for reading and writing; where writing is not allowed
  // (HKEY_LOCAL_MACHINE for an ordinary user) for reading only, so that
  // asking whether a key exists still works.
  RegOpen OpenKey(RegRoot root, std::wstring_view path) override;
  RegOpen CreateKey(RegRoot root, std::wstring_view path) override;
  std::int32_t SetValue(RegKey key, std::wstring_view name, const RegValue& value) override;
  // A value of a type other than text or number answers ERROR_UNSUPPORTED_TYPE.
  std::int32_t QueryValue(RegKey key, std::wstring_view name, RegValue& out) override;
  std::int32_t DeleteValue(RegKey key, std::wstring_view name) override;
  std::int32_t DeleteKey(RegRoot root, std::wstring_view path) override;
  std::int32_t CloseKey(RegKey key) override;
};

}  // namespace qx::win
