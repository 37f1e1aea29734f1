// BMP files written by another encoder, decoded by us and by it.
#include <gtest/gtest.h>
#include <unistd.h>

#include "../support/decoded_pixels.h"
#include "../support/imagemagick.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

TEST(ImageMagickBmp, EveryFormItWritesDecodesToItsOwnPixels) {
  if (!testing_support::HaveImageMagick())
    GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
  const fs::path dir = fs::temp_directory_path() / ("morvexa-im-bmp-" + std::to_string(getpid()));
  fs::create_directories(dir);
  // A picture of many colors with an odd width, so rows are padded.
  const std::string source = "'" + (dir / "source.png").string() + "'";
  ASSERT_TRUE(testing_support::Convert("-size 37x23 -seed 7 plasma:red-blue " + source));
  struct Form {
    const char* name;
    const char* options;
    bool narrowChannels = false;  // fewer than 8 bits a channel
  };
  const Form forms[] = {
      {"BMP2 (core header), 24 bits", "BMP2"},
      {"BMP2 (core header), paletted", "-colors 200 -type Palette BMP2"},
      {"BMP3, 24 bits", "BMP3"},
      {"BMP3, 8 bits paletted", "-colors 200 -type Palette BMP3"},
      {"BMP3, 4 bits paletted", "-colors 12 -type Palette BMP3"},
      {"BMP3, 1 bit", "-type Bilevel BMP3"},
      {"BMP3, RLE8", "-colors 200 -type Palette -compress RLE BMP3"},
      {"BMP3, RLE of 12 colors", "-colors 12 -type Palette -compress RLE BMP3"},
      {"BMP3, 16-bit bit fields 555", "-define bmp:subtype=RGB555 BMP3", true},
      {"BMP4 (124-byte header), 24 bits", "BMP"},
      {"BMP4, 16-bit bit fields 565", "-define bmp:subtype=RGB565 BMP", true},
      {"BMP4, 32-bit bit fields with alpha", "-alpha set -channel A -evaluate set 60% +channel BMP"},
      {"BMP4, paletted", "-colors 100 -type Palette BMP"},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    const std::string options = form.options;
    const auto colon = options.rfind(' ');
    const std::string prefix = colon == std::string::npos ? options : options.substr(colon + 1);
    const std::string settings = colon == std::string::npos ? "" : options.substr(0, colon);
    const fs::path file = dir / "picture.bmp";
    ASSERT_TRUE(testing_support::Convert(source + " " + settings + " " + prefix + ":'" + file.string() + "'"));
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(file, dir);
    ASSERT_EQ(theirs.size(), 37u * 23u);
    const testing_support::DecodedPixels ours = testing_support::DecodeFile(file);
    ASSERT_EQ(ours.width, 37u);
    ASSERT_EQ(ours.height, 23u);
    if (!form.narrowChannels) {
      EXPECT_EQ(ours.pixels, theirs);
      continue;
    }
    // Channels of 5 or 6 bits may be widened to 8 by rounding or by
    // repeating their high bits: the two differ by at most 1, and keep the
    // same pixels equal.
    for (std::size_t i = 0; i < theirs.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(ours.pixels[i] >> shift & 0xFF), b = static_cast<int>(theirs[i] >> shift & 0xFF);
        ASSERT_LE(std::abs(a - b), 1) << "pixel " << i;
      }
      for (std::size_t j = 0; j < i; ++j) {
        ASSERT_EQ(ours.pixels[i] == ours.pixels[j], theirs[i] == theirs[j]) << "pixels " << j << " and " << i;
      }
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace morvexa
