#include "logging/LogFileReader.h"

#include <cstdint>
#include <optional>

#include "base/ByteCodec.h"

namespace qx {
namespace {

constexpr std::size_t kIntSize = 4;

struct Span {
  std::size_t begin = 0;
  std::size_t size = 0;
};

struct EntryLayout {
  std::size_t start = 0;
  Span date;
  Span time;
  Span source;
  Span target;
};

// Which entry types a reading accepts. Only browser and other pop-ups are
// ever logged; past a damaged spot, where nothing anchors the reading, that
// tells a real entry from bytes that merely look like one.
enum class Types { Any, Logged };

// The tokens of the file are session marks and entries. Every token runs
// from a lower position to a higher one, so one sweep over a bitmap of
// positions, downwards or upwards, replaces any recursion or work list.
class LogParser {
 public:
  LogParser(std::string_view bytes, const AnsiCodec& ansi) : bytes_(bytes), ansi_(ansi) {}

  std::size_t Size() const { return bytes_.size(); }

  bool MarkEndsAt(std::size_t end, std::size_t floor) const {
    return end >= floor + kIntSize && ReadInt32At(bytes_, end - kIntSize) == 0;
  }

  // The entry that ends at `end`, if all its lengths fit between floor and
  // end: the reading never trusts a length beyond the bytes it has.
  std::optional<EntryLayout> EntryEndingAt(std::size_t end, std::size_t floor) const {
    EntryLayout entry;
    std::size_t pos = end;
    if (!TextBefore(pos, floor, entry.target) || !TextBefore(pos, floor, entry.source) ||
        !TextBefore(pos, floor, entry.time) || !TextBefore(pos, floor, entry.date) ||
        pos < floor + kIntSize) {
      return std::nullopt;
    }
    entry.start = pos - kIntSize;
    return entry;
  }

  // The positions a backward reading from the end reaches, taking either
  // meaning of every 0, without going below floor.
  std::vector<bool> ReachableFromEnd(std::size_t floor, Types types) const {
    std::vector<bool> seen(Size() + 1);
    seen[Size()] = true;
    for (std::size_t q = Size(); q > floor; --q) {
      if (!seen[q]) continue;
      if (MarkEndsAt(q, floor)) seen[q - kIntSize] = true;
      const auto entry = EntryEndingAt(q, floor);
      if (entry && Accepts(types, *entry)) seen[entry->start] = true;
    }
    return seen;
  }

  // ok[p]: the bytes from anchor up to p are whole tokens (with markFirst,
  // the first of them a session mark, as every file starts). Only candidate
  // positions are considered; none given means every position.
  std::vector<bool> Consistent(std::size_t anchor, bool markFirst, Types types,
                               const std::vector<bool>* candidates) const {
    std::vector<bool> ok(Size() + 1);
    ok[anchor] = true;
    for (std::size_t p = anchor + 1; p <= Size(); ++p) {
      if (candidates != nullptr && !(*candidates)[p]) continue;
      ok[p] = MarkFrom(ok, p, anchor) || EntryFrom(ok, p, anchor, markFirst, types).has_value();
    }
    return ok;
  }

  // Reads from top down to anchor along consistent positions. Where both
  // meanings of a 0 are consistent the session mark wins, as it always has.
  void Emit(std::size_t top, std::size_t anchor, bool markFirst, Types types,
            const std::vector<bool>& ok, const SessionSink& onSession) const {
    std::vector<LogEntry> session;
    const auto flush = [&] {
      if (!session.empty()) onSession(session);
      session.clear();
    };
    std::size_t p = top;
    while (p > anchor) {
      if (MarkFrom(ok, p, anchor)) {
        flush();
        p -= kIntSize;
        continue;
      }
      const auto entry = EntryFrom(ok, p, anchor, markFirst, types);
      if (!entry) break;
      session.push_back(Decode(*entry));
      p = entry->start;
    }
    // Entries read back to a damaged spot have no mark below them; they
    // still form their session.
    flush();
  }

 private:
  bool TextBefore(std::size_t& pos, std::size_t floor, Span& text) const {
    if (pos < floor + kIntSize) return false;
    const std::int32_t length = ReadInt32At(bytes_, pos - kIntSize);
    pos -= kIntSize;
    if (length < 0 || static_cast<std::size_t>(length) > pos - floor) return false;
    text = Span{pos - static_cast<std::size_t>(length), static_cast<std::size_t>(length)};
    pos = text.begin;
    return true;
  }

  bool MarkFrom(const std::vector<bool>& ok, std::size_t p, std::size_t anchor) const {
    return MarkEndsAt(p, anchor) && ok[p - kIntSize];
  }

  std::optional<EntryLayout> EntryFrom(const std::vector<bool>& ok, std::size_t p,
                                       std::size_t anchor, bool markFirst, Types types) const {
    auto entry = EntryEndingAt(p, anchor);
    if (!entry || !Accepts(types, *entry) || !ok[entry->start] ||
        (markFirst && entry->start == anchor)) {
      return std::nullopt;
    }
    return entry;
  }

  bool Accepts(Types types, const EntryLayout& entry) const {
    if (types == Types::Any) return true;
    const std::int32_t type = ReadInt32At(bytes_, entry.start);
    return type == kBrowserPopup || type == kOtherPopup;
  }

  std::wstring Text(Span span) const { return ansi_.Decode(bytes_.substr(span.begin, span.size)); }

  LogEntry Decode(const EntryLayout& layout) const {
    LogEntry entry;
    entry.Source = Text(layout.source);
    entry.Target = Text(layout.target);
    entry.LogDate = Text(layout.date);
    entry.LogTime = Text(layout.time);
    entry.PopupType = ReadInt32At(bytes_, layout.start);
    return entry;
  }

  std::string_view bytes_;
  const AnsiCodec& ansi_;
};

}  // namespace

void ReadPastSessions(std::string_view bytes, const AnsiCodec& ansi, const SessionSink& onSession) {
  const LogParser parser(bytes, ansi);
  const std::size_t end = parser.Size();

  // A chain from the end back to the start passes only through positions
  // the backward reading reaches, so the sound file costs one pass over them.
  const std::vector<bool> reachable = parser.ReachableFromEnd(0, Types::Any);
  const std::vector<bool> whole = parser.Consistent(0, true, Types::Any, &reachable);
  if (whole[end]) {
    parser.Emit(end, 0, true, Types::Any, whole, onSession);
    return;
  }

  // Damaged: the longest consistent run from the start...
  const std::vector<bool> fromStart = parser.Consistent(0, true, Types::Any, nullptr);
  std::size_t intact = end;
  while (intact > 0 && !fromStart[intact])
    --intact;
  // ...and, above it, the longest reading back from the end.
  const std::vector<bool> tail = parser.ReachableFromEnd(intact, Types::Logged);
  std::size_t lowest = intact;
  while (!tail[lowest])
    ++lowest;
  const std::vector<bool> tailOk = parser.Consistent(lowest, false, Types::Logged, &tail);
  parser.Emit(end, lowest, false, Types::Logged, tailOk, onSession);
  parser.Emit(intact, 0, true, Types::Any, fromStart, onSession);
}

}  // namespace qx
