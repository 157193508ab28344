#pragma once
// The session's stopped pop-ups, their history file "log.dat" and the
// running total of stopped pop-ups. One per process; the process context
// ends its session at program exit.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiCodec.h"
#include "logging/LogEntry.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "settings/Settings.h"

namespace qx {

// A session holds at most this many entries; the next one starts a new one.
inline constexpr std::size_t kMaxSessionEntries = 250;

class PopupLog {
 public:
  PopupLog(FileSystem& files, SettingsStore& store, Clock& clock, const AnsiCodec& ansi,
           const Settings& settings);

  // Records one stopped pop-up (nothing while KeepLog is off), with why it
  // was stopped.
  void Add(std::wstring_view source, std::wstring_view target, std::int32_t type,
           std::wstring_view reason = {});
  // Counts one stopped pop-up, whether or not it was logged.
  void IncrememntPopupCount();
  // The stored PopupCount plus the pop-ups counted since it was stored.
  std::int32_t TotalPopupCount();
  // The current session, oldest first.
  const std::vector<LogEntry>& GetLogItems() const { return entries_; }
  // Ends the session as at program exit and starts an empty one.
  void ClearLog();
  // Appends the session to "log.dat" and stores the total; nothing while
  // SaveLog is off or the session is empty.
  void SaveSession();
  // Deletes "log.dat" and "log.htm".
  void Delete();
  // The bytes of "log.dat" and "log.htm"; a missing file counts 0.
  std::int32_t LogSize();
  // Writes "log.htm" and answers its path.
  std::wstring ShowPastLogs();

  // The options dialog, while open, asks to hear of every new entry.
  void SetLogListRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

 private:
  std::wstring ProgramFile(std::wstring_view name) const;
  // None when the store cannot be read: the total is then unknown, and
  // storing a guess would overwrite the real one.
  std::optional<std::int32_t> Total();

  FileSystem& files_;
  SettingsStore& store_;
  Clock& clock_;
  const AnsiCodec& ansi_;
  const Settings& settings_;
  std::vector<LogEntry> entries_;
  std::int32_t sessionCount_ = 0;
  std::function<void()> refresh_;
};

}  // namespace qx
