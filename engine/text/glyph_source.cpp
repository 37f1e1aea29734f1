#include "text/glyph_source.h"

#include <locale.h>
#include <wchar.h>

#include <memory>
#include <type_traits>

#include "morvexa/cp936.h"

namespace morvexa {

namespace {

// Whether glibc gives c no width, as a terminal in a UTF-8 locale shows it
// (whatever the program's own locale).
bool ZeroWidth(char32_t c) {
  struct FreeLocale {
    void operator()(locale_t locale) const { freelocale(locale); }
  };
  static const std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale> utf8(
      newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{}));
  if (!utf8) return false;
  const locale_t before = uselocale(utf8.get());
  const int width = wcwidth(static_cast<wchar_t>(c));
  uselocale(before);
  return width == 0;
}

// The vowels and final consonants of conjoining Hangul, which Unifont draws
// in the part of a 16-column cell they take in a syllable.
bool ConjoiningHangul(char32_t c) {
  return (c >= 0x1161 && c <= 0x11FF) || (c >= 0xD7B0 && c <= 0xD7C6) || (c >= 0xD7CB && c <= 0xD7FB);
}

constexpr int kConjoiningHangulOffset = -16;

// The GB2312 code of c in code page 936, when chs16 draws it: a character
// Unifont draws narrow (a Latin, Greek or Cyrillic letter, say) is drawn
// narrow, from Unifont, where chs16 would center it in 16 columns.
std::optional<std::pair<unsigned char, unsigned char>> GlyphFontCode(char32_t c) {
  // ASCII is one byte.
  if (c < 0x80 || (c >= 0xE000 && c <= 0xF8FF)) return {};
  if (const auto narrow = UnifontData::BuiltIn().Find(c); narrow && narrow->width == 8) return {};
  if (!cp936::CanEncode(c)) return {};
  ByteString bytes;
  cp936::AppendEncoded(c, bytes);
  if (bytes.size() != 2) return {};
  const auto b1 = static_cast<unsigned char>(bytes[0]), b2 = static_cast<unsigned char>(bytes[1]);
  // Zones 0xAA-0xAF are user-defined.
  if (!GlyphFont::OwnCode(b1, b2) || (b1 >= 0xAA && b1 <= 0xAF)) return {};
  return std::pair{b1, b2};
}

// Blocks of many characters without a mark or a character of no width
// among them, told at once: Latin, kana, CJK ideographs, Hangul syllables,
// full-width forms.
constexpr std::pair<char32_t, char32_t> kPlainBlocks[] = {
    {0xA0, 0x2FF},    {0x3041, 0x3096}, {0x30A0, 0x30FF}, {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xFF01, 0xFF9D},
};

}  // namespace

CharacterKind ClassifyCharacter(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return CharacterKind::Control;
  if (c < 0x7F) return CharacterKind::Spacing;
  for (const auto& [first, last] : kPlainBlocks) {
    if (c >= first && c <= last) return CharacterKind::Spacing;
  }
  if (ConjoiningHangul(c) || UnifontData::BuiltIn().CombiningOffset(c)) return CharacterKind::Mark;
  if (ZeroWidth(c)) return CharacterKind::Invisible;
  return CharacterKind::Spacing;
}

BuiltInGlyphs::BuiltInGlyphs() : font_(GlyphFont::Open()), unifont_(UnifontData::BuiltIn()) {}

bool BuiltInGlyphs::FromGlyphFont(char32_t c) { return GlyphFontCode(c).has_value(); }

std::optional<GlyphImage> BuiltInGlyphs::Find(char32_t c) {
  const CharacterKind kind = ClassifyCharacter(c);
  switch (kind) {
    case CharacterKind::Control: return {};
    case CharacterKind::Invisible: return GlyphImage{};
    case CharacterKind::Mark:
    case CharacterKind::Spacing: break;
  }
  if (const auto code = GlyphFontCode(c)) {
    const auto glyph = font_.Glyph(code->first, code->second);
    return GlyphImage{glyph.data(), 2, 16, 16, 0, 0, 16};
  }
  const auto glyph = unifont_.Find(c);
  if (!glyph) return {};
  GlyphImage image{glyph->bits.data(), static_cast<std::size_t>(glyph->width / 8), glyph->width, 16, 0, 0,
                   glyph->width};
  if (kind == CharacterKind::Mark) {
    const int offset = ConjoiningHangul(c) ? kConjoiningHangulOffset : *unifont_.CombiningOffset(c);
    // Unifont places the marks of right-to-left scripts at 0, for text laid
    // out from right to left; banners run from left to right.
    image.left = offset != 0 ? offset : -glyph->width;
    image.advance = 0;
  }
  return image;
}

}  // namespace morvexa
