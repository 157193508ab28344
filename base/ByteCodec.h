#pragma once
// Little-endian 32-bit signed integers and counted ANSI texts: the building
// blocks of "websites.dat", "windows.dat" and "log.dat".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/AnsiCodec.h"

namespace qx {

class ByteWriter {
 public:
  explicit ByteWriter(const AnsiCodec& codec) : codec_(codec) {}
  void PutInt32(std::int32_t value);
  // The ANSI bytes of the text, without a count.
  void PutChars(std::wstring_view text);
  // A 32-bit character count followed by the characters.
  void PutText(std::wstring_view text);
  const std::string& Bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  const AnsiCodec& codec_;
  std::string bytes_;
};

// Reads forward through a byte buffer. Every read that would run past the
// end, or is given a negative count, answers none and leaves the position.
class ByteReader {
 public:
  ByteReader(const AnsiCodec& codec, std::string_view bytes) : codec_(codec), bytes_(bytes) {}
  std::optional<std::int32_t> GetInt32();
  std::optional<std::wstring> GetChars(std::int64_t count);
  // A 32-bit count followed by that many characters.
  std::optional<std::wstring> GetText();
  std::size_t Position() const { return pos_; }
  void Seek(std::size_t pos) { pos_ = pos < bytes_.size() ? pos : bytes_.size(); }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  bool AtEnd() const { return pos_ >= bytes_.size(); }

 private:
  const AnsiCodec& codec_;
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

std::int32_t ReadInt32At(std::string_view bytes, std::size_t pos);

}  // namespace qx
