#pragma once
// The registry of the simulated desktop: keys and value names compare
// without regard to case; deleting a key with subkeys is refused, as on the
// NT family.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"
#include "sim/FailureInjector.h"

namespace qx::sim {

class SimRegistry final : public Registry {
 public:
  explicit SimRegistry(FailureInjector& failures) : failures_(failures) {}

  RegOpen OpenKey(RegRoot root, std::wstring_view path) override;
  RegOpen CreateKey(RegRoot root, std::wstring_view path) override;
  std::int32_t SetValue(RegKey key, std::wstring_view name, const RegValue& value) override;
  std::int32_t QueryValue(RegKey key, std::wstring_view name, RegValue& out) override;
  std::int32_t DeleteValue(RegKey key, std::wstring_view name) override;
  std::int32_t DeleteKey(RegRoot root, std::wstring_view path) override;
  std::int32_t CloseKey(RegKey key) override;

  // A user without the right to write under this root.
  void SetReadOnly(RegRoot root, bool readOnly);
  bool KeyExists(RegRoot root, std::wstring_view path) const;
  std::optional<RegValue> Value(RegRoot root, std::wstring_view path, std::wstring_view name) const;
  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  struct Key {
    std::wstring name;
    std::map<std::wstring, std::unique_ptr<Key>> subkeys;  // by lower-cased name
    std::map<std::wstring, std::pair<std::wstring, RegValue>> values;
  };
  Key* Find(RegRoot root, std::wstring_view path) const;
  Key& RootKey(RegRoot root) const;
  Key* FromHandle(RegKey key) const;
  bool ReadOnly(RegRoot root) const;

  FailureInjector& failures_;
  mutable Key currentUser_;
  mutable Key localMachine_;
  bool readOnlyUser_ = false;
  bool readOnlyMachine_ = false;
  std::map<RegKey, std::pair<RegRoot, Key*>> handles_;
  RegKey nextHandle_ = 0x100;
};

// "HKEY_LOCAL_MACHINE\Software\..." (or HKLM, HKCU) split into root and path.
std::optional<std::pair<RegRoot, std::wstring>> ParseRegistryPath(std::wstring_view full);

}  // namespace qx::sim
