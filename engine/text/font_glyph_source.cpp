#include "text/font_glyph_source.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <sys/stat.h>
#include <unistd.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/file_system.h"
#include "morvexa/failure.h"
#include "text/cell_coverage.h"

namespace morvexa {

namespace {

struct FreeTypeDone {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, FreeTypeDone>;
using Face = std::unique_ptr<FT_FaceRec_, FreeTypeDone>;

struct FontconfigDone {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Config = std::unique_ptr<FcConfig, FontconfigDone>;
using Pattern = std::unique_ptr<FcPattern, FontconfigDone>;

// Coverage from which a pixel of gray is inked: half of it.
constexpr unsigned kInkLevel = 128;

// The families fontconfig stands for another family of its choice.
constexpr std::array kGenericFamilies = {"sans-serif", "sans",    "serif",     "monospace", "mono",
                                         "cursive",    "fantasy", "system-ui", "emoji",     "math"};

// Family names compare as fontconfig compares them: blanks and the case of
// ASCII letters do not count.
bool SameFamily(std::string_view a, std::string_view b) {
  const auto folded = [](std::string_view s) {
    std::string out;
    for (const char c : s) {
      if (c != ' ') out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
  };
  return folded(a) == folded(b);
}

}  // namespace

struct FontGlyphSource::Font {
  // A glyph kept in the form GlyphImage points to.
  struct Kept {
    std::vector<unsigned char> bits;
    GlyphImage image;
  };

  std::string name;  // as the caller gave it
  std::string file;
  std::string family;
  Library library;
  Face face;  // after library: closed before it
  int ascent = 0;
  int lineHeight = 0;
  std::unordered_map<char32_t, std::optional<Kept>> glyphs;

  [[noreturn]] void Fail(std::string reason = {}) const {
    throw Failure(FailureKind::CannotOpenFont, name, {std::move(reason), {}});
  }

  void Load(int faceIndex, int pixelSize) {
    // Looked at before FreeType opens it: a FIFO or a device would block
    // or be read without end. FreeType then opens what was looked at.
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) Fail(SystemReason(errno));
    struct stat info {};
    const bool looked = fstat(fd, &info) == 0;
    const std::string reason = looked ? file_system::NotARegularFile(info.st_mode) : SystemReason(errno);
    if (!looked || !reason.empty()) {
      close(fd);
      Fail(reason);
    }
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) {
      close(fd);
      Fail();
    }
    library.reset(lib);
    FT_Face opened = nullptr;
    const int error = FT_New_Face(library.get(), ("/proc/self/fd/" + std::to_string(fd)).c_str(), faceIndex, &opened);
    close(fd);
    if (error != 0) Fail();
    face.reset(opened);
    if (face->family_name != nullptr && family.empty()) family = face->family_name;
    if (pixelSize < 1) Fail();
    if (FT_IS_SCALABLE(face.get())) {
      if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize)) != 0) Fail();
    } else {
      // A font of bitmaps only: the size nearest the one asked for.
      if (face->num_fixed_sizes < 1) Fail();
      int best = 0;
      for (int i = 1; i < face->num_fixed_sizes; ++i) {
        if (std::abs(face->available_sizes[i].height - pixelSize) <
            std::abs(face->available_sizes[best].height - pixelSize)) {
          best = i;
        }
      }
      if (FT_Select_Size(face.get(), best) != 0) Fail();
    }
    SetLineMetrics(pixelSize);
  }

  void SetLineMetrics(int pixelSize) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
    if (FT_IS_SCALABLE(face.get()) && os2 != nullptr && os2->version != 0xFFFF &&
        os2->sTypoAscender > os2->sTypoDescender && face->units_per_EM > 0) {
      const double pixelsPerUnit = static_cast<double>(pixelSize) / face->units_per_EM;
      ascent = static_cast<int>(std::lround(os2->sTypoAscender * pixelsPerUnit));
      lineHeight = static_cast<int>(std::lround((os2->sTypoAscender - os2->sTypoDescender) * pixelsPerUnit));
    } else {
      const FT_Size_Metrics& metrics = face->size->metrics;
      ascent = static_cast<int>((metrics.ascender + 63) / 64);
      lineHeight = ascent + static_cast<int>((-metrics.descender + 63) / 64);
    }
  }

  std::optional<Kept> Render(char32_t c) {
    const FT_UInt index = FT_Get_Char_Index(face.get(), c);
    if (index == 0) return {};
    if (FT_Load_Glyph(face.get(), index, FT_LOAD_DEFAULT | FT_LOAD_COLOR) != 0) return {};
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return {};
    const FT_Bitmap& bitmap = slot->bitmap;
    Kept kept;
    GlyphImage& image = kept.image;
    image.width = static_cast<int>(bitmap.width);
    image.height = static_cast<int>(bitmap.rows);
    image.pitch = (bitmap.width + 7) / 8;
    image.left = slot->bitmap_left;
    image.top = ascent - slot->bitmap_top;
    image.advance = static_cast<int>((slot->advance.x + 32) / 64);
    kept.bits.assign(image.pitch * bitmap.rows, 0);
    for (unsigned y = 0; y < bitmap.rows; ++y) {
      const unsigned char* from = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
      unsigned char* to = kept.bits.data() + y * image.pitch;
      for (unsigned x = 0; x < bitmap.width; ++x) {
        bool inked = false;
        switch (bitmap.pixel_mode) {
          case FT_PIXEL_MODE_MONO: inked = (from[x / 8] & (0x80u >> (x % 8))) != 0; break;
          case FT_PIXEL_MODE_GRAY: inked = from[x] * 255u >= kInkLevel * (bitmap.num_grays - 1u); break;
          case FT_PIXEL_MODE_BGRA: inked = from[4 * x + 3] >= kInkLevel; break;
          default: return {};
        }
        if (inked) to[x / 8] |= static_cast<unsigned char>(0x80u >> (x % 8));
      }
    }
    return kept;
  }
};

bool FontGlyphSource::CellCoverage(char32_t c, int wide, int high, float* out) {
  std::fill(out, out + wide * high, 0.0f);
  FT_Face face = font_->face.get();
  // A font of symbols maps the codes of letters to pictures of its own (as
  // dingbats do): only a font of Unicode's characters has the symbols.
  if (face->charmap == nullptr || face->charmap->encoding != FT_ENCODING_UNICODE) return false;
  const FT_UInt index = FT_Get_Char_Index(face, c);
  if (index == 0) return c == U' ';
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  const double ascender = static_cast<double>(face->size->metrics.ascender) / 64;
  const double cellWide = static_cast<double>(slot->advance.x) / 64;
  const double cellHigh = ascender - static_cast<double>(face->size->metrics.descender) / 64;
  if (cellWide <= 0 || cellHigh <= 0) return false;
  const bool empty = bitmap.width == 0 || bitmap.rows == 0;
  if (!empty && bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY &&
      bitmap.pixel_mode != FT_PIXEL_MODE_BGRA) {
    return false;
  }
  const auto coverageAt = [&bitmap](int x, int y) -> double {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    switch (bitmap.pixel_mode) {
      case FT_PIXEL_MODE_MONO: return (row[x / 8] & (0x80u >> (x % 8))) != 0;
      case FT_PIXEL_MODE_GRAY: return row[x] / static_cast<double>(bitmap.num_grays - 1);
      default: return row[4 * x + 3] / 255.0;
    }
  };
  CoverCell(slot->bitmap_left, ascender - slot->bitmap_top, static_cast<int>(bitmap.width),
            static_cast<int>(bitmap.rows), coverageAt, cellWide, cellHigh, wide, high, out);
  return true;
}

FontGlyphSource::FontGlyphSource(std::unique_ptr<Font> font) : font_(std::move(font)) {}
FontGlyphSource::FontGlyphSource(FontGlyphSource&&) noexcept = default;
FontGlyphSource& FontGlyphSource::operator=(FontGlyphSource&&) noexcept = default;
FontGlyphSource::~FontGlyphSource() = default;

FontGlyphSource FontGlyphSource::OpenFamily(std::string_view family, int pixelSize) {
  auto font = std::make_unique<Font>();
  font->name = family;
  const Config config(FcConfigReference(nullptr));
  const std::string name(family);
  // A name with a colon is a pattern of fontconfig's ("monospace:lang=zh-cn"):
  // its family is the one asked for.
  const bool isPattern = name.find(':') != std::string::npos;
  const Pattern pattern(isPattern ? FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str())) : FcPatternCreate());
  if (!config || !pattern) font->Fail();
  if (!isPattern) FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcChar8* asked = nullptr;
  if (isPattern)
    family = FcPatternGetString(pattern.get(), FC_FAMILY, 0, &asked) == FcResultMatch
                 ? std::string_view(reinterpret_cast<const char*>(asked))
                 : std::string_view("monospace");
  FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const Pattern match(FcFontMatch(config.get(), pattern.get(), &result));
  if (!match) font->Fail();
  // fontconfig always matches some font: it must be of the family asked
  // for, by any of its names.
  bool generic = false;
  for (const char* g : kGenericFamilies) generic |= SameFamily(g, family);
  FcChar8* found = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &found) == FcResultMatch; ++i) {
    if (generic || SameFamily(reinterpret_cast<const char*>(found), family)) {
      font->family = reinterpret_cast<const char*>(found);
      break;
    }
  }
  FcChar8* file = nullptr;
  int index = 0;
  if (font->family.empty() || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) font->Fail();
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  font->file = reinterpret_cast<const char*>(file);
  font->Load(index, pixelSize);
  return FontGlyphSource(std::move(font));
}

FontGlyphSource FontGlyphSource::OpenFile(std::string_view path, int pixelSize) {
  auto font = std::make_unique<Font>();
  font->name = path;
  font->file = path;
  font->Load(0, pixelSize);
  return FontGlyphSource(std::move(font));
}

FontGlyphSource FontGlyphSource::Open(std::string_view font, int pixelSize) {
  struct stat status;
  const bool file = font.find('/') != std::string_view::npos || stat(std::string(font).c_str(), &status) == 0;
  return file ? OpenFile(font, pixelSize) : OpenFamily(font, pixelSize);
}

int FontGlyphSource::LineHeight() const { return font_->lineHeight; }
const std::string& FontGlyphSource::File() const { return font_->file; }
const std::string& FontGlyphSource::Family() const { return font_->family; }

std::string FontGlyphSource::Name() const { return font_->name; }

std::optional<GlyphImage> FontGlyphSource::Find(char32_t c) {
  switch (ClassifyCharacter(c)) {
    case CharacterKind::Control: return {};
    case CharacterKind::Invisible: return GlyphImage{};
    case CharacterKind::Mark:
    case CharacterKind::Spacing: break;
  }
  auto [kept, added] = font_->glyphs.try_emplace(c);
  if (added) {
    kept->second = font_->Render(c);
    if (kept->second) kept->second->image.bits = kept->second->bits.data();
  }
  if (!kept->second) return {};
  return kept->second->image;
}

}  // namespace morvexa
