#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <cmath>
#include <cstdio>
#include <memory>

#include "../support/art.h"
#include "../support/failure_matchers.h"
#include "morvexa/memory_art_area.h"
#include "text/banner.h"
#include "text/font_glyph_source.h"

namespace morvexa {
namespace {

using testing_support::Lines;

// The file fontconfig's own tool gives for a family.
std::string FcMatchFile(const std::string& family) {
  const std::string command = "fc-match -f '%{file}' '" + family + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string out;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
  return out;
}

// Advances in whole pixels, as FreeType reads them from the font's metrics
// without drawing a glyph.
class Advances {
 public:
  Advances(const std::string& file, int pixels) {
    FT_Init_FreeType(&library_);
    EXPECT_EQ(FT_New_Face(library_, file.c_str(), 0, &face_), 0) << file;
    FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels));
  }
  ~Advances() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  int Of(char32_t c) const {
    FT_Fixed advance = 0;
    EXPECT_EQ(FT_Get_Advance(face_, FT_Get_Char_Index(face_, c), FT_LOAD_NO_HINTING, &advance), 0);
    return static_cast<int>(std::lround(static_cast<double>(advance) / 65536.0));
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

std::vector<ByteString> Banner(GlyphSource& glyphs, std::u32string_view text) {
  MemoryArtArea area;
  DrawBanner(text, glyphs, {"#", ".", false}, {}, area);
  return Lines(area);
}

TEST(FontGlyphSource, FamiliesAreFoundByName) {
  struct Case {
    const char* name;
    const char* family;
    const char* file;
  };
  const Case cases[] = {
      {"AR PL UMing CN", "AR PL UMing CN", "uming.ttc"},
      {"AR PL UKai CN", "AR PL UKai CN", "ukai.ttc"},
      {"DejaVu Sans Mono", "DejaVu Sans Mono", "DejaVuSansMono.ttf"},
      {"dejavusans mono", "DejaVu Sans Mono", "DejaVuSansMono.ttf"},  // as fontconfig compares names
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FontGlyphSource font = FontGlyphSource::Open(c.name, 24);
    EXPECT_EQ(font.Family(), c.family);
    EXPECT_TRUE(font.File().ends_with(c.file)) << font.File();
    EXPECT_EQ(font.File(), FcMatchFile(c.family));
  }
  EXPECT_EQ(FontGlyphSource::Open(FcMatchFile("AR PL UMing CN"), 24).File(), FcMatchFile("AR PL UMing CN"));
  EXPECT_NO_THROW(FontGlyphSource::Open("monospace", 24));
}

TEST(FontGlyphSource, AFontThatIsNotThereCannotBeOpened) {
  for (const char* name : {"No Such Family 2026", "AR PL UMing XX", "/nonexistent/font.ttf", "Arial Unicode MS"}) {
    if (std::string(name) == "Arial Unicode MS" && FcMatchFile(name).find("Arial") != std::string::npos) continue;
    EXPECT_FAILURE(FontGlyphSource::Open(name, 24), std::string("Cannot open font ") + name);
  }
  EXPECT_FAILURE(FontGlyphSource::OpenFile(std::string(MORVEXA_TEST_DATA) + "/README.md", 24),
                 "Cannot open font " + std::string(MORVEXA_TEST_DATA) + "/README.md");
  EXPECT_EQ(Failure(FailureKind::CannotOpenFont, "X").Kind(), FailureKind::CannotOpenFont);
  EXPECT_EQ(FailureReportText(Failure(FailureKind::CannotOpenFont, "AR PL Nothing").what()),
            "Cannot open font AR PL Nothing.");
}

TEST(FontGlyphSource, ALineIsThePixelSizeHigh) {
  for (const int size : {12, 16, 24, 40}) {
    FontGlyphSource uming = FontGlyphSource::Open("AR PL UMing CN", size);
    EXPECT_EQ(Banner(uming, U"一").size(), static_cast<std::size_t>(size)) << size;
    EXPECT_EQ(Banner(uming, U"一\n二").size(), 2u * static_cast<std::size_t>(size)) << size;
  }
  FontGlyphSource dejavu = FontGlyphSource::Open("DejaVu Sans Mono", 24);
  EXPECT_EQ(Banner(dejavu, U"Hg").size(), 24u);
}

TEST(FontGlyphSource, GlyphsAdvanceByTheFontsAdvances) {
  struct Case {
    const char* family;
    int size;
  };
  for (const auto& [family, size] : {Case{"AR PL UMing CN", 24}, Case{"AR PL UKai CN", 32}, Case{"AR PL UMing CN", 16},
                                     Case{"DejaVu Sans Mono", 20}}) {
    SCOPED_TRACE(testing::Message() << family << " " << size);
    FontGlyphSource font = FontGlyphSource::Open(family, size);
    const Advances advances(FcMatchFile(family), size);
    const std::u32string text = std::string(family).starts_with("DejaVu") ? U"Hxn=" : U"一a世中b";
    // Each character stands where the advances of those before it put it:
    // the banner of the whole text, cut there, is that of the rest.
    const auto whole = Banner(font, text);
    std::size_t pen = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
      const auto rest = Banner(font, std::u32string_view(text).substr(k));
      for (std::size_t y = 0; y < whole.size(); ++y) ASSERT_EQ(whole[y].substr(pen), rest[y]) << "character " << k;
      pen += static_cast<std::size_t>(advances.Of(text[k]));
    }
    // The last glyph's ink may reach past its advance.
    EXPECT_GE(whole[0].size(), pen);
    EXPECT_LE(whole[0].size(), pen + 2);
  }
}

TEST(FontGlyphSource, EachCharacterDrawsItselfAcrossItsAdvance) {
  FontGlyphSource uming = FontGlyphSource::Open("AR PL UMing CN", 24);
  const Advances advances(FcMatchFile("AR PL UMing CN"), 24);
  MemoryArtArea area;
  DrawBanner(U"一a", uming, MakeTextSymbols(kSelfCharacter, " "), {}, area);
  const std::size_t split = 2 * static_cast<std::size_t>(advances.Of(U'一'));
  const ByteString yi = "\xD2\xBB";  // 一 in code page 936
  for (const auto& line : Lines(area)) {
    for (std::size_t x = 0; x < line.size(); x += 2) {
      const ByteString cell = line.substr(x, 2);
      EXPECT_TRUE(cell == "  " || cell == (x < split ? yi : "aa")) << "column " << x << ": " << cell;
    }
  }
  EXPECT_NE(area.Text().find(yi), ByteString::npos);
  EXPECT_NE(area.Text().find("aa"), ByteString::npos);
}

TEST(FontGlyphSource, CharactersTheFontLacksHaveNoGlyph) {
  FontGlyphSource dejavu = FontGlyphSource::Open("DejaVu Sans Mono", 16);
  EXPECT_FALSE(dejavu.Find(U'世'));
  EXPECT_FALSE(dejavu.Find(U'\t'));
  EXPECT_EQ(dejavu.Find(U'\u200B')->advance, 0);
  MemoryArtArea area;
  EXPECT_FAILURE(DrawBanner(U"a世", dejavu, {"#", ".", false}, {}, area), "Stream read error");
}

}  // namespace
}  // namespace morvexa
