#include "logging/ErrorLogger.h"

#include "base/Text.h"
#include "platform/PlatformError.h"

namespace qx {

std::wstring_view EventTypeName(EventType type) {
  switch (type) {
    case EventType::Error:
      return L"Error";
    case EventType::Warning:
      return L"Warning";
    case EventType::Information:
      break;
  }
  return L"Information";
}

ErrorLogger::ErrorLogger(FileSystem& files, Clock& clock, const AnsiCodec& ansi,
                         bool keepEarlierEvents)
    : files_(files), clock_(clock), ansi_(ansi) {
  if (!keepEarlierEvents) Step([&] { files_.WriteAll(LogFile(), ""); });
}

std::wstring ErrorLogger::LogFile() const {
  return JoinPath(files_.DataFolder(), L"ErrorLog.txt");
}

void ErrorLogger::WriteEvent(std::wstring_view source, std::wstring_view message, EventType type) {
  Step([&] {
    const LocalTime now = clock_.Now();
    std::wstring line = clock_.ShortDateText(now) + L" " + clock_.TimeText(now) + L"\t";
    line += EventTypeName(type);
    line += L"\t";
    if (source.empty()) {
      line += L"Unspecified source: ";
    } else {
      line += source;
      line += L": ";
    }
    line += message;
    // One event, one line: a message must not forge further lines.
    for (auto& c : line) {
      if (c == L'\r' || c == L'\n') c = L' ';
    }
    line += L"\r\n";
    files_.Append(LogFile(), ansi_.Encode(line));
  });
}

void ErrorLogger::WriteError(std::wstring_view routine, const pError& error) {
  std::wstring source = error.Source + L"(" + std::wstring(routine) + L")";
  std::wstring message = error.Description + L" (Error number " + NumberText(error.Number) + L").";
  WriteEvent(source, message, EventType::Error);
}

}  // namespace qx
