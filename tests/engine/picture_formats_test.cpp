// PNG, JPEG, GIF and WebP files written by ImageMagick, decoded by us and
// by it; and broken ones of each format.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "../support/decoded_pixels.h"
#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "../support/imagemagick.h"
#include "pixels/area_average.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;

class PictureFormats : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveImageMagick())
      GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
    dir_ = fs::temp_directory_path() / ("morvexa-formats-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    // A picture of many colors with an odd width, and one with soft
    // transparency (a gradient of alpha across it).
    ASSERT_TRUE(testing_support::Convert("-size 37x23 -seed 7 plasma:red-blue -depth 8 " + Quoted("source.png")));
    ASSERT_TRUE(testing_support::Convert(Quoted("source.png") +
                                         " \\( -size 23x37 gradient:white-black -rotate 90 \\) " +
                                         "-alpha off -compose CopyOpacity -composite -depth 8 " + Quoted("alpha.png")));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Quoted(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

  fs::path dir_;
};

struct Form {
  const char* name;
  const char* source;   // source.png or alpha.png
  const char* options;  // ImageMagick's settings for the file
  const char* file;     // the file written, its extension telling the format
  // How far a channel may differ: 0, or 1 where colors are mixed or 16-bit
  // samples made 8-bit (rounded exactly here, by a quicker formula there).
  int tolerance;
};

const Form kForms[] = {
    {"PNG, 8-bit color", "source.png", "", "a.png", 0},
    {"PNG, gray", "source.png", "-colorspace Gray", "a.png", 0},
    {"PNG, gray of 16 bits", "source.png", "-colorspace Gray -depth 16", "a.png", 1},
    {"PNG, palette", "source.png", "-colors 50 -type Palette", "a.png", 0},
    {"PNG, 16 bits a channel", "source.png", "-depth 16 -evaluate Multiply 0.9371", "a.png", 1},
    {"PNG, interlaced", "source.png", "-interlace PNG", "a.png", 0},
    {"PNG, interlaced, 16 bits with alpha", "alpha.png", "-depth 16 -interlace PNG", "a.png", 1},
    {"PNG, with alpha", "alpha.png", "", "a.png", 1},
    {"PNG, palette with transparency", "alpha.png", "-channel A -threshold 50% +channel -colors 30 -type PaletteAlpha",
     "a.png", 1},
    {"JPEG", "source.png", "-quality 85", "a.jpg", 0},
    {"JPEG, gray", "source.png", "-colorspace Gray", "a.jpg", 0},
    {"JPEG, progressive", "source.png", "-interlace JPEG", "a.jpg", 0},
    {"JPEG, 4:2:0", "source.png", "-sampling-factor 2x2", "a.jpg", 0},
    {"JPEG, CMYK", "source.png", "-colorspace CMYK", "a.jpg", 1},
    {"GIF", "source.png", "", "a.gif", 0},
    {"GIF, interlaced", "source.png", "-interlace GIF", "a.gif", 0},
    {"GIF, with transparency", "alpha.png", "-channel A -threshold 50% +channel", "a.gif", 0},
    {"WebP, lossless", "source.png", "-define webp:lossless=true", "a.webp", 0},
    {"WebP, lossy", "source.png", "-quality 70", "a.webp", 0},
    {"WebP, lossless with alpha", "alpha.png", "-define webp:lossless=true", "a.webp", 1},
};

TEST_F(PictureFormats, EachDecodesToImageMagicksOwnPixels) {
  for (const Form& form : kForms) {
    SCOPED_TRACE(form.name);
    const fs::path file = dir_ / form.file;
    ASSERT_TRUE(testing_support::Convert(Quoted(form.source) + " " + form.options + " " + Quoted(form.file)));
    // ImageMagick's own decoding, transparent pixels laid over white.
    const fs::path flat = dir_ / "flat.png";
    ASSERT_TRUE(testing_support::Convert(Quoted(form.file) + "[0] -background white -alpha remove -alpha off " +
                                         "-colorspace sRGB -depth 8 " + Quoted("flat.png")));
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(flat, dir_);
    ASSERT_EQ(theirs.size(), 37u * 23u);
    const testing_support::DecodedPixels ours = testing_support::DecodeFile(file);
    ASSERT_EQ(ours.width, 37u);
    ASSERT_EQ(ours.height, 23u);
    for (std::size_t i = 0; i < theirs.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(ours.pixels[i] >> shift & 0xFF), b = static_cast<int>(theirs[i] >> shift & 0xFF);
        ASSERT_LE(std::abs(a - b), form.tolerance)
            << "pixel " << i << ": ours " << std::hex << ours.pixels[i] << ", theirs " << theirs[i];
      }
    }
  }
}

TEST_F(PictureFormats, TransparencyIsLaidOverTheChosenBackground) {
  ASSERT_TRUE(testing_support::Convert("-size 4x2 xc:none " + Quoted("clear.png")));
  ReadSettings settings;
  settings.background = 0x336699;
  const testing_support::DecodedPixels pixels =
      testing_support::ReadAllPixels(*OpenPicture(dir_ / "clear.png", settings));
  EXPECT_EQ(pixels.pixels, std::vector<Rgb>(8, 0x336699));
  EXPECT_EQ(testing_support::DecodeFile(dir_ / "clear.png").pixels, std::vector<Rgb>(8, 0xFFFFFF))
      << "white by default";
}

// The first frame of an animation, smaller than its canvas and offset on
// it, with transparent pixels: drawn on the canvas as ImageMagick coalesces
// it, uncovered and transparent pixels laid over white.
TEST_F(PictureFormats, FirstFramesAreDrawnOnTheirCanvas) {
  ASSERT_TRUE(testing_support::Convert("-size 10x8 -seed 3 plasma:red-blue \\( -size 10x8 gradient:white-black \\) " +
                                       std::string("-alpha off -compose CopyOpacity -composite ") +
                                       Quoted("frame.png")));
  ASSERT_TRUE(testing_support::Convert("-size 30x20 xc:green " + Quoted("whole.png")));
  struct Case {
    const char* name;
    std::string commands;  // shell commands that write the file
    const char* file;
    int tolerance;  // 1 where alpha is laid over white, rounded another way
  };
  auto webp = [&](const std::string& frameOptions) {
    return "cd " + Quoted("") + " && cwebp -quiet " + frameOptions + " frame.png -o f1.webp && " +
           "cwebp -quiet -q 80 whole.png -o f2.webp && " +
           "webpmux -frame f1.webp +100+8+6 -frame f2.webp +100+0+0 -loop 0 -o anim.webp >/dev/null";
  };
  const Case cases[] = {
      {"GIF",
       "convert " + Quoted("frame.png") + " -channel A -threshold 50% +channel -colors 32 -background none " +
           "-repage 30x20+7+5 \\( " + Quoted("whole.png") + " -repage 30x20+0+0 \\) -loop 0 " + Quoted("anim.gif"),
       "anim.gif", 0},
      {"WebP, a lossless frame", webp("-lossless"), "anim.webp", 1},
      {"WebP, a lossy frame with alpha", webp("-q 90"), "anim.webp", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(std::system(c.commands.c_str()), 0) << c.commands;
    ASSERT_TRUE(testing_support::Convert(Quoted(c.file) + "[0] -coalesce -background white -alpha remove -alpha off " +
                                         "-depth 8 " + Quoted("flat.png")));
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(dir_ / "flat.png", dir_);
    const testing_support::DecodedPixels ours = testing_support::DecodeFile(dir_ / c.file);
    ASSERT_EQ(ours.width, 30u);
    ASSERT_EQ(ours.height, 20u);
    ASSERT_EQ(theirs.size(), ours.pixels.size());
    for (std::size_t i = 0; i < theirs.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(ours.pixels[i] >> shift & 0xFF), b = static_cast<int>(theirs[i] >> shift & 0xFF);
        ASSERT_LE(std::abs(a - b), c.tolerance)
            << "pixel " << i << ": ours " << std::hex << ours.pixels[i] << ", theirs " << theirs[i];
      }
    }
  }
}

// A GIF's first frame past the screen its header gives widens the canvas
// (as browsers draw it) rather than being cut at the screen's edge.
TEST_F(PictureFormats, AFirstGifFramePastItsScreenWidensTheCanvas) {
  ASSERT_TRUE(testing_support::Convert("-size 4x4 xc:red -set page 4x4+2+2 " + Quoted("offset.gif")));
  const testing_support::DecodedPixels ours = testing_support::DecodeFile(dir_ / "offset.gif");
  ASSERT_EQ(ours.width, 6u);
  ASSERT_EQ(ours.height, 6u);
  for (std::size_t y = 0; y < 6; ++y) {
    for (std::size_t x = 0; x < 6; ++x) {
      EXPECT_EQ(ours.pixels[y * 6 + x] == 0xFF0000, x >= 2 && y >= 2) << x << "," << y;
    }
  }
}

// Asked for fewer pixels, a reader may decode a smaller picture (JPEG and
// WebP scaled by their libraries, interlaced PNG and GIF averaged in blocks
// as they come): the art still agrees with ImageMagick's area average of
// its own decoding, to within what the smaller picture rounds.
TEST_F(PictureFormats, SizedPicturesAgreeWithImageMagicksScale) {
  ASSERT_TRUE(testing_support::Convert("-size 397x293 -seed 5 plasma: -blur 0x2 -depth 8 " + Quoted("big.png")));
  struct Case {
    const char* name;
    const char* options;
    const char* file;
    int tolerance;
  };
  const Case cases[] = {
      {"PNG", "", "a.png", 1},
      {"PNG, interlaced", "-interlace PNG", "a.png", 4},
      {"GIF, interlaced", "-interlace GIF", "a.gif", 4},
      {"JPEG", "-quality 90", "a.jpg", 6},
      {"WebP, lossy", "-quality 90", "a.webp", 3},
      {"WebP, lossless", "-define webp:lossless=true", "a.webp", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(testing_support::Convert(Quoted("big.png") + " " + c.options + " " + Quoted(c.file)));
    ASSERT_TRUE(testing_support::Convert(Quoted(c.file) + "[0] -scale 10x5! -depth 8 " + Quoted("scaled.png")));
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(dir_ / "scaled.png", dir_);
    std::unique_ptr<PictureReader> picture = OpenPicture(dir_ / c.file);
    picture->PreferAtLeast(10, 5);
    const PixelImage ours = ReadWhole(*AreaAverage(std::move(picture), 10, 5));
    ASSERT_EQ(theirs.size(), 50u);
    int most = 0;
    for (std::size_t i = 0; i < theirs.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        most = std::max(most, std::abs(static_cast<int>(ours.pixels[i] >> shift & 0xFF) -
                                       static_cast<int>(theirs[i] >> shift & 0xFF)));
      }
    }
    EXPECT_LE(most, c.tolerance);
  }
}

// Broken files of every format fail with one of the two messages, never
// anything worse: cut short at every sixteenth of their length, and with
// bits flipped.
TEST_F(PictureFormats, BrokenFilesFailWithOneOfTwoMessages) {
  std::mt19937 random(2052);
  for (const Form& form : kForms) {
    SCOPED_TRACE(form.name);
    ASSERT_TRUE(testing_support::Convert(Quoted(form.source) + " " + form.options + " " + Quoted(form.file)));
    const std::string good = testing_support::ReadFile(dir_ / form.file);
    auto outcome = [](const std::string& bytes) {
      return testing_support::FailureOf(
          [&] { return testing_support::ReadAllPixels(*OpenPicture(FileBytes::FromMemory(bytes))); });
    };
    for (std::size_t sixteenth = 1; sixteenth < 16; ++sixteenth) {
      const std::string cut = good.substr(0, good.size() * sixteenth / 16);
      const std::string failure = outcome(cut);
      EXPECT_TRUE(failure == "Stream read error" || failure == "Bitmap image is not valid" || failure == "no failure")
          << "cut to " << cut.size() << ": " << failure;
      if (sixteenth <= 8) {
        EXPECT_NE(failure, "no failure") << "cut to " << cut.size() << " of " << good.size();
      }
    }
    for (int run = 0; run < 60; ++run) {
      std::string spoiled = good;
      for (int flips = 0; flips < 4; ++flips) {
        spoiled[random() % spoiled.size()] ^= static_cast<char>(1 << (random() % 8));
      }
      const std::string failure = outcome(spoiled);
      EXPECT_TRUE(failure == "Stream read error" || failure == "Bitmap image is not valid" || failure == "no failure")
          << failure;
    }
  }
}

// A small file claiming a picture of 100,000 x 100,000 pixels is refused
// from its header, before anything is allocated for it.
TEST_F(PictureFormats, HugeClaimsAreRefusedFromTheHeader) {
  ASSERT_TRUE(testing_support::Convert("-size 8x8 xc:red " + Quoted("small.png")));
  std::string png = testing_support::ReadFile(dir_ / "small.png");
  // The IHDR's width and height (big-endian) at 16 and 20; its CRC fixed
  // to match is not needed: the size is checked first.
  for (int at : {16, 20}) png.replace(static_cast<std::size_t>(at), 4, std::string("\x00\x01\x86\xA0", 4));
  EXPECT_FAILURE(OpenPicture(FileBytes::FromMemory(png)), "Bitmap image is not valid");

  ASSERT_TRUE(testing_support::Convert("-size 8x8 xc:red " + Quoted("small.gif")));
  std::string gif = testing_support::ReadFile(dir_ / "small.gif");
  const std::size_t descriptor = gif.find(',');  // the image descriptor: width and height at 5 and 7
  ASSERT_NE(descriptor, std::string::npos);
  gif.replace(descriptor + 5, 4, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_FAILURE(OpenPicture(FileBytes::FromMemory(gif)), "Bitmap image is not valid");

  ASSERT_TRUE(testing_support::Convert("-size 8x8 xc:red " + Quoted("small.jpg")));
  std::string jpeg = testing_support::ReadFile(dir_ / "small.jpg");
  const std::size_t frame = jpeg.find("\xFF\xC0", 0, 2);  // the frame header: height and width at 5 and 7
  ASSERT_NE(frame, std::string::npos);
  jpeg.replace(frame + 5, 4, std::string("\xFF\xF0\xFF\xF0", 4));
  EXPECT_FAILURE(OpenPicture(FileBytes::FromMemory(jpeg)), "Bitmap image is not valid");
}

}  // namespace
}  // namespace morvexa
