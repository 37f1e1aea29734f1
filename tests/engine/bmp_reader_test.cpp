#include <gtest/gtest.h>

#include <filesystem>

#include "../support/bmp_builder.h"
#include "../support/decoded_pixels.h"
#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "morvexa/art_size.h"

namespace morvexa {
namespace {

using testing_support::AllBmpForms;
using testing_support::BmpBuilder;
using testing_support::BmpForm;
using testing_support::DecodeBmp;
using testing_support::DecodedPixels;
using testing_support::DecodeFile;
using Bytes = std::vector<unsigned char>;

const std::vector<std::uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0xFFFFFF};

// A 5 x 3 picture (odd width, so rows are padded) of up to four colors.
BmpBuilder Picture(unsigned colors) {
  std::vector<unsigned> indices;
  for (unsigned i = 0; i < 15; ++i) indices.push_back((i * 7 + i / 5) % colors);
  return BmpBuilder(5, 3, indices, kPalette);
}

BmpBuilder PictureFor(const BmpForm& form) { return Picture(form.bitCount == 1 ? 2 : 4); }

// The failure of decoding the file, or the refusal of its size.
std::string FailureOf(const Bytes& file) {
  try {
    const std::string failure = testing_support::FailureOf([&] { return DecodeBmp(file); });
    return failure == "no failure" ? "decoded" : failure;
  } catch (const PictureTooLarge& tooLarge) {
    return tooLarge.what();
  }
}

void Put32(Bytes& file, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) file[at + k] = static_cast<unsigned char>(v >> (8 * k));
}

TEST(BmpDecoder, EveryAcceptedFormDecodesToTheSamePixels) {
  for (const BmpForm& form : AllBmpForms()) {
    SCOPED_TRACE(form.Name());
    const BmpBuilder picture = PictureFor(form);
    const DecodedPixels image = DecodeBmp(picture.Build(form));
    ASSERT_EQ(image.width, 5u);
    ASSERT_EQ(image.height, 3u);
    for (unsigned y = 0; y < 3; ++y) {
      for (unsigned x = 0; x < 5; ++x) EXPECT_EQ(image.pixels[y * 5 + x], picture.ColorAt(x, y)) << x << "," << y;
    }
  }
}

TEST(BmpDecoder, EmptyFileIsAnEmptyPicture) {
  const DecodedPixels image = DecodeBmp({});
  EXPECT_EQ(image.width, 0u);
  EXPECT_EQ(image.height, 0u);
}

TEST(BmpDecoder, RejectsWhatIsNotABitmapOrIsAbsurd) {
  const Bytes good = Picture(4).Build({40, 8});
  struct Case {
    const char* name;
    std::function<void(Bytes&)> spoil;
    const char* message;
  };
  const Case cases[] = {
      {"not BM", [](Bytes& f) { f[0] = 'X'; }, "Bitmap image is not valid"},
      {"text file", [](Bytes& f) { f.assign(40, 'a'); }, "Bitmap image is not valid"},
      {"two planes", [](Bytes& f) { f[26] = 2; }, "Bitmap image is not valid"},
      {"header of 20 bytes", [](Bytes& f) { Put32(f, 14, 20); }, "Bitmap image is not valid"},
      {"2 bits per pixel", [](Bytes& f) { f[28] = 2; }, "Bitmap image is not valid"},
      {"JPEG compression", [](Bytes& f) { Put32(f, 30, 4); }, "Bitmap image is not valid"},
      {"RLE4 on 8 bits", [](Bytes& f) { Put32(f, 30, 2); }, "Bitmap image is not valid"},
      {"bit fields on 8 bits", [](Bytes& f) { Put32(f, 30, 3); }, "Bitmap image is not valid"},
      {"width 0", [](Bytes& f) { Put32(f, 18, 0); }, "Bitmap image is not valid"},
      {"negative width", [](Bytes& f) { Put32(f, 18, 0xFFFFFFFB); }, "Bitmap image is not valid"},
      {"height 0", [](Bytes& f) { Put32(f, 22, 0); }, "Bitmap image is not valid"},
      {"most negative height", [](Bytes& f) { Put32(f, 22, 0x80000000); }, "Bitmap image is not valid"},
      // Past the limits, what the file holds is looked at first.
      {"width past the limit", [](Bytes& f) { Put32(f, 18, (1u << 20) + 1); }, "Stream read error"},
      {"too many pixels", [](Bytes& f) { Put32(f, 18, 1u << 20), Put32(f, 22, 1u << 20); }, "Stream read error"},
      {"huge but within limits", [](Bytes& f) { Put32(f, 18, 1u << 14), Put32(f, 22, 1u << 14); }, "Stream read error"},
      {"color table past the end", [](Bytes& f) { Put32(f, 46, 0xFFFFFFFF); }, "Stream read error"},
      {"pixel data offset past the end", [](Bytes& f) { Put32(f, 10, 0xFFFFFFF0); }, "Stream read error"},
      {"header size past the end", [](Bytes& f) { Put32(f, 14, 0x7FFFFFFF); }, "Stream read error"},
      {"13 bytes", [](Bytes& f) { f.resize(13); }, "Stream read error"},
      {"one byte", [](Bytes& f) { f.resize(1); }, "Stream read error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = good;
    c.spoil(file);
    EXPECT_EQ(FailureOf(file), c.message);
  }

  Bytes rle = Picture(4).Build({40, 8, 1});
  Put32(rle, 22, 0xFFFFFFFD);
  EXPECT_EQ(FailureOf(rle), "Bitmap image is not valid") << "run-length data stored top-down";
  Put32(rle, 22, (1u << 14) + 1), Put32(rle, 18, 1u << 14);
  EXPECT_EQ(FailureOf(rle), "The picture has 268451840 pixels (16384 by 16385), more than the 268435456 it may have.")
      << "run-length picture past the pixel limit";
  Put32(rle, 22, 1u << 12), Put32(rle, 18, 1u << 12);
  EXPECT_EQ(FailureOf(rle), "decoded") << "a small file may claim a large run-length picture within the limit";
}

TEST(BmpDecoder, TruncationAtAnyOffsetFailsCleanlyOrDecodes) {
  for (const BmpForm& form : AllBmpForms()) {
    SCOPED_TRACE(form.Name());
    const Bytes file = PictureFor(form).Build(form);
    const bool runLength = form.compression == 1 || form.compression == 2;
    for (std::size_t size = 1; size < file.size(); ++size) {
      const std::string outcome = FailureOf(Bytes(file.begin(), file.begin() + static_cast<long>(size)));
      const std::size_t headersEnd = file[10] | file[11] << 8;
      if (!runLength || size < headersEnd) {
        ASSERT_EQ(outcome, "Stream read error") << "cut at " << size;
      } else {
        ASSERT_TRUE(outcome == "decoded" || outcome == "Stream read error") << "cut at " << size << ": " << outcome;
      }
    }
  }
}

TEST(BmpDecoder, IndicesAndRunsOutsideThePictureGetDefinedColors) {
  // A 4-bit picture whose color table holds 2 entries: index 3 is past it.
  Bytes file = BmpBuilder(2, 1, {1, 3}, {0x123456, 0xABCDEF, 0, 0x777777}).Build({40, 4});
  // Shrink the table to two entries, moving the pixels up.
  Put32(file, 46, 2);
  file.erase(file.begin() + 14 + 40 + 8, file.begin() + 14 + 40 + 64);
  Put32(file, 10, 14 + 40 + 8);
  DecodedPixels image = DecodeBmp(file);
  EXPECT_EQ(image.pixels[0], 0xABCDEFu);
  EXPECT_EQ(image.pixels[1], 0x000000u) << "an index past the color table draws black";

  // RLE8, 4 x 3: one run on the bottom row, a delta over the middle, then
  // the end of the bitmap; everything unwritten takes palette entry 0.
  Bytes rle = BmpBuilder(4, 3, std::vector<unsigned>(12, 0), {0x010203, 0x0A0B0C}).Build({40, 8, 1});
  const std::size_t at = rle[10] | rle[11] << 8;
  rle.resize(at);
  for (int b : {2, 1, 0, 2, 1, 1, 9, 1, 0, 1})
    rle.push_back(static_cast<unsigned char>(b));  // run, delta (1,1), run past the edge, end
  Put32(rle, 34, 10);
  image = DecodeBmp(rle);
  const std::vector<Rgb> expected = {0x010203, 0x010203, 0x010203, 0x010203,   // top row: never written
                                     0x010203, 0x010203, 0x010203, 0x0A0B0C,   // after the delta, cut at the edge
                                     0x0A0B0C, 0x0A0B0C, 0x010203, 0x010203};  // bottom row
  EXPECT_EQ(image.pixels, expected);
}

TEST(BmpDecoder, FilesAreNamedAsGiven) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("morvexa-bmp-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  auto failure = [](const fs::path& path) { return testing_support::FailureOf([&] { return DecodeFile(path); }); };
  EXPECT_EQ(failure("missing.bmp"), "Cannot open file missing.bmp") << "as typed";
  EXPECT_EQ(failure(dir), "Cannot open file " + dir.string());
  testing_support::WriteFile(dir / "empty.bmp", "");
  EXPECT_EQ(DecodeFile("empty.bmp").width, 0u);
  const Bytes good = Picture(4).Build({40, 24});
  testing_support::WriteFile(dir / "good.bmp", good);
  EXPECT_EQ(DecodeFile(dir / "good.bmp").width, 5u);
  fs::permissions(dir / "good.bmp", fs::perms::owner_read, fs::perm_options::replace);
  EXPECT_EQ(DecodeFile(dir / "good.bmp").height, 3u) << "read-only files are read";
  fs::current_path(old);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace morvexa
