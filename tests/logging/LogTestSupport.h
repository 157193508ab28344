#pragma once
// Helpers shared by the log tests: hand-built "log.dat" bytes and splitting
// "log.htm" into its lines.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logging/LogEntry.h"

namespace qx::test {

inline void PutInt(std::string& out, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

// One entry laid out by hand from ASCII texts: type, then each text before
// its length.
inline std::string EntryBytes(std::int32_t type, std::string_view date, std::string_view time,
                              std::string_view source, std::string_view target) {
  std::string out;
  PutInt(out, type);
  for (const std::string_view text : {date, time, source, target}) {
    out += text;
    PutInt(out, static_cast<std::int32_t>(text.size()));
  }
  return out;
}

inline std::string MarkBytes() {
  return std::string(4, '\0');
}

inline LogEntry Entry(std::wstring source, std::wstring target, std::int32_t type = kBrowserPopup,
                      std::wstring date = L"6/1/2004", std::wstring time = L"12:00:00 PM") {
  return LogEntry{
      std::move(source), std::move(target), std::move(date), std::move(time), type, L""};
}

// The lines of a CRLF text; a last line without its CRLF is kept as it is,
// so a comparison shows it.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find("\r\n");
    if (end == std::string_view::npos) {
      lines.emplace_back(std::string(text) + "<no CRLF>");
      break;
    }
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  return lines;
}

}  // namespace qx::test
