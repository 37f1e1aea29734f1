#include "morvexa/cp936.h"

#include <array>
#include <cstdint>
#include <vector>

#include "encoding/cp936_tables.h"

namespace morvexa::cp936 {

namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLeadCount = 0xFE - kFirstLead + 1;

// A character's bytes packed as lead << 8 | trail, or as the single byte;
// kNone for a character that cannot be held.
constexpr std::uint16_t kNone = 0xFFFF;

// The encoding table, by code point of the basic multilingual plane: the
// decoding tables turned round, once per process (a few tens of
// microseconds), and only when something is encoded.
const std::vector<std::uint16_t>& EncodeTable() {
  static const std::vector<std::uint16_t> table = [] {
    std::vector<std::uint16_t> encode(0x10000, kNone);
    encode[0] = 0;
    for (unsigned b = 1; b < 256; ++b) {
      if (const char16_t c = kSingleByte[b]) encode[c] = static_cast<std::uint16_t>(b);
    }
    for (unsigned lead = kFirstLead; lead < kFirstLead + kLeadCount; ++lead) {
      for (unsigned trail = 0; trail < 256; ++trail) {
        if (const char16_t c = kDoubleByte[(lead - kFirstLead) * 256 + trail]) {
          encode[c] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
      }
    }
    return encode;
  }();
  return table;
}

// The four-byte index of each character of the basic plane that has one:
// kFourByte turned round, once per process, when first needed.
const std::vector<std::uint16_t>& FourByteIndex() {
  static const std::vector<std::uint16_t> table = [] {
    std::vector<std::uint16_t> index(0x10000, kNone);
    for (unsigned i = 0; i < kFourByteCount; ++i) {
      if (const char16_t c = kFourByte[i]) index[c] = static_cast<std::uint16_t>(i);
    }
    return index;
  }();
  return table;
}

// Appends the four bytes of c; false when it has none.
bool AppendFourBytes(char32_t c, ByteString& out) {
  unsigned index;
  if (c >= 0x10000 && c <= 0x10FFFF) {
    index = (0x90 - 0x81) * 12600 + (c - 0x10000);
  } else if (c < 0x10000 && FourByteIndex()[c] != kNone) {
    index = FourByteIndex()[c];
  } else {
    return false;
  }
  out += static_cast<char>(0x81 + index / 12600);
  out += static_cast<char>(0x30 + index / 1260 % 10);
  out += static_cast<char>(0x81 + index / 10 % 126);
  out += static_cast<char>(0x30 + index % 10);
  return true;
}

// Appends the bytes of c; false when code page 936 cannot hold it.
bool AppendEncoded(const std::vector<std::uint16_t>& encode, char32_t c, ByteString& out) {
  if (c > 0xFFFF) return false;
  const std::uint16_t code = encode[c];
  if (code == kNone) return false;
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
  return true;
}

}  // namespace

namespace {

constexpr bool IsDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

// The character of the four bytes at at (a lead byte, a digit, a lead byte,
// a digit), or 0 when they spell none.
char32_t FourByte(const unsigned char* at) {
  const unsigned index = ((at[0] - 0x81u) * 10 + (at[1] - 0x30u)) * 1260 + (at[2] - 0x81u) * 10 + (at[3] - 0x30u);
  if (at[0] <= 0x84) return index < kFourByteCount ? kFourByte[index] : 0;
  // Past the basic plane: U+10000 on from 0x90 0x30 0x81 0x30.
  constexpr unsigned kPlane1 = (0x90 - 0x81) * 12600;
  if (at[0] < 0x90) return 0;
  const char32_t c = 0x10000 + (index - kPlane1);
  return c <= 0x10FFFF ? c : 0;
}

}  // namespace

std::size_t DecodeAt(ByteStringView bytes, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (IsLeadByte(b) && i + 3 < bytes.size()) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data() + i);
    if (IsDigit(at[1]) && IsLeadByte(at[2]) && IsDigit(at[3])) {
      if (const char32_t four = FourByte(at)) {
        c = four;
        return 4;
      }
    }
  }
  return DecodeCodePageAt(bytes, i, c);
}

std::size_t DecodeCodePageAt(ByteStringView bytes, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (IsLeadByte(b) && i + 1 < bytes.size()) {
    if (const char16_t pair = kDoubleByte[(b - kFirstLead) * 256 + static_cast<unsigned char>(bytes[i + 1])]) {
      c = pair;
      return 2;
    }
  }
  c = b == 0 ? U'\0' : kSingleByte[b] != 0 ? kSingleByte[b] : kByteEscapeBase + b;
  return 1;
}

std::u32string Decode(ByteStringView bytes) {
  std::u32string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c;
    i += DecodeAt(bytes, i, c);
    out += c;
  }
  return out;
}

bool CanEncode(char32_t c) { return c <= 0xFFFF && EncodeTable()[c] != kNone; }

std::optional<ByteString> EncodeStrict(std::u32string_view text) {
  const auto& encode = EncodeTable();
  ByteString out;
  out.reserve(text.size() * 2);
  for (char32_t c : text) {
    if (!AppendEncoded(encode, c, out)) return {};
  }
  return out;
}

void AppendEncoded(char32_t c, ByteString& out) {
  if (IsByteEscape(c)) {
    out += static_cast<char>(c - kByteEscapeBase);
  } else if (!AppendEncoded(EncodeTable(), c, out) && !AppendFourBytes(c, out)) {
    out += '?';
  }
}

ByteString Encode(std::u32string_view text) {
  ByteString out;
  out.reserve(text.size() * 2);
  for (char32_t c : text) AppendEncoded(c, out);
  return out;
}

std::size_t Utf8DecodeAt(std::string_view text, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  char32_t least = 0;
  if (b < 0x80) {
    c = b;
    return 1;
  } else if ((b & 0xE0) == 0xC0) {
    length = 2, c = b & 0x1F, least = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    length = 3, c = b & 0x0F, least = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    length = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

std::optional<std::u32string> Utf8Decode(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8DecodeAt(utf8, i, c);
    if (length == 0) return {};
    out += c;
    i += length;
  }
  return out;
}

std::string Utf8Encode(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::optional<ByteString> FromUtf8(std::string_view utf8) {
  const auto text = Utf8Decode(utf8);
  if (!text) return {};
  return EncodeStrict(*text);
}

std::string ToUtf8(ByteStringView bytes) { return Utf8Encode(Decode(bytes)); }

}  // namespace morvexa::cp936
