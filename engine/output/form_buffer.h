#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "morvexa/art_writer.h"
#include "morvexa/color.h"

namespace morvexa {

// A form's output on its way to the sink: gathered in a buffer and handed
// over in large pieces. A form writes into it at a moving pointer, from At
// on; once the pointer reaches Full it hands the buffer over, so that each
// character has kMostPerCharacter bytes of room.
class FormBuffer {
 public:
  static constexpr std::size_t kSize = 64 * 1024;
  // The most one character of any form may take, its colors' change
  // included: each form checks its own against it.
  static constexpr std::size_t kMostPerCharacter = 80;

  explicit FormBuffer(ArtWriter::Sink sink);

  char* At() const { return begin_.get() + filled_; }
  char* Full() const { return begin_.get() + kSize - kMostPerCharacter; }
  // The bytes up to out are written.
  void Filled(char* out) { filled_ = static_cast<std::size_t>(out - begin_.get()); }
  // Hands the bytes up to out to the sink; returns where the next go.
  char* HandOver(char* out);
  // Hands over every byte written.
  void Flush();
  // Bytes that go to the sink as they are, after those written.
  void Write(std::string_view bytes);

 private:
  ArtWriter::Sink sink_;
  std::unique_ptr<char[]> begin_;
  std::size_t filled_ = 0;  // bytes not yet handed over
};

// Writing into the buffer at a moving pointer, each returning the end of
// what it wrote.

inline char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

inline char* PutUtf8(char* out, char32_t c) {
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | c >> 6);
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | c >> 12);
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | c >> 18);
    *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// The decimal and hexadecimal digits of each byte's value, for writing
// colors without a branch per digit.
struct ByteDigits {
  std::array<std::array<char, 4>, 256> decimal;  // the digits, then room
  std::array<std::uint8_t, 256> decimalLength;
  std::array<std::array<char, 2>, 256> hex;
  constexpr ByteDigits() : decimal(), decimalLength(), hex() {
    constexpr char kHex[] = "0123456789abcdef";
    for (unsigned n = 0; n < 256; ++n) {
      unsigned length = 0;
      if (n >= 100) decimal[n][length++] = static_cast<char>('0' + n / 100);
      if (n >= 10) decimal[n][length++] = static_cast<char>('0' + n / 10 % 10);
      decimal[n][length++] = static_cast<char>('0' + n % 10);
      decimalLength[n] = static_cast<std::uint8_t>(length);
      hex[n] = {kHex[n >> 4], kHex[n & 0xF]};
    }
  }
};
inline constexpr ByteDigits kByteDigits;

// A number from 0 to 255 in decimal (the buffer has room for four bytes).
inline char* PutNumber(char* out, unsigned n) {
  std::memcpy(out, kByteDigits.decimal[n].data(), 4);
  return out + kByteDigits.decimalLength[n];
}

// Each of a color's bytes as two lowercase hexadecimal digits.
inline char* PutHex(char* out, Rgb color) {
  for (int shift = 16; shift >= 0; shift -= 8) out = Put(out, {kByteDigits.hex[color >> shift & 0xFF].data(), 2});
  return out;
}

}  // namespace morvexa
