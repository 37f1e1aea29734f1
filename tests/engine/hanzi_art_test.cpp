// Pictures drawn in Chinese characters: the set of characters, the search
// for the nearest glyph, and cells that are glyphs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <random>
#include <set>

#include "../support/art.h"
#include "../support/imagemagick.h"
#include "convert/hanzi_glyphs.h"
#include "convert/hanzi_search.h"
#include "convert/hanzi_text.h"
#include "morvexa/convert_picture.h"
#include "morvexa/cp936.h"
#include "morvexa/failure.h"
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

// A picture of width x height pixels, each of color(x, y).
template <typename Color>
std::unique_ptr<PictureReader> Painted(std::size_t width, std::size_t height, Color color) {
  PixelImage image(width, height);
  for (std::size_t y = 0; y < height; ++y) {
    for (std::size_t x = 0; x < width; ++x) image.pixels[y * width + x] = color(x, y);
  }
  return std::make_unique<MemoryPicture>(std::move(image));
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

// The cells of photographs, as ImageMagick decodes its own built-in ones
// (a rose, a wizard) at 320 pixels across: each 16 x 16 pixels, dark ink
// for dark tones at two strengths, blurred as cells are.
std::vector<HanziGlyphs::Patch> PhotographCells(const std::filesystem::path& scratch) {
  std::vector<HanziGlyphs::Patch> cells;
  for (const char* photograph : {"rose:", "wizard:"}) {
    const std::filesystem::path file = scratch / "photograph.png";
    EXPECT_TRUE(testing_support::Convert(std::string(photograph) + " -resize 320x '" + file.string() + "'"));
    const std::vector<Rgb> pixels = testing_support::ImageMagickPixels(file, scratch);
    EXPECT_FALSE(pixels.empty()) << photograph;
    const std::size_t width = 320, height = pixels.size() / width;
    for (std::size_t top = 0; top + 16 <= height; top += 16) {
      for (std::size_t left = 0; left + 16 <= width; left += 16) {
        for (const float strength : {0.45f, 1.0f}) {
          HanziGlyphs::Patch ink, cell;
          for (std::size_t i = 0; i < ink.size(); ++i) {
            const Rgb p = pixels[(top + i / 16) * width + left + i % 16];
            const float luma = (0.2126f * static_cast<float>(p >> 16) + 0.7152f * static_cast<float>(p >> 8 & 0xFF) +
                                0.0722f * static_cast<float>(p & 0xFF)) /
                               255.0f;
            ink[i] = (1 - luma) * strength;
          }
          HanziGlyphs::Blur(ink.data(), cell.data(), false);
          cells.push_back(cell);
        }
      }
    }
  }
  return cells;
}

TEST(HanziArt, ThePrunedSearchChoosesAsMeasuringEveryGlyph) {
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("morvexa-hanzi-" + std::to_string(getpid()));
  std::filesystem::create_directories(scratch);
  const std::vector<HanziGlyphs::Patch> photographs = PhotographCells(scratch);
  std::filesystem::remove_all(scratch);
  ASSERT_GT(photographs.size(), 600u);
  for (const char* set : {"level1", "all"}) {
    const HanziGlyphs glyphs(set);
    for (const HanziGlyphs::Patch& cell : Cells(glyphs)) {
      ASSERT_EQ(NearestHanzi(glyphs, cell), NearestHanziMeasuringAll(glyphs, cell)) << set;
    }
    for (std::size_t c = 0; c < photographs.size(); ++c) {
      ASSERT_EQ(NearestHanzi(glyphs, photographs[c]), NearestHanziMeasuringAll(glyphs, photographs[c]))
          << set << ", photograph cell " << c;
    }
  }
}

// Art of a laid text: its lines, and the ink and paper of each cell.
struct LaidArt {
  std::vector<ByteString> lines;
  std::vector<std::vector<Rgb>> inks, papers;  // a cell's, line by line
};

LaidArt Laid(std::unique_ptr<PictureReader> picture, std::size_t columns, Hanzi way, bool colors) {
  PictureOptions options;
  options.width = columns;
  options.way = std::move(way);
  MemoryArtArea area;
  if (colors) area.KeepColors();
  MemoryCharList list;
  ConvertPicture(Picture(std::move(picture)), options, list, area);
  LaidArt art{testing_support::Lines(area), {}, {}};
  for (std::size_t y = 0; colors && y < art.lines.size(); ++y) {
    std::vector<Rgb> ink, paper;
    area.ColorsOf(y, ink, paper);
    art.inks.emplace_back(), art.papers.emplace_back();
    for (std::size_t b = 0; b + 1 < ink.size(); b += 2) {
      EXPECT_EQ(ink[b], ink[b + 1]);
      art.inks.back().push_back(ink[b]), art.papers.back().push_back(paper[b]);
    }
  }
  return art;
}

TEST(HanziArt, ATextIsLaidInReadingOrderThroughTheDarkCells) {
  // "床前 明月光" with a space and a line break, which are skipped.
  const ByteString text = LaidText("\xB4\xB2\xC7\xB0 \xC3\xF7\xD4\xC2\r\n\xB9\xE2");
  ASSERT_EQ(text, "\xB4\xB2\xC7\xB0\xC3\xF7\xD4\xC2\xB9\xE2");
  // Dark on the left half of each line, light on the right: 8 cells a line.
  const auto halves = [](std::size_t x, std::size_t) { return x < 64 ? Rgb{0x101010} : Rgb{0xF0F0F0}; };
  const LaidArt plain = Laid(Painted(128, 64, halves), 16, Hanzi{{}, false, text}, false);
  ASSERT_EQ(plain.lines.size(), 4u);
  ByteString read;
  for (const ByteString& line : plain.lines) {
    ASSERT_EQ(line.size(), 16u);
    read += line.substr(0, 8);
    EXPECT_EQ(line.substr(8), ByteString(8, '\xA1')) << line;
  }
  // Four dark cells a line, the text on and over again.
  EXPECT_EQ(read, text + text + text + text.substr(0, 2));
  // Shown in colors, every cell has its character, in the cell's color on
  // white paper.
  const LaidArt colored = Laid(Painted(128, 64, halves), 16, Hanzi{{}, false, text}, true);
  ByteString all;
  for (const ByteString& line : colored.lines) all += line;
  EXPECT_EQ(all, text + text + text + text + text + text + text.substr(0, 4));
  EXPECT_EQ(colored.inks[0][0], 0x101010u);
  EXPECT_EQ(colored.papers[0][0], 0xFFFFFFu);
  EXPECT_EQ(colored.inks[0][7], 0xF0F0F0u);
}

TEST(HanziArt, TheTextLaidSkipsSpacesAndMakesAsciiFullWidth) {
  // "Hi! 你好。" with a full-width space and a tab: Ｈｉ！你好。
  EXPECT_EQ(LaidText("Hi!\t\xA1\xA1\xC4\xE3\xBA\xC3\xA1\xA3"), "\xA3\xC8\xA3\xE9\xA3\xA1\xC4\xE3\xBA\xC3\xA1\xA3");
  // Bytes that are no character, and nothing but spaces, lay nothing.
  EXPECT_EQ(LaidText("\x81 \r\n\xA1\xA1"), "");
}

TEST(HanziArt, FilledCellsTakeTheMeanColorsUnderAndOffTheirGlyph) {
  // A glyph in orange on blue, and a flat green cell.
  const GlyphFont font = GlyphFont::Open();
  const auto glyph = font.Glyph(0xC9, 0xBD);
  const auto picture = [&](std::size_t x, std::size_t y) -> Rgb {
    if (x >= 16) return 0x30A040;
    return GlyphFont::IsInked(GlyphFont::RowBits(glyph, static_cast<int>(y)), static_cast<int>(x)) ? 0xFF8000
                                                                                                   : 0x2040C0;
  };
  const LaidArt art = Laid(Painted(32, 16, picture), 4, Hanzi{ByteString(kSixCharacters), true, {}}, true);
  ASSERT_EQ(art.lines.size(), 1u);
  EXPECT_EQ(art.lines[0].substr(0, 2), "\xC9\xBD");
  ASSERT_EQ(art.inks[0].size(), 2u);
  EXPECT_EQ(art.inks[0][0], 0xFF8000u);
  EXPECT_EQ(art.papers[0][0], 0x2040C0u);
  // A flat cell is its color, ink and paper alike, whatever its character.
  EXPECT_EQ(art.inks[0][1], 0x30A040u);
  EXPECT_EQ(art.papers[0][1], 0x30A040u);
}

TEST(HanziArt, AProgramsOwnDrawingOfTheGlyphsIsWhatCellsAreMatchedTo) {
  // A program that draws the built-in font's glyphs twice as large, each
  // pixel 2 x 2, and has nothing for 鸟: its glyphs are the built-in font's
  // but that one.
  const GlyphFont font = GlyphFont::Open();
  PictureOptions::GlyphsOf of{"twice", 32, false, [&](char32_t c) -> std::optional<DrawnCell> {
                                const std::optional<ByteString> bytes = cp936::EncodeStrict(std::u32string(1, c));
                                if (!bytes || bytes->size() != 2 || *bytes == "\xC4\xF1") return std::nullopt;
                                const auto glyph = font.Glyph(static_cast<unsigned char>((*bytes)[0]),
                                                              static_cast<unsigned char>((*bytes)[1]));
                                DrawnCell cell{32, 32, 32, 32, std::vector<unsigned char>(32 * 32)};
                                for (int y = 0; y < 32; ++y) {
                                  for (int x = 0; x < 32; ++x) {
                                    const bool on = GlyphFont::IsInked(GlyphFont::RowBits(glyph, y / 2), x / 2);
                                    cell.coverage[static_cast<std::size_t>(y * 32 + x)] = on ? 255 : 0;
                                  }
                                }
                                return cell;
                              }};
  const std::shared_ptr<const HanziGlyphs> drawn = HanziGlyphs::For(kSixCharacters, of);
  const HanziGlyphs builtIn(kSixCharacters);
  ASSERT_EQ(drawn->Count(), builtIn.Count() - 1);
  for (std::size_t k = 1, b = 1; k < drawn->Count(); ++k, ++b) {
    if (builtIn.Code(b) == "\xC4\xF1") ++b;
    EXPECT_EQ(drawn->Code(k), builtIn.Code(b));
    EXPECT_EQ(drawn->InkOf(k), builtIn.InkOf(b)) << k;
  }
  // Asked again, the same glyphs, made once.
  EXPECT_EQ(HanziGlyphs::For(kSixCharacters, of).get(), drawn.get());
  // Cells that are glyphs draw them, but for the one the program lacks.
  PictureOptions options;
  options.width = 12;
  options.way = Hanzi{ByteString(kSixCharacters)};
  options.glyphs = of;
  MemoryArtArea area;
  MemoryCharList list;
  ConvertPicture(Picture(PictureOf(Characters(kSixCharacters))), options, list, area);
  const ByteString line = testing_support::Lines(area).at(0);
  EXPECT_EQ(line.substr(0, 6), kSixCharacters.substr(0, 6));
  EXPECT_NE(line.substr(6, 2), "\xC4\xF1");
  EXPECT_EQ(line.substr(8), kSixCharacters.substr(8));
  // A font with none of the characters is refused, unless the built-in
  // font may stand in.
  of.drawnBy = [](char32_t) { return std::nullopt; };
  of.font = "none";
  EXPECT_THROW(HanziGlyphs::For(kSixCharacters, of), Failure);
  of.fallBack = true;
  EXPECT_EQ(HanziGlyphs::For(kSixCharacters, of)->Count(), builtIn.Count());
}

}  // namespace
}  // namespace morvexa
