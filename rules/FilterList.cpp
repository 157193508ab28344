#include "rules/FilterList.h"

#include <algorithm>

#include "base/Text.h"

namespace qx {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool HasControlBytes(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t') || b == 0x7F;
  });
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-' || c == '_' ||
         c == '.';
}

bool IsIPv4(std::string_view text) {
  int parts = 0;
  while (parts < 4) {
    std::size_t digits = 0;
    int value = 0;
    while (digits < text.size() && digits < 4 && IsDigit(text[digits]))
      value = value * 10 + (text[digits++] - '0');
    if (digits == 0 || digits > 3 || value > 255) return false;
    text.remove_prefix(digits);
    if (++parts < 4) {
      if (text.empty() || text.front() != '.') return false;
      text.remove_prefix(1);
    }
  }
  return text.empty();
}

// An IPv6 address, perhaps with a zone ("fe80::1%lo0"); the form is not
// checked further, since such a token can only begin a hosts entry.
bool IsIPv6(std::string_view text) {
  const std::string_view address = text.substr(0, text.find('%'));
  if (address.find(':') == std::string_view::npos) return false;
  return std::all_of(address.begin(), address.end(), [](char c) {
    const char l = LowerAscii(c);
    return IsDigit(c) || (l >= 'a' && l <= 'f') || c == ':' || c == '.';
  });
}

// The addresses a hosts file sends a name to so that it cannot be reached.
bool IsBlockingAddress(std::string_view address) {
  if (IsIPv4(address)) return address == "0.0.0.0" || address.starts_with("127.");
  return address == "::" || address == "::1" || address == "0:0:0:0:0:0:0:0" ||
         address == "0:0:0:0:0:0:0:1";
}

// A host name with at least one dot, optionally a port: "ads.example:8080".
bool IsSiteName(std::string_view host, bool portAllowed) {
  if (const auto colon = host.find(':'); colon != std::string_view::npos) {
    const std::string_view port = host.substr(colon + 1);
    if (!portAllowed || port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), IsDigit)) {
      return false;
    }
    host = host.substr(0, colon);
  }
  if (host.empty() || host.front() == '.' || host.back() == '.') return false;
  if (host.find('.') == std::string_view::npos || host.find("..") != std::string_view::npos) {
    return false;
  }
  return std::all_of(host.begin(), host.end(), IsHostChar);
}

// A name that means this machine or its network rather than a site.
bool IsLocalName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  if (lower.find('.') == std::string::npos || IsIPv4(lower) || IsIPv6(lower)) return true;
  for (const std::string_view suffix : {".localdomain", ".localhost", ".local"}) {
    if (lower.ends_with(suffix)) return true;
  }
  return false;
}

// The marks of element hiding and its relatives: "##", "#@#", "#?#",
// "#$#", "#%#" and their "#@" exceptions.
std::size_t CosmeticMark(std::string_view line) {
  for (std::size_t at = line.find('#'); at != std::string_view::npos; at = line.find('#', at + 1)) {
    std::string_view rest = line.substr(at + 1);
    if (rest.starts_with('@')) rest.remove_prefix(1);
    if (rest.starts_with('#')) return at;
    if (rest.size() >= 2 && (rest[0] == '?' || rest[0] == '$' || rest[0] == '%') &&
        rest[1] == '#') {
      return at;
    }
  }
  return std::string_view::npos;
}

bool IsUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    std::size_t need = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
    } else {
      return false;
    }
    if (i + need >= bytes.size()) return false;
    for (std::size_t k = 1; k <= need; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    i += need + 1;
  }
  return true;
}

// A UTF-16 text (by its byte-order mark) as UTF-8; none for other texts.
std::optional<std::string> Utf16AsUtf8(std::string_view bytes) {
  if (bytes.size() < 2) return std::nullopt;
  const auto b0 = static_cast<unsigned char>(bytes[0]);
  const auto b1 = static_cast<unsigned char>(bytes[1]);
  const bool little = b0 == 0xFF && b1 == 0xFE;
  if (!little && !(b0 == 0xFE && b1 == 0xFF)) return std::nullopt;
  std::wstring text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
    const auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
    text.push_back(static_cast<wchar_t>(lo | (hi << 8)));
  }
  return ToUtf8(text);
}

class ListReader {
 public:
  ListReader(bool utf8, const AnsiCodec* ansi) : utf8_(utf8), ansi_(ansi) {}
  // Reads bare names as the filters they are in a filter list.
  void AssumeFilterList() { filterForm_ = true; }

  void Line(std::string_view raw);
  ParsedList Finish();

 private:
  void Skip(ListSkip reason) { ++list_.skipped[static_cast<std::size_t>(reason)]; }
  void Take(std::string_view url, bool subdomains) {
    list_.rules.push_back({utf8_ ? FromUtf8(url) : ansi_->Decode(url), subdomains});
  }
  void FilterMark() { marked_ = filterForm_ = true; }
  bool HostsEntry(std::string_view line);
  void Filter(std::string_view line);
  void Pattern(std::string_view pattern);

  bool utf8_;
  const AnsiCodec* ansi_;
  ParsedList list_;
  // Seen a mark that only filter lists carry: bare names are then filters
  // that block requests, not a list of hosts.
  bool filterForm_ = false;
  // Seen any mark of a list at all.
  bool marked_ = false;
  std::vector<std::string_view> bareHosts_;
  std::size_t bareWords_ = 0;
};

void ListReader::Line(std::string_view raw) {
  const std::string_view line = TrimBlanks(raw);
  if (line.empty()) return;
  ++list_.lines;
  const std::size_t rulesBefore = list_.rules.size();
  if (HasControlBytes(line)) {
    Skip(ListSkip::Unreadable);
  } else if (line.front() == '!') {
    FilterMark();
    Skip(ListSkip::Comment);
  } else if (line.front() == '[' && line.back() == ']') {
    if (StartsNoCase(line, "[adblock")) FilterMark();
    Skip(ListSkip::Comment);
  } else if (line.front() == '#') {
    if (CosmeticMark(line) == 0) FilterMark();
    Skip(CosmeticMark(line) == 0 ? ListSkip::Cosmetic : ListSkip::Comment);
  } else if (HostsEntry(line)) {
    // counted by HostsEntry
  } else if (CosmeticMark(line) != std::string_view::npos) {
    FilterMark();
    Skip(ListSkip::Cosmetic);
  } else if (line.starts_with("@@")) {
    FilterMark();
    Skip(ListSkip::Exception);
  } else {
    Filter(line);
  }
  if (list_.rules.size() > rulesBefore) ++list_.linesTaken;
}

// "0.0.0.0 ads.example tracker.example # comment". Answers false when the
// line does not begin with an address and a blank.
bool ListReader::HostsEntry(std::string_view line) {
  const auto blank = std::find_if(line.begin(), line.end(), IsBlank);
  const std::string_view address(line.data(), static_cast<std::size_t>(blank - line.begin()));
  if (blank == line.end() || !(IsIPv4(address) || IsIPv6(address))) return false;
  marked_ = true;
  std::string_view names = line.substr(address.size());
  names = names.substr(0, names.find('#'));
  std::vector<std::string_view> sites;
  bool anyName = false;
  while (!(names = TrimBlanks(names)).empty()) {
    const auto end = std::find_if(names.begin(), names.end(), IsBlank);
    const std::string_view name(names.data(), static_cast<std::size_t>(end - names.begin()));
    names.remove_prefix(name.size());
    if (!std::all_of(name.begin(), name.end(), IsHostChar)) continue;
    if (IsLocalName(name)) {
      anyName = true;
    } else if (IsSiteName(name, false)) {
      anyName = true;
      sites.push_back(name);
    }
  }
  if (!anyName) {
    Skip(ListSkip::Unreadable);
  } else if (sites.empty()) {
    Skip(ListSkip::LocalName);
  } else if (!IsBlockingAddress(address)) {
    Skip(ListSkip::Redirection);
  } else {
    for (const std::string_view site : sites)
      Take(site, false);
  }
  return true;
}

void ListReader::Filter(std::string_view line) {
  const std::size_t dollar = line.rfind('$');
  if (dollar == std::string_view::npos) {
    // A hosts-style list may comment a name: "ads.example # tracker".
    for (std::size_t hash = line.find('#'); hash != std::string_view::npos;
         hash = line.find('#', hash + 1)) {
      if (hash > 0 && IsBlank(line[hash - 1])) {
        line = TrimBlanks(line.substr(0, hash));
        break;
      }
    }
  }
  const std::string_view pattern = line.substr(0, dollar);
  if (std::any_of(pattern.begin(), pattern.end(), IsBlank)) return Skip(ListSkip::Unreadable);
  if (dollar == std::string_view::npos) {
    // A bare name is a host of a hosts-style list, or in a filter list a
    // filter that blocks requests; which one is known only at the end.
    if (pattern.front() == '|') {
      FilterMark();
      Skip(ListSkip::NotPopup);
    } else if (IsSiteName(pattern, false) && !IsIPv4(pattern)) {
      marked_ = true;
      bareHosts_.push_back(pattern);
    } else {
      ++bareWords_;
    }
    return;
  }
  FilterMark();
  bool popup = false;
  bool narrower = false;
  std::string_view options = line.substr(dollar + 1);
  while (!options.empty()) {
    const std::size_t comma = options.find(',');
    const std::string_view raw = TrimBlanks(options.substr(0, comma));
    options = comma == std::string_view::npos ? std::string_view() : options.substr(comma + 1);
    std::string option(raw);
    std::transform(option.begin(), option.end(), option.begin(), LowerAscii);
    if (option == "popup") {
      popup = true;
    } else if (option != "third-party" && option != "3p") {
      // domain=, first-party, ~third-party and whatever else this reader
      // does not know would narrow the rule, or change what it means.
      narrower = true;
    }
  }
  if (!popup) return Skip(ListSkip::NotPopup);
  if (narrower) return Skip(ListSkip::Narrower);
  Pattern(pattern);
}

void ListReader::Pattern(std::string_view pattern) {
  if (pattern.size() >= 2 && pattern.front() == '/' && pattern.back() == '/') {
    return Skip(ListSkip::RegularExpression);
  }
  std::string_view rest;
  bool subdomains = false;
  if (pattern.starts_with("||")) {
    rest = pattern.substr(2);
    subdomains = true;
  } else if (pattern.starts_with('|')) {
    rest = pattern.substr(1);
    const std::size_t scheme = StartsNoCase(rest, "http://")    ? 7
                               : StartsNoCase(rest, "https://") ? 8
                                                                : 0;
    if (scheme == 0) return Skip(ListSkip::NoSite);
    rest.remove_prefix(scheme);
  } else {
    return Skip(ListSkip::NoSite);
  }
  while (rest.ends_with('*'))
    rest.remove_suffix(1);
  // An address that must end here ("||ads.example^|") names one page.
  if (rest.ends_with('|')) return Skip(ListSkip::Narrower);
  if (rest.ends_with('^')) rest.remove_suffix(1);
  if (rest.find_first_of("*^|") != std::string_view::npos) return Skip(ListSkip::Wildcard);
  // A rule cannot hold a query: the site's other pages would be killed too.
  if (rest.find_first_of("?#") != std::string_view::npos) return Skip(ListSkip::Narrower);
  const std::size_t slash = rest.find('/');
  if (!IsSiteName(rest.substr(0, slash), true)) return Skip(ListSkip::NoSite);
  // "a.example/x:/b.example" would be read as an address of b.example.
  const std::string_view path = slash == std::string_view::npos ? "" : rest.substr(slash);
  if (path.find(":/") != std::string_view::npos || path.find(":\\") != std::string_view::npos) {
    return Skip(ListSkip::NoSite);
  }
  Take(rest, subdomains);
}

ParsedList ListReader::Finish() {
  // Without a filter list's marks, bare names are a hosts-style list.
  for (const std::string_view host : bareHosts_) {
    if (filterForm_) {
      Skip(ListSkip::NotPopup);
    } else if (IsLocalName(host)) {
      Skip(ListSkip::LocalName);
    } else {
      Take(host, false);
      ++list_.linesTaken;
    }
  }
  list_
      .skipped[static_cast<std::size_t>(filterForm_ ? ListSkip::NotPopup : ListSkip::Unreadable)] +=
      bareWords_;
  list_.isList = marked_ && 2 * list_.Skipped(ListSkip::Unreadable) <= list_.lines;
  return std::move(list_);
}

}  // namespace

std::size_t ParsedList::SkippedLines() const {
  std::size_t n = 0;
  for (const std::size_t count : skipped)
    n += count;
  return n;
}

ParsedList ParseRuleList(std::string_view bytes, const AnsiCodec& ansi) {
  const std::optional<std::string> wide = Utf16AsUtf8(bytes);
  if (wide) bytes = *wide;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  ListReader reader(IsUtf8(bytes), &ansi);
  while (!bytes.empty()) {
    const std::size_t end = bytes.find_first_of("\r\n");
    reader.Line(bytes.substr(0, end));
    bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
  }
  return reader.Finish();
}

std::optional<ListRule> FilterRuleOf(std::string_view line) {
  if (!IsUtf8(line)) return std::nullopt;
  ListReader reader(true, nullptr);
  reader.AssumeFilterList();
  reader.Line(line);
  ParsedList list = reader.Finish();
  if (list.rules.size() != 1) return std::nullopt;
  return std::move(list.rules.front());
}

}  // namespace qx
