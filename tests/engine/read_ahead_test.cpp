// Rows read ahead on a thread of their own: the same rows, in order; a
// failure where its rows would have been; a reader left early stops.
#include "convert/read_ahead.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace morvexa {
namespace {

// A picture whose row y is all y, failing at row failAt.
class Counted final : public PictureReader {
 public:
  Counted(std::size_t width, std::size_t height, std::size_t failAt) : failAt_(failAt) {
    width_ = width;
    height_ = height;
    form_ = PixelForm::Rgb32;
  }
  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    count = std::min(count, height_ - next_);
    band.form = PixelForm::Rgb32;
    band.rows.clear();
    band.storage.assign(count * width_ * 4 + RowBand::kSlack, 0);
    for (std::size_t i = 0; i < count; ++i, ++next_) {
      if (next_ == failAt_) throw std::runtime_error("row " + std::to_string(next_));
      auto* row = reinterpret_cast<Rgb*>(band.storage.data() + i * width_ * 4);
      std::fill(row, row + width_, static_cast<Rgb>(next_));
      band.rows.push_back(band.storage.data() + i * width_ * 4);
    }
    return count;
  }

 private:
  std::size_t failAt_, next_ = 0;
};

TEST(ReadAhead, TheSameRowsInOrder) {
  const std::size_t width = 300, height = 5000;
  auto picture = ReadAhead(std::make_unique<Counted>(width, height, height));
  EXPECT_EQ(picture->Width(), width);
  EXPECT_EQ(picture->Height(), height);
  RowBand band;
  std::size_t y = 0;
  std::vector<Rgb> row(width);
  while (const std::size_t n = picture->ReadRows(7, band)) {
    ASSERT_LE(n, 7u);
    for (std::size_t i = 0; i < n; ++i, ++y) {
      RowColors(band.form, band.rows[i], width, picture->Palette(), row.data());
      ASSERT_EQ(row.front(), y);
      ASSERT_EQ(row.back(), y);
    }
  }
  EXPECT_EQ(y, height);
  EXPECT_EQ(picture->ReadRows(7, band), 0u) << "and nothing after the end";
}

TEST(ReadAhead, AFailureComesWhereItsRowsWouldHaveBeen) {
  auto picture = ReadAhead(std::make_unique<Counted>(64, 100000, 70000));
  RowBand band;
  std::size_t rows = 0;
  try {
    while (const std::size_t n = picture->ReadRows(1000, band)) rows += n;
    FAIL() << "no failure";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "row 70000");
  }
  // Every band before the failing one arrived.
  EXPECT_LE(rows, 70000u);
  EXPECT_GE(rows + Counted(64, 100000, 0).RowsPerBand(), 70000u);
}

TEST(ReadAhead, LeavingEarlyStopsTheReading) {
  // Most of a large picture is never asked for: the reader must not hang or
  // read it all.
  for (int i = 0; i < 20; ++i) {
    auto picture = ReadAhead(std::make_unique<Counted>(1000, 1000000, 1000000));
    RowBand band;
    EXPECT_GT(picture->ReadRows(10, band), 0u);
  }
}

}  // namespace
}  // namespace morvexa
