#include "logging/PopupLog.h"

#include <cmath>
#include <limits>

#include "base/Text.h"
#include "logging/LogFileWriter.h"
#include "logging/LogReport.h"
#include "platform/PlatformError.h"

namespace qx {
namespace {

constexpr std::wstring_view kData = L"Data";
constexpr std::wstring_view kPopupCount = L"PopupCount";

std::int32_t ClampToInt32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  // Rounded half to even, as the stored counts always were.
  const double rounded = std::nearbyint(value);
  if (rounded <= kMin) return std::numeric_limits<std::int32_t>::min();
  if (rounded >= kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

PopupLog::PopupLog(FileSystem& files, SettingsStore& store, Clock& clock, const AnsiCodec& ansi,
                   const Settings& settings)
    : files_(files), store_(store), clock_(clock), ansi_(ansi), settings_(settings) {}

std::wstring PopupLog::ProgramFile(std::wstring_view name) const {
  return JoinPath(files_.DataFolder(), name);
}

void PopupLog::Add(std::wstring_view source, std::wstring_view target, std::int32_t type,
                   std::wstring_view reason) {
  if (!settings_.KeepLog()) return;
  if (entries_.size() == kMaxSessionEntries) ClearLog();
  LogEntry entry{std::wstring(source), std::wstring(target), L"", L"", type, std::wstring(reason)};
  // A clock that cannot be read costs the entry its date and time, not the
  // entry itself.
  Step([&] {
    const LocalTime now = clock_.Now();
    entry.LogDate = clock_.ShortDateText(now);
    entry.LogTime = clock_.TimeText(now);
  });
  entries_.push_back(std::move(entry));
  if (refresh_) Step(refresh_);
}

void PopupLog::IncrememntPopupCount() {
  if (sessionCount_ < std::numeric_limits<std::int32_t>::max()) ++sessionCount_;
}

std::optional<std::int32_t> PopupLog::Total() {
  std::optional<std::wstring> stored;
  if (!Step([&] { stored = store_.Get(kAppName, kData, kPopupCount); })) return std::nullopt;
  // A value that is not a number counts as none stored: the total starts
  // again rather than staying stuck.
  const double base = ParseNumber(stored.value_or(L"0")).value_or(0.0);
  return ClampToInt32(base + static_cast<double>(sessionCount_));
}

std::int32_t PopupLog::TotalPopupCount() {
  return Total().value_or(sessionCount_);
}

void PopupLog::SaveSession() {
  if (entries_.empty() || !settings_.SaveLog()) return;
  Step([&] { files_.Append(ProgramFile(L"log.dat"), EncodeSession(entries_, ansi_)); });
  Step([&] {
    const auto total = Total();
    if (!total) return;
    store_.Put(kAppName, kData, kPopupCount, NumberText(*total));
    sessionCount_ = 0;
  });
}

void PopupLog::ClearLog() {
  SaveSession();
  entries_.clear();
}

void PopupLog::Delete() {
  Step([&] { files_.Remove(ProgramFile(L"log.dat")); });
  Step([&] { files_.Remove(ProgramFile(L"log.htm")); });
}

std::int32_t PopupLog::LogSize() {
  std::int64_t size = 0;
  for (const std::wstring_view name : {L"log.dat", L"log.htm"}) {
    Step([&] {
      const std::wstring path = ProgramFile(name);
      if (files_.Exists(path)) size += files_.Size(path);
    });
  }
  return ClampToInt32(static_cast<double>(size));
}

std::wstring PopupLog::ShowPastLogs() {
  return qx::ShowPastLogs(files_, ansi_);
}

}  // namespace qx
