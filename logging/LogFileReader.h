#pragma once
// Reads "log.dat" back from its end, as the report lists it: newest session
// first, each session's entries newest first.
//
// The file has no header, and a target length of 0 looks exactly like a
// session mark, so the reader takes the reading that consumes the file
// consistently back to its start. A damaged file (a length that is negative
// or runs past the start, a torn last append) still yields the sessions
// after the damage, read back from the end, and those before it, read from
// the start; the bytes in between are skipped. Nothing is allocated beyond
// a few bits per byte of the file and the texts it holds.

#include <functional>
#include <string_view>
#include <vector>

#include "base/AnsiCodec.h"
#include "logging/LogEntry.h"

namespace qx {

using SessionSink = std::function<void(const std::vector<LogEntry>& newestFirst)>;

void ReadPastSessions(std::string_view bytes, const AnsiCodec& ansi, const SessionSink& onSession);

}  // namespace qx
