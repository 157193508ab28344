#include "sim/SimRegistry.h"

#include <vector>

#include "base/Text.h"

namespace qx::sim {
namespace {

std::vector<std::wstring> SplitPath(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (const wchar_t c : path) {
    if (c == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

SimRegistry::Key& SimRegistry::RootKey(RegRoot root) const {
  return root == RegRoot::CurrentUser ? currentUser_ : localMachine_;
}

bool SimRegistry::ReadOnly(RegRoot root) const {
  return root == RegRoot::CurrentUser ? readOnlyUser_ : readOnlyMachine_;
}

void SimRegistry::SetReadOnly(RegRoot root, bool readOnly) {
  (root == RegRoot::CurrentUser ? readOnlyUser_ : readOnlyMachine_) = readOnly;
}

SimRegistry::Key* SimRegistry::Find(RegRoot root, std::wstring_view path) const {
  Key* key = &RootKey(root);
  for (const auto& part : SplitPath(path)) {
    const auto it = key->subkeys.find(LowerCase(part));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

SimRegistry::Key* SimRegistry::FromHandle(RegKey key) const {
  const auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second.second;
}

RegOpen SimRegistry::OpenKey(RegRoot root, std::wstring_view path) {
  if (failures_.ShouldFail("Registry.OpenKey")) return {kRegAccessDenied, 0};
  Key* key = Find(root, path);
  if (key == nullptr) return {kRegFileNotFound, 0};
  const RegKey handle = nextHandle_++;
  handles_[handle] = {root, key};
  return {kRegSuccess, handle};
}

RegOpen SimRegistry::CreateKey(RegRoot root, std::wstring_view path) {
  if (failures_.ShouldFail("Registry.CreateKey")) return {kRegAccessDenied, 0};
  // Creating opens for writing, which a user without the right is refused
  // also for a key that exists (RegCreateKeyEx asks for KEY_WRITE).
  if (ReadOnly(root)) return {kRegAccessDenied, 0};
  Key* key = &RootKey(root);
  for (const auto& part : SplitPath(path)) {
    auto& slot = key->subkeys[LowerCase(part)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = part;
    }
    key = slot.get();
  }
  const RegKey handle = nextHandle_++;
  handles_[handle] = {root, key};
  return {kRegSuccess, handle};
}

std::int32_t SimRegistry::SetValue(RegKey handle, std::wstring_view name, const RegValue& value) {
  if (failures_.ShouldFail("Registry.SetValue")) return kRegAccessDenied;
  const auto it = handles_.find(handle);
  if (it == handles_.end()) return kRegInvalidHandle;
  if (ReadOnly(it->second.first)) return kRegAccessDenied;
  it->second.second->values[LowerCase(name)] = {std::wstring(name), value};
  return kRegSuccess;
}

std::int32_t SimRegistry::QueryValue(RegKey handle, std::wstring_view name, RegValue& out) {
  if (failures_.ShouldFail("Registry.QueryValue")) return kRegAccessDenied;
  Key* key = FromHandle(handle);
  if (key == nullptr) return kRegInvalidHandle;
  const auto it = key->values.find(LowerCase(name));
  if (it == key->values.end()) return kRegFileNotFound;
  out = it->second.second;
  return kRegSuccess;
}

std::int32_t SimRegistry::DeleteValue(RegKey handle, std::wstring_view name) {
  if (failures_.ShouldFail("Registry.DeleteValue")) return kRegAccessDenied;
  const auto it = handles_.find(handle);
  if (it == handles_.end()) return kRegInvalidHandle;
  if (ReadOnly(it->second.first)) return kRegAccessDenied;
  return it->second.second->values.erase(LowerCase(name)) > 0 ? kRegSuccess : kRegFileNotFound;
}

std::int32_t SimRegistry::DeleteKey(RegRoot root, std::wstring_view path) {
  if (failures_.ShouldFail("Registry.DeleteKey")) return kRegAccessDenied;
  auto parts = SplitPath(path);
  if (parts.empty()) return kRegAccessDenied;
  const std::wstring last = LowerCase(parts.back());
  parts.pop_back();
  std::wstring parentPath;
  for (const auto& p : parts)
    parentPath += p + L"\\";
  Key* parent = Find(root, parentPath);
  if (parent == nullptr) return kRegFileNotFound;
  const auto it = parent->subkeys.find(last);
  if (it == parent->subkeys.end()) return kRegFileNotFound;
  if (ReadOnly(root) || !it->second->subkeys.empty()) return kRegAccessDenied;
  for (auto h = handles_.begin(); h != handles_.end();) {
    h = h->second.second == it->second.get() ? handles_.erase(h) : std::next(h);
  }
  parent->subkeys.erase(it);
  return kRegSuccess;
}

std::int32_t SimRegistry::CloseKey(RegKey handle) {
  if (failures_.ShouldFail("Registry.CloseKey")) return kRegInvalidHandle;
  return handles_.erase(handle) > 0 ? kRegSuccess : kRegInvalidHandle;
}

bool SimRegistry::KeyExists(RegRoot root, std::wstring_view path) const {
  return Find(root, path) != nullptr;
}

std::optional<RegValue> SimRegistry::Value(RegRoot root, std::wstring_view path,
                                           std::wstring_view name) const {
  const Key* key = Find(root, path);
  if (key == nullptr) return std::nullopt;
  const auto it = key->values.find(LowerCase(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

std::optional<std::pair<RegRoot, std::wstring>> ParseRegistryPath(std::wstring_view full) {
  const auto slash = full.find(L'\\');
  const std::wstring_view head = full.substr(0, slash);
  const std::wstring rest =
      slash == std::wstring_view::npos ? L"" : std::wstring(full.substr(slash + 1));
  if (EqualsNoCase(head, L"HKEY_LOCAL_MACHINE") || EqualsNoCase(head, L"HKLM")) {
    return std::pair{RegRoot::LocalMachine, rest};
  }
  if (EqualsNoCase(head, L"HKEY_CURRENT_USER") || EqualsNoCase(head, L"HKCU")) {
    return std::pair{RegRoot::CurrentUser, rest};
  }
  return std::nullopt;
}

}  // namespace qx::sim
