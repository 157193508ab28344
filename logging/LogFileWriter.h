#pragma once
// The bytes one session adds to "log.dat": a session mark (a 32-bit 0), then
// every entry oldest first as type, date, time, source, target, each text
// written before its 32-bit length so that the file reads backwards.

#include <span>
#include <string>

#include "base/AnsiCodec.h"
#include "logging/LogEntry.h"

namespace qx {

std::string EncodeSession(std::span<const LogEntry> oldestFirst, const AnsiCodec& ansi);

}  // namespace qx
