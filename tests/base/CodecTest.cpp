#include <gtest/gtest.h>

#include "base/AnsiCodec.h"
#include "base/ByteCodec.h"

namespace qx {
namespace {

TEST(Windows1252, MapsTheHighRangeAndReplacesWhatItCannotHold) {
  const Windows1252Codec codec;
  EXPECT_EQ(codec.Encode(L"\u20AC\u00FF\u0152"), "\x80\xFF\x8C");
  EXPECT_EQ(codec.Encode(L"\u03A9"), "?");
  EXPECT_EQ(codec.Encode(L"a\xD83D\xDE00z"), "a?z");  // one character, one "?"
  EXPECT_EQ(codec.Encode(std::wstring(1, static_cast<wchar_t>(0xDC00))), "?");
  EXPECT_EQ(codec.Decode("\x80\x81\x9F"), L"\u20AC\u0081\u0178");
}

TEST(Windows1252, EveryByteRoundTrips) {
  const Windows1252Codec codec;
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  EXPECT_EQ(codec.Encode(codec.Decode(all)), all);
}

TEST(ByteCodec, WritesLittleEndianCountsAndReadsThemBack) {
  const Windows1252Codec codec;
  ByteWriter w(codec);
  w.PutInt32(-2);
  w.PutText(L"caf\u00E9");
  EXPECT_EQ(w.Bytes(), std::string("\xFE\xFF\xFF\xFF\x04\x00\x00\x00"
                                   "caf\xE9",
                                   12));
  ByteReader r(codec, w.Bytes());
  EXPECT_EQ(r.GetInt32(), -2);
  EXPECT_EQ(r.GetText(), L"caf\u00E9");
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.GetInt32(), std::nullopt);
}

TEST(ByteCodec, BadCountsReadNothingAndKeepThePosition) {
  const Windows1252Codec codec;
  struct Case {
    std::string bytes;
  };
  const Case cases[] = {
      {std::string("\xFF\xFF\xFF\xFF"
                   "abc",
                   7)},  // negative count
      {std::string("\x10\x00\x00\x00"
                   "abc",
                   7)},                      // runs past the end
      {std::string("\xFF\xFF\xFF\x7F", 4)},  // huge count
      {std::string("\x01\x00", 2)},          // count cut short
  };
  for (const auto& c : cases) {
    ByteReader r(codec, c.bytes);
    EXPECT_EQ(r.GetText(), std::nullopt);
    EXPECT_EQ(r.Position(), 0u);
  }
  ByteReader r(codec, "abc");
  EXPECT_EQ(r.GetChars(-1), std::nullopt);
  EXPECT_EQ(r.GetChars(4), std::nullopt);
  EXPECT_EQ(r.GetChars(3), L"abc");
}

}  // namespace
}  // namespace qx
