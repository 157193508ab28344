#include "base/ByteCodec.h"

namespace qx {

void ByteWriter::PutInt32(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    bytes_.push_back(static_cast<char>((u >> shift) & 0xFF));
}

void ByteWriter::PutChars(std::wstring_view text) {
  bytes_ += codec_.Encode(text);
}

void ByteWriter::PutText(std::wstring_view text) {
  const std::string encoded = codec_.Encode(text);
  PutInt32(static_cast<std::int32_t>(encoded.size()));
  bytes_ += encoded;
}

std::int32_t ReadInt32At(std::string_view bytes, std::size_t pos) {
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) {
    u = (u << 8) | static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i)]);
  }
  return static_cast<std::int32_t>(u);
}

std::optional<std::int32_t> ByteReader::GetInt32() {
  if (Remaining() < 4) return std::nullopt;
  const std::int32_t v = ReadInt32At(bytes_, pos_);
  pos_ += 4;
  return v;
}

std::optional<std::wstring> ByteReader::GetChars(std::int64_t count) {
  if (count < 0 || static_cast<std::uint64_t>(count) > Remaining()) return std::nullopt;
  const auto n = static_cast<std::size_t>(count);
  std::wstring text = codec_.Decode(bytes_.substr(pos_, n));
  pos_ += n;
  return text;
}

std::optional<std::wstring> ByteReader::GetText() {
  const std::size_t start = pos_;
  const auto count = GetInt32();
  if (!count) return std::nullopt;
  auto text = GetChars(*count);
  if (!text) pos_ = start;
  return text;
}

}  // namespace qx
