#pragma once
// The error log "ErrorLog.txt" in the data folder: one line per event,
// with a date and time stamp and the event type.

#include <string>
#include <string_view>

#include "base/AnsiCodec.h"
#include "logging/pError.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace qx {

enum class EventType { Error, Warning, Information };

class ErrorLogger {
 public:
  // With keepEarlierEvents false (the EventLog setting off) the file is
  // started afresh now, so it holds only this run's events.
  ErrorLogger(FileSystem& files, Clock& clock, const AnsiCodec& ansi, bool keepEarlierEvents);

  std::wstring LogFile() const;
  void WriteEvent(std::wstring_view source, std::wstring_view message, EventType type);
  void WriteError(std::wstring_view routine, const pError& error);

 private:
  FileSystem& files_;
  Clock& clock_;
  const AnsiCodec& ansi_;
};

std::wstring_view EventTypeName(EventType type);

}  // namespace qx
