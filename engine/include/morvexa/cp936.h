#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "morvexa/byte_string.h"

// Conversion between code page 936 bytes and Unicode, at the edges of the
// engine: the window's text, the command line and the terminal.
//
// Decoding is lossless for any byte string. A byte that does not decode as
// part of a character (a lead byte without a valid trail, a lone 0xFF, ...)
// becomes the code point U+F0000 + byte, from a supplementary private-use
// plane that code page 936 never produces; encoding turns it back into the
// same byte. So art whose double-byte characters a replacement has broken
// survives a trip through the window's text unchanged.
//
// Art may also hold characters that code page 936 cannot (the blocks and
// the characters of other scripts that the forms of Unicode show): they are
// spelled as GB18030 spells them, in four bytes (a lead byte, a digit, a
// lead byte, a digit), which no text of code page 936 holds. Only the
// forms of Unicode show them; the saved art text keeps them as they are.
//
// The tables come from glibc's iconv ("CP936", "GB18030"), at build time.
namespace morvexa::cp936 {

inline constexpr char32_t kByteEscapeBase = 0xF0000;

constexpr bool IsByteEscape(char32_t c) { return c >= kByteEscapeBase && c <= kByteEscapeBase + 0xFF; }

// Every byte string decodes; Encode(Decode(b)) == b.
std::u32string Decode(ByteStringView bytes);

// The character that starts at bytes[i] (i < bytes.size()), in the same way
// as Decode; returns how many bytes it takes (1, 2 or 4).
std::size_t DecodeAt(ByteStringView bytes, std::size_t i, char32_t& c);
// The same for text of code page 936 alone, as the window holds it: four
// bytes spelling a character outside it are four bytes (each its escape, or
// a digit), so that what a person types stays code page 936.
std::size_t DecodeCodePageAt(ByteStringView bytes, std::size_t i, char32_t& c);

// Appends the bytes of c as Encode does: a byte escape becomes its byte, a
// character of code page 936 its bytes, any other its four bytes, and "?"
// one that has none (a surrogate, or past U+10FFFF).
void AppendEncoded(char32_t c, ByteString& out);

// Whether c is a character that code page 936 can hold (escapes are not).
bool CanEncode(char32_t c);

// The bytes of text, or nothing when a character cannot be held (a byte
// escape counts as such): for text typed by a person.
std::optional<ByteString> EncodeStrict(std::u32string_view text);

// The bytes of text, byte escapes and four-byte characters included (see
// AppendEncoded).
ByteString Encode(std::u32string_view text);

// UTF-8, strictly: nothing for ill-formed input (overlong forms, surrogates,
// code points past U+10FFFF, cut sequences).
std::optional<std::u32string> Utf8Decode(std::string_view utf8);
// The length of the UTF-8 character at text[i], put in c, or 0 when the
// bytes there are not one (cut short, overlong, a surrogate, past
// U+10FFFF).
std::size_t Utf8DecodeAt(std::string_view text, std::size_t i, char32_t& c);
std::string Utf8Encode(std::u32string_view text);

// Text arriving as UTF-8 from a person (the command line): nothing when it
// is not UTF-8 or holds a character that code page 936 cannot.
std::optional<ByteString> FromUtf8(std::string_view utf8);
// Bytes shown as UTF-8 (lossless, with escapes).
std::string ToUtf8(ByteStringView bytes);

}  // namespace morvexa::cp936
