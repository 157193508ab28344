#pragma once
// The stored forms of the website rules: the binary "websites.dat" and the
// older text list "servers.lst" that is imported once.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ByteCodec.h"

namespace qx {

inline constexpr std::wstring_view kWebsitesFile = L"websites.dat";
inline constexpr std::wstring_view kServerListFile = L"servers.lst";
// Put before a stored URL whose rule matches all subdomains.
inline constexpr std::wstring_view kSubdomainMarker = L"*!";

// Calls record(type, text) for every whole record of "websites.dat". A
// length that is negative or runs past the end ends the reading there:
// whatever follows cannot be framed any more.
template <class Record>
void ReadWebsiteRecords(const AnsiCodec& ansi, std::string_view bytes, Record&& record) {
  ByteReader reader(ansi, bytes);
  for (;;) {
    const auto type = reader.GetInt32();
    if (!type) return;
    auto text = reader.GetText();
    if (!text) return;
    record(*type, std::move(*text));
  }
}

struct ServerListEntry {
  std::wstring site;
  bool disallow = false;
};

// One entry per line: the site in double quotes (or bare), a comma, and
// #TRUE# (disallow) or #FALSE# (allow). Lines that do not read so, and
// blank sites, are passed over.
std::vector<ServerListEntry> ParseServerList(std::wstring_view text);

}  // namespace qx
