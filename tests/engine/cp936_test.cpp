#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

#include "morvexa/cp936.h"

namespace morvexa {
namespace {

TEST(Cp936, DecodesCharactersAsIconvDoes) {
  EXPECT_EQ(cp936::Decode("\xB1\xE0\xB3\xCC"), U"编程");
  EXPECT_EQ(cp936::Decode("A\xD7\xD6 "), U"A字 ");
  EXPECT_EQ(cp936::Decode("\x81\x40"), U"丂");  // GBK beyond GB2312
  EXPECT_EQ(cp936::Decode(ByteStringView("\0", 1)), std::u32string(1, U'\0'));
  EXPECT_EQ(cp936::ToUtf8("\xB1\xE0\r\n"), "编\r\n");
}

TEST(Cp936, BytesThatDoNotDecodeBecomeEscapes) {
  EXPECT_EQ(cp936::Decode("\xB1"), std::u32string(1, cp936::kByteEscapeBase + 0xB1));
  EXPECT_EQ(cp936::Decode("\xB1\x0D\x0A"), (std::u32string{cp936::kByteEscapeBase + 0xB1, U'\r', U'\n'}));
  EXPECT_EQ(cp936::Decode("\xFF"), std::u32string(1, cp936::kByteEscapeBase + 0xFF));
}

TEST(Cp936, EverySingleByteAndEveryPairRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const ByteString bytes(1, static_cast<char>(b));
    ASSERT_EQ(cp936::Encode(cp936::Decode(bytes)), bytes) << "byte " << b;
  }
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      const ByteString bytes{static_cast<char>(lead), static_cast<char>(trail)};
      ASSERT_EQ(cp936::Encode(cp936::Decode(bytes)), bytes) << lead << " " << trail;
    }
  }
}

TEST(Cp936, RandomByteStringsRoundTrip) {
  std::mt19937 random(936);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 64), biased(0x80, 0xFF);
  for (int n = 0; n < 20000; ++n) {
    ByteString bytes;
    for (int i = length(random); i > 0; --i) bytes += static_cast<char>(i % 3 ? biased(random) : byte(random));
    const auto text = cp936::Decode(bytes);
    ASSERT_EQ(cp936::Encode(text), bytes);
    ASSERT_EQ(cp936::Encode(*cp936::Utf8Decode(cp936::Utf8Encode(text))), bytes) << "through UTF-8";
  }
}

TEST(Cp936, StrictEncodingRefusesWhatCodePage936CannotHold) {
  EXPECT_EQ(cp936::FromUtf8("编程 $"), ByteString("\xB1\xE0\xB3\xCC $"));
  EXPECT_EQ(cp936::FromUtf8("😀"), std::nullopt);
  EXPECT_EQ(cp936::FromUtf8("\xF3\xB0\x82\xB1"), std::nullopt) << "an escape is not typed text";
  EXPECT_EQ(cp936::Encode(std::u32string{U'a', 0xD800, U'b'}), "a?b") << "a surrogate has no bytes";
  EXPECT_FALSE(cp936::CanEncode(U'😀'));
  EXPECT_TRUE(cp936::CanEncode(U'字'));
}

TEST(Cp936, IllFormedUtf8IsRefused) {
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE7\xBC", "\x80", "\xFF"}) {
    EXPECT_EQ(cp936::Utf8Decode(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(cp936::Utf8Decode("\xF0\x9F\x98\x80"), std::u32string(1, U'😀'));
}

// What code page 936 cannot hold is spelled as GB18030 spells it, checked
// against glibc's own converter.
TEST(Cp936, CharactersOutsideCodePage936TakeGb18030sFourBytes) {
  const iconv_t toGb18030 = iconv_open("GB18030", "UTF-32LE");
  ASSERT_NE(toGb18030, reinterpret_cast<iconv_t>(-1));
  for (const char32_t c : {U'한', U'▀', U'▐', U'▖', U'⣿', U'😀', U'\x80', U'\U0010FFFF', U'ſ', U'ㄱ'}) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    char in[4], out[16];
    for (int k = 0; k < 4; ++k) in[k] = static_cast<char>(c >> (8 * k));
    char *inPtr = in, *outPtr = out;
    std::size_t inLeft = 4, outLeft = sizeof out;
    ASSERT_NE(iconv(toGb18030, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1));
    const ByteString expected(out, static_cast<std::size_t>(outPtr - out));
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(cp936::Encode(std::u32string(1, c)), expected);
    EXPECT_EQ(cp936::Decode("a" + expected + "b"), U"a" + std::u32string(1, c) + U"b");
  }
  iconv_close(toGb18030);
  // Bytes of that shape that spell nothing stay bytes.
  EXPECT_EQ(cp936::Decode("\xFE\x39\xFE\x39"),
            (std::u32string{cp936::kByteEscapeBase + 0xFE, U'9', cp936::kByteEscapeBase + 0xFE, U'9'}));
  // And text of code page 936 decodes as it always has: a lead byte is never
  // followed by a digit in it.
  EXPECT_EQ(cp936::Decode("\xB1\xE0"
                          "09"),
            U"编09");
}

}  // namespace
}  // namespace morvexa
