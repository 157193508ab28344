#include "platform/RegistryHelpers.h"

#include <cmath>

#include "base/Text.h"

namespace qx {

bool RegistryHelpers::RegKeyExists(RegRoot root, std::wstring_view path) {
  const RegOpen open = registry_.OpenKey(root, path);
  last_ = open.code;
  if (open.code != kRegSuccess || open.key == 0) return false;
  last_ = registry_.CloseKey(open.key);
  return true;
}

void RegistryHelpers::DeleteRegValue(RegRoot root, std::wstring_view path, std::wstring_view name) {
  if (!RegKeyExists(root, path)) return;
  const RegOpen open = registry_.OpenKey(root, path);
  last_ = open.code;
  if (open.code != kRegSuccess) return;
  last_ = registry_.DeleteValue(open.key, name);
  last_ = registry_.CloseKey(open.key);
}

void RegistryHelpers::SetRegValue(RegRoot root, std::wstring_view path, std::wstring_view name,
                                  std::wstring_view value) {
  const RegOpen open = registry_.CreateKey(root, path);
  last_ = open.code;
  if (open.code != kRegSuccess) return;
  RegValue data;
  const auto number = ParseNumber(value);
  if (number && *number >= -2147483648.0 && *number <= 4294967295.0) {
    data.type = RegType::Dword;
    const double rounded = std::nearbyint(*number);
    data.dword = rounded < 0 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(rounded))
                             : static_cast<std::uint32_t>(rounded);
  } else {
    data.type = RegType::String;
    data.text = Trim(value);
    data.text.push_back(L'\0');
  }
  last_ = registry_.SetValue(open.key, name, data);
  last_ = registry_.CloseKey(open.key);
}

void RegistryHelpers::CreateRegKey(RegRoot root, std::wstring_view path) {
  const RegOpen open = registry_.CreateKey(root, path);
  last_ = open.code;
  if (open.code != kRegSuccess) return;
  last_ = registry_.CloseKey(open.key);
}

void RegistryHelpers::DeleteRegKey(RegRoot root, std::wstring_view path) {
  last_ = registry_.DeleteKey(root, path);
}

}  // namespace qx
