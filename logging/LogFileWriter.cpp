#include "logging/LogFileWriter.h"

#include "base/ByteCodec.h"

namespace qx {
namespace {

void PutTextThenLength(ByteWriter& out, const AnsiCodec& ansi, std::wstring_view text) {
  // The length counts the encoded bytes: a surrogate pair is one "?".
  const std::string bytes = ansi.Encode(text);
  out.PutChars(text);
  out.PutInt32(static_cast<std::int32_t>(bytes.size()));
}

}  // namespace

std::string EncodeSession(std::span<const LogEntry> oldestFirst, const AnsiCodec& ansi) {
  ByteWriter out(ansi);
  out.PutInt32(0);
  for (const LogEntry& entry : oldestFirst) {
    out.PutInt32(entry.PopupType);
    PutTextThenLength(out, ansi, entry.LogDate);
    PutTextThenLength(out, ansi, entry.LogTime);
    PutTextThenLength(out, ansi, entry.Source);
    PutTextThenLength(out, ansi, entry.Target);
  }
  return out.Take();
}

}  // namespace qx
