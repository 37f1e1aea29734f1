#include "cp936.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace morvexa::cp936 {

namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLeadCount = 0xFE - kFirstLead + 1;

// One iconv conversion descriptor, closed with its owner.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert between CP936 and UTF-32");
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts all of in, or returns nothing.
  std::optional<std::string> Convert(std::string_view in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char outBuffer[16];
    char* inPtr = const_cast<char*>(in.data());
    char* outPtr = outBuffer;
    std::size_t inLeft = in.size();
    std::size_t outLeft = sizeof outBuffer;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return {};
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return {};
    return std::string(outBuffer, static_cast<std::size_t>(outPtr - outBuffer));
  }

 private:
  iconv_t cd_;
};

std::string Utf32Le(char32_t c) {
  return {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF), static_cast<char>(c >> 16 & 0xFF),
          static_cast<char>(c >> 24 & 0xFF)};
}

// A character's bytes packed as lead << 8 | trail, or as the single byte;
// kNone for a character that cannot be held.
constexpr std::uint16_t kNone = 0xFFFF;

struct Tables {
  std::array<char32_t, 256> single{};  // 0 where the byte does not decode alone (byte 0 is U+0000)
  std::vector<char32_t> pair;          // by (lead - 0x81) * 256 + trail; 0 where the pair does not decode
  std::vector<std::uint16_t> encode;   // by code point, for the basic multilingual plane

  Tables() : pair(kLeadCount * 256, 0), encode(0x10000, kNone) {
    Iconv decoder("UTF-32LE", "CP936");
    Iconv encoder("CP936", "UTF-32LE");
    // A sequence counts only when it decodes to one character that encodes
    // back to the same bytes, so that decoding can always be undone.
    auto roundTrip = [&](std::string_view bytes) -> char32_t {
      const auto utf32 = decoder.Convert(bytes);
      if (!utf32 || utf32->size() != 4) return 0;
      const char32_t c = static_cast<unsigned char>((*utf32)[0]) | static_cast<unsigned char>((*utf32)[1]) << 8 |
                         static_cast<unsigned char>((*utf32)[2]) << 16 |
                         static_cast<char32_t>(static_cast<unsigned char>((*utf32)[3])) << 24;
      if (c == 0 || c > 0xFFFF || encoder.Convert(Utf32Le(c)) != bytes) return 0;
      return c;
    };
    encode[0] = 0;
    for (unsigned b = 1; b < 256; ++b) {
      const char bytes[1] = {static_cast<char>(b)};
      if (const char32_t c = roundTrip({bytes, 1})) {
        single[b] = c;
        encode[c] = static_cast<std::uint16_t>(b);
      }
    }
    for (unsigned lead = kFirstLead; lead < kFirstLead + kLeadCount; ++lead) {
      for (unsigned trail = 0; trail < 256; ++trail) {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        if (const char32_t c = roundTrip({bytes, 2})) {
          pair[(lead - kFirstLead) * 256 + trail] = c;
          encode[c] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
      }
    }
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

// Appends the bytes of c; false when code page 936 cannot hold it.
bool AppendEncoded(const Tables& t, char32_t c, ByteString& out) {
  if (c > 0xFFFF) return false;
  const std::uint16_t code = t.encode[c];
  if (code == kNone) return false;
  if (code > 0xFF) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
  return true;
}

}  // namespace

std::size_t DecodeAt(ByteStringView bytes, std::size_t i, char32_t& c) {
  const Tables& t = TheTables();
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (IsLeadByte(b) && i + 1 < bytes.size()) {
    if (const char32_t pair = t.pair[(b - kFirstLead) * 256 + static_cast<unsigned char>(bytes[i + 1])]) {
      c = pair;
      return 2;
    }
  }
  c = b == 0 ? U'\0' : t.single[b] != 0 ? t.single[b] : kByteEscapeBase + b;
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

bool CanEncode(char32_t c) { return c <= 0xFFFF && TheTables().encode[c] != kNone; }

std::optional<ByteString> EncodeStrict(std::u32string_view text) {
  const Tables& t = TheTables();
  ByteString out;
  out.reserve(text.size() * 2);
  for (char32_t c : text) {
    if (!AppendEncoded(t, c, out)) return {};
  }
  return out;
}

void AppendEncoded(char32_t c, ByteString& out) {
  if (IsByteEscape(c)) {
    out += static_cast<char>(c - kByteEscapeBase);
  } else if (!AppendEncoded(TheTables(), c, out)) {
    out += '?';
  }
}

ByteString Encode(std::u32string_view text) {
  ByteString out;
  out.reserve(text.size() * 2);
  for (char32_t c : text) AppendEncoded(c, out);
  return out;
}

std::optional<std::u32string> Utf8Decode(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += b;
      ++i;
      continue;
    }
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((b & 0xE0) == 0xC0) {
      length = 2, c = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      length = 3, c = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      length = 4, c = b & 0x07, least = 0x10000;
    } else {
      return {};
    }
    if (i + static_cast<std::size_t>(length) > utf8.size()) return {};
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return {};
      c = c << 6 | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
    out += c;
    i += static_cast<std::size_t>(length);
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
