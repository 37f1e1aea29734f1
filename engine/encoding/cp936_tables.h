#pragma once

// The code page 936 decoding tables, generated at build time from glibc's
// iconv by tools/gen_cp936_tables.cpp: the character of each byte
// sequence that decodes (and encodes back to the same bytes), 0 for those
// that do not.
namespace morvexa::cp936 {

// By the byte; byte 0 (U+0000) is 0 too.
extern const char16_t kSingleByte[256];
// By (lead - 0x81) * 256 + trail, for lead bytes 0x81-0xFE.
extern const char16_t kDoubleByte[126 * 256];
// The characters of the basic multilingual plane that code page 936 cannot
// hold, by the index of their four bytes in GB18030 (b1 0x81-0x84, b2 0-9,
// b3 0x81-0xFE, b4 0-9, in that order); 0 where none.
inline constexpr unsigned kFourByteCount = 39420;
extern const char16_t kFourByte[kFourByteCount];

}  // namespace morvexa::cp936
