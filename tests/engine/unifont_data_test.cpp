#include <gtest/gtest.h>

#include <vector>

#include "../support/failure_matchers.h"
#include "../support/unifont_hex.h"
#include "text/embedded_resource.h"
#include "text/unifont_data.h"

namespace morvexa {
namespace {

using testing_support::HexGlyph;

HexGlyph AsHexGlyph(const UnifontData::Glyph& glyph) {
  HexGlyph out;
  out.width = glyph.width;
  for (std::size_t r = 0; r < 16; ++r) {
    out.rows[r] = glyph.width == 16 ? static_cast<std::uint16_t>(glyph.bits[2 * r] << 8 | glyph.bits[2 * r + 1])
                                    : static_cast<std::uint16_t>(glyph.bits[r] << 8);
  }
  return out;
}

TEST(UnifontData, HoldsEveryGlyphOfTheInstalledUnifont) {
  const auto hex = testing_support::ReadUnifontHex();
  if (!hex) GTEST_FAIL() << testing_support::kUnifontHex << " is not installed, though scripts/test installs it";
  const UnifontData& data = UnifontData::BuiltIn();
  EXPECT_EQ(data.GlyphCount(), hex->size());
  int differing = 0;
  for (char32_t c = 0; c <= 0x10000; ++c) {
    const auto glyph = data.Find(c);
    const auto expected = hex->find(c);
    ASSERT_EQ(glyph.has_value(), expected != hex->end()) << std::hex << "U+" << static_cast<unsigned>(c);
    if (!glyph) continue;
    const HexGlyph found = AsHexGlyph(*glyph);
    if (found.width != expected->second.width || found.rows != expected->second.rows) {
      ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(c) << " differs";
      if (++differing == 10) return;
    }
  }
}

TEST(UnifontData, KnowsUnifontsCombiningCharacters) {
  const auto marks = testing_support::ReadUnifontCombining();
  if (marks.empty())
    GTEST_FAIL() << testing_support::kUnifontCombining << " is not installed, though scripts/test installs it";
  const UnifontData& data = UnifontData::BuiltIn();
  for (const auto& [c, offset] : marks)
    EXPECT_EQ(data.CombiningOffset(c), offset) << std::hex << static_cast<unsigned>(c);
  for (char32_t c : {U'a', U'\u02FF', U'\u0370', U'\u4E00', U'\uFFFD', U'\U0001F600'}) {
    EXPECT_FALSE(data.CombiningOffset(c)) << std::hex << static_cast<unsigned>(c);
  }
}

TEST(UnifontData, DataThatDoesNotHoldTogetherFails) {
  const auto built = FindResource(UnifontData::kResourceName);
  std::vector<unsigned char> data(built.begin(), built.end());
  struct Case {
    const char* name;
    std::size_t size;
    std::size_t at;  // a byte set to 0xFF, or past the end for none
  };
  const Case cases[] = {
      {"empty", 0, 0},
      {"index cut short", 1000, ~std::size_t{0}},
      {"last glyph cut short", data.size() - 1, ~std::size_t{0}},
      {"glyph count wrong", data.size(), 0},
      {"a wide glyph that is not there", data.size(), 8200 + 8 * 1023 + 7},
      {"a block starting elsewhere", data.size(), 16392 + 4 * 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(c.size));
    if (c.at < bytes.size()) bytes[c.at] = 0xFF;
    EXPECT_FAILURE(UnifontData(bytes), "Stream read error");
  }
  EXPECT_NO_THROW(UnifontData{data});
}

}  // namespace
}  // namespace morvexa
