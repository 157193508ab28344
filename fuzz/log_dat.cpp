// "log.dat" read backwards for the report: any bytes give sessions without
// a fault, and sessions written by the program read back as they were.

#include <vector>

#include "base/AnsiCodec.h"
#include "fuzz/FuzzSupport.h"
#include "logging/LogFileReader.h"
#include "logging/LogFileWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qx;
  using namespace qx::fuzz;
  const Windows1252Codec ansi;
  const std::string_view bytes = Bytes(data, size);

  std::vector<std::vector<LogEntry>> sessions;  // newest first
  std::size_t textBytes = 0;
  ReadPastSessions(bytes, ansi, [&](const std::vector<LogEntry>& newestFirst) {
    for (const LogEntry& e : newestFirst) {
      textBytes += e.Source.size() + e.Target.size() + e.LogDate.size() + e.LogTime.size();
    }
    sessions.push_back(newestFirst);
  });
  // Every text read comes from a different part of the file.
  QX_FUZZ_CHECK(textBytes <= size);

  // Written again, oldest first, the sessions read back the same. A target
  // of no characters is written with length 0, which reads as a session
  // mark; such entries cannot come back as they were.
  bool unambiguous = true;
  std::string rewritten;
  for (auto s = sessions.rbegin(); s != sessions.rend(); ++s) {
    std::vector<LogEntry> oldestFirst(s->rbegin(), s->rend());
    for (const LogEntry& e : oldestFirst)
      unambiguous = unambiguous && !e.Target.empty();
    rewritten += EncodeSession(oldestFirst, ansi);
  }
  if (!unambiguous) return 0;
  std::vector<std::vector<LogEntry>> again;
  ReadPastSessions(rewritten, ansi,
                   [&](const std::vector<LogEntry>& newestFirst) { again.push_back(newestFirst); });
  // Sessions without entries leave no trace in the report.
  std::erase_if(sessions, [](const auto& s) { return s.empty(); });
  std::erase_if(again, [](const auto& s) { return s.empty(); });
  QX_FUZZ_CHECK(again == sessions);
  return 0;
}
