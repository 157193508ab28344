// The ANSI code page and URL unescaping, as the system does them.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/PlatformError.h"

#include "base/AnsiCodec.h"
#include "win32/com/WinAnsiCodec.h"
#include "win32/ports/WinUrlUnescaper.h"

namespace qx::win {
namespace {

TEST(AnsiCodecTest, MappableTextRoundTrips) {
  WinAnsiCodec codec;
  const std::wstring text = L"Quellix: http://www.example.com/?a=1&b=%20 ~!";
  EXPECT_EQ(codec.Encode(text), "Quellix: http://www.example.com/?a=1&b=%20 ~!");
  EXPECT_EQ(codec.Decode(codec.Encode(text)), text);
  EXPECT_EQ(codec.Encode(L""), "");
  EXPECT_EQ(codec.Decode(""), L"");
}

TEST(AnsiCodecTest, OnWesternSystemsItIsWindows1252) {
  if (GetACP() != 1252) GTEST_SKIP() << "the system's code page is " << GetACP();
  WinAnsiCodec codec;
  Windows1252Codec reference;
  struct Case {
    std::wstring text;
    std::string bytes;
  } cases[] = {
      {L"caf\u00e9 \u20ac5",
       "caf\xe9 \x80"
       "5"},
      // No best-fit look-alikes: a macron a is not "a".
      {L"\u0101", "?"},
      // A character beyond the first plane is one character, one "?".
      {L"x\U0001F600y", "x?y"},
      {std::wstring(L"a") + static_cast<wchar_t>(0xD800) + L"b", "a?b"},
      {L"\u4e2d\u6587", "??"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(codec.Encode(c.text), c.bytes);
    EXPECT_EQ(reference.Encode(c.text), c.bytes) << "the core's own codec agrees";
  }
  std::string all;
  for (int b = 0x20; b < 0x100; ++b)
    all.push_back(static_cast<char>(b));
  EXPECT_EQ(codec.Decode(all), reference.Decode(all));
  EXPECT_EQ(codec.Encode(codec.Decode(all)), all);
}

TEST(UrlUnescaperTest, PercentEscapesBecomeCharactersBelow260) {
  WinUrlUnescaper u;
  struct Case {
    std::wstring in;
    std::optional<std::wstring> out;
  } cases[] = {
      {L"a%20b", L"a b"},
      {L"%41%42c", L"ABc"},
      {L"100%", L"100%"},
      {L"%zz%4", L"%zz%4"},
      {L"http://x.example/%7Euser?q=%3F#%23", L"http://x.example/~user?q=?##"},
      {L"", L""},
      {std::wstring(259, L'a'), std::wstring(259, L'a')},
      // The unescaped text must fit the buffer with its NUL.
      {std::wstring(260, L'a'), std::nullopt},
      {std::wstring(257, L'a') + L"%41", std::wstring(257, L'a') + L"A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "length " << c.in.size());
    EXPECT_EQ(u.Unescape(c.in), c.out);
  }
}

}  // namespace
}  // namespace qx::win
