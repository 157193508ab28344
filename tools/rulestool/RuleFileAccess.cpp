#include "tools/rulestool/RuleFileAccess.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "base/Text.h"
#include "platform/PlatformError.h"
#include "rules/WebsiteFiles.h"

namespace qx::tool {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool RuleFileAccess::IsRuleFile(std::wstring_view path) const {
  return EqualsNoCase(path, JoinPath(ProgramFolder(), kWebsitesFile));
}

void RuleFileAccess::Absent() {
  throw PlatformError(kErrFileNotFound, L"File not found", L"RuleFileAccess");
}

bool RuleFileAccess::Exists(std::wstring_view path) {
  std::error_code error;
  return IsRuleFile(path) && std::filesystem::exists(file_, error);
}

std::int64_t RuleFileAccess::Size(std::wstring_view path) {
  std::error_code error;
  const auto size = IsRuleFile(path) ? std::filesystem::file_size(file_, error) : 0;
  if (!IsRuleFile(path) || error) Absent();
  return static_cast<std::int64_t>(size);
}

std::string RuleFileAccess::ReadAll(std::wstring_view path) {
  if (!IsRuleFile(path)) Absent();
  std::optional<std::string> bytes = ReadFileBytes(file_);
  if (!bytes) {
    readFailed_ = true;
    throw PlatformError(kErrPermissionDenied, L"The rule file cannot be read", L"RuleFileAccess");
  }
  return std::move(*bytes);
}

void RuleFileAccess::WriteAll(std::wstring_view path, std::string_view bytes) {
  if (!IsRuleFile(path)) Absent();
  std::filesystem::path temporary = file_;
  temporary += ".quellix-rules.tmp";
  bool ok = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    ok = out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && out.flush();
  }
  std::error_code error;
  if (ok) std::filesystem::rename(temporary, file_, error);
  if (!ok || error) {
    std::filesystem::remove(temporary, error);
    throw PlatformError(kErrPermissionDenied, L"The rule file cannot be written",
                        L"RuleFileAccess");
  }
  written_ = true;
}

void RuleFileAccess::Append(std::wstring_view, std::string_view) {
  Absent();
}

void RuleFileAccess::Rename(std::wstring_view, std::wstring_view) {
  Absent();
}

void RuleFileAccess::Remove(std::wstring_view) {
  Absent();
}

}  // namespace qx::tool
