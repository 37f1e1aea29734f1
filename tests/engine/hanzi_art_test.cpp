// Pictures drawn in Chinese characters: the set of characters, the search
// for the nearest glyph, and cells that are glyphs.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../support/art.h"
#include "convert/hanzi_glyphs.h"
#include "convert/hanzi_search.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture.h"
#include "pixels/picture_reader.h"
#include "text/glyph_font.h"

namespace morvexa {
namespace {

// The two bytes of each character of a code page 936 string.
std::vector<ByteString> Characters(ByteStringView text) {
  std::vector<ByteString> characters;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) characters.emplace_back(text.substr(i, 2));
  return characters;
}

// "山水花鸟风月" in code page 936.
const ByteString kSixCharacters = "\xC9\xBD\xCB\xAE\xBB\xA8\xC4\xF1\xB7\xE7\xD4\xC2";

// The characters' glyphs side by side, black ink on white, a pixel a
// pixel of the font.
std::unique_ptr<PictureReader> PictureOf(const std::vector<ByteString>& characters) {
  const GlyphFont font = GlyphFont::Open();
  PixelImage image(16 * characters.size(), 16);
  for (std::size_t c = 0; c < characters.size(); ++c) {
    const auto glyph =
        font.Glyph(static_cast<unsigned char>(characters[c][0]), static_cast<unsigned char>(characters[c][1]));
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const bool inked = GlyphFont::IsInked(GlyphFont::RowBits(glyph, y), x);
        image.pixels[static_cast<std::size_t>(y) * image.width + c * 16 + static_cast<std::size_t>(x)] =
            inked ? 0x000000 : 0xFFFFFF;
      }
    }
  }
  return std::make_unique<MemoryPicture>(std::move(image));
}

ByteString Drawn(std::unique_ptr<PictureReader> picture, std::size_t columns, ByteStringView characters) {
  PictureOptions options;
  options.width = columns;
  options.way = Hanzi{ByteString(characters)};
  MemoryArtArea area;
  MemoryCharList list;
  ConvertPicture(Picture(std::move(picture)), options, list, area);
  const std::vector<ByteString> lines = testing_support::Lines(area);
  return lines.size() == 1 ? lines[0] : ByteString("(" + std::to_string(lines.size()) + " lines)");
}

TEST(HanziArt, ACellThatIsExactlyAGlyphDrawsThatGlyph) {
  const std::vector<ByteString> six = Characters(kSixCharacters);
  EXPECT_EQ(Drawn(PictureOf(six), 12, kSixCharacters), kSixCharacters);
  // Among the whole first level too.
  EXPECT_EQ(Drawn(PictureOf(six), 12, "level1"), kSixCharacters);
}

TEST(HanziArt, BlankPaperIsTheFullWidthSpace) {
  PixelImage image(64, 16);
  std::fill_n(image.pixels.get(), 64 * 16, Rgb{0xFFFFFF});
  // Half of it a black square, which some ink must draw.
  for (std::size_t y = 0; y < 16; ++y) std::fill_n(image.pixels.get() + y * 64 + 32, 16, Rgb{0});
  const ByteString line = Drawn(std::make_unique<MemoryPicture>(std::move(image)), 8, "level1");
  ASSERT_EQ(line.size(), 8u);
  EXPECT_EQ(line.substr(0, 4), "\xA1\xA1\xA1\xA1");
  EXPECT_NE(line.substr(4, 2), "\xA1\xA1");
}

TEST(HanziArt, TheFirstLevelIsRowsB0ToD7WithoutTheirUnassignedEnd) {
  const std::vector<ByteString> level1 = Characters(HanziCharacters("level1"));
  EXPECT_EQ(level1.size(), 3755u);
  for (const ByteString& c : level1) {
    const auto lead = static_cast<unsigned char>(c[0]), trail = static_cast<unsigned char>(c[1]);
    EXPECT_TRUE(lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && trail <= 0xFE);
    EXPECT_FALSE(lead == 0xD7 && trail >= 0xFA);
  }
  EXPECT_EQ(Characters(HanziCharacters("all")).size(), 6763u);
  // The glyphs: the full-width space first, then only characters of the
  // first level, each once.
  const HanziGlyphs glyphs("level1");
  ASSERT_GT(glyphs.Count(), 3700u);
  EXPECT_EQ(glyphs.Code(0), "\xA1\xA1");
  std::set<ByteString> seen;
  for (std::size_t k = 1; k < glyphs.Count(); ++k) {
    const ByteString code(glyphs.Code(k));
    EXPECT_TRUE(std::find(level1.begin(), level1.end(), code) != level1.end());
    EXPECT_TRUE(seen.insert(code).second);
  }
}

TEST(HanziArt, CharactersTheFontLacksAreLeftOut) {
  // ASCII, a character of GBK beyond GB2312 (0x8140), one repeated.
  const HanziGlyphs glyphs("ab\x81\x40\xC9\xBD\xC9\xBD");
  ASSERT_EQ(glyphs.Count(), 2u);
  EXPECT_EQ(glyphs.Code(1), "\xC9\xBD");
}

// Cells the search meets: random values, smooth random tones, glyphs
// themselves scaled, and glyphs with noise.
std::vector<HanziGlyphs::Patch> Cells(const HanziGlyphs& glyphs) {
  std::mt19937 random(936);
  std::uniform_real_distribution<float> value(0.0f, 0.6f);
  std::vector<HanziGlyphs::Patch> cells;
  for (int n = 0; n < 200; ++n) {
    HanziGlyphs::Patch raw, blurred;
    for (float& v : raw) v = value(random);
    if (n % 2 == 0) {
      cells.push_back(raw);
      continue;
    }
    HanziGlyphs::Blur(raw.data(), blurred.data(), false);
    HanziGlyphs::Blur(blurred.data(), raw.data(), false);
    cells.push_back(raw);
  }
  std::uniform_int_distribution<std::size_t> any(0, glyphs.Count() - 1);
  for (int n = 0; n < 200; ++n) {
    HanziGlyphs::Patch cell = glyphs.PatchOf(any(random));
    const float scale = value(random) + 0.4f;
    for (float& v : cell) v = v * scale + (n % 2 == 0 ? 0.0f : value(random) * 0.2f);
    cells.push_back(cell);
  }
  // Flat cells of every tone.
  for (int n = 0; n <= 20; ++n) {
    HanziGlyphs::Patch cell;
    cell.fill(static_cast<float>(n) / 40);
    cells.push_back(cell);
  }
  return cells;
}

TEST(HanziArt, ThePrunedSearchChoosesAsMeasuringEveryGlyph) {
  for (const char* set : {"level1", "all"}) {
    const HanziGlyphs glyphs(set);
    for (const HanziGlyphs::Patch& cell : Cells(glyphs)) {
      ASSERT_EQ(NearestHanzi(glyphs, cell), NearestHanziMeasuringAll(glyphs, cell)) << set;
    }
  }
}

}  // namespace
}  // namespace morvexa
