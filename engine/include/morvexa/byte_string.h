#pragma once

#include <string>
#include <string_view>

namespace morvexa {

// Engine text: bytes in code page 936. Lengths and positions count bytes.
using ByteString = std::string;
using ByteStringView = std::string_view;

// A byte in 0x81-0xFE at a character start leads a double-byte character;
// the byte after it is its trail byte, whatever its value.
constexpr bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// The first two bytes of s (all of it when shorter): how a box's text
// becomes a symbol.
constexpr ByteStringView FirstTwoBytes(ByteStringView s) { return s.substr(0, 2); }

}  // namespace morvexa
