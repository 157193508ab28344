#pragma once
// "log.htm": the page of past sessions the options dialog opens, built from
// "log.dat", newest session first, each as a paragraph and a table.

#include <span>
#include <string>

#include "base/AnsiCodec.h"
#include "logging/LogEntry.h"
#include "platform/FileSystem.h"

namespace qx {

// Writes "log.htm" from "log.dat" (created empty when missing) and answers
// the page's full path. Failures skip their step; a long page that cannot be
// written to its end stops where the failure came.
std::wstring ShowPastLogs(FileSystem& files, const AnsiCodec& ansi);

// Appends the ANSI lines of one session (entries newest first) to the page;
// nothing for an empty session.
void WriteSessionTable(std::string& page, std::span<const LogEntry> newestFirst,
                       const AnsiCodec& ansi);

}  // namespace qx
