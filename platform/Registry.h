#pragma once
// The system registry, call for call: every call answers a result code (0 is
// success), as the registry helpers record the last one.

#include <cstdint>
#include <string>
#include <string_view>

namespace qx {

enum class RegRoot { CurrentUser, LocalMachine };
enum class RegType : std::uint32_t { String = 1, Dword = 4 };

using RegKey = std::uintptr_t;  // 0: no key

inline constexpr std::int32_t kRegSuccess = 0;
inline constexpr std::int32_t kRegFileNotFound = 2;
inline constexpr std::int32_t kRegAccessDenied = 5;
inline constexpr std::int32_t kRegInvalidHandle = 6;

struct RegValue {
  RegType type = RegType::String;
  std::uint32_t dword = 0;
  // The data of a string value, its terminating NUL included as the last
  // character when the writer put one there.
  std::wstring text;
};

struct RegOpen {
  std::int32_t code = kRegFileNotFound;
  RegKey key = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  virtual RegOpen OpenKey(RegRoot root, std::wstring_view path) = 0;
  // Opens the key, creating it and its missing parents.
  virtual RegOpen CreateKey(RegRoot root, std::wstring_view path) = 0;
  virtual std::int32_t SetValue(RegKey key, std::wstring_view name, const RegValue& value) = 0;
  virtual std::int32_t QueryValue(RegKey key, std::wstring_view name, RegValue& out) = 0;
  virtual std::int32_t DeleteValue(RegKey key, std::wstring_view name) = 0;
  // Deletes a key that has no subkeys.
  virtual std::int32_t DeleteKey(RegRoot root, std::wstring_view path) = 0;
  virtual std::int32_t CloseKey(RegKey key) = 0;
};

}  // namespace qx
