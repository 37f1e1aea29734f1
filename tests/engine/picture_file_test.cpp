// The one reader the window, the command line and the open dialog's preview
// ask for pictures: a still picture of each format, made by ImageMagick, is
// an animation of one frame, read as ImageMagick decodes it; an animation's
// first frame, played, is read as its still is but at full size, as
// libwebp's own reading of it (through Pillow) gives it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "../support/decoded_pixels.h"
#include "../support/files.h"
#include "../support/imagemagick.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture_file.h"

namespace morvexa {
namespace {

class OneReader : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveImageMagick())
      GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
    dir_ = std::filesystem::temp_directory_path() / ("morvexa-one-reader-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string In(const char* name) const { return "'" + (dir_ / name).string() + "'"; }

  std::filesystem::path dir_;
};

std::vector<Rgb> Pixels(Picture picture) {
  return testing_support::ReadAllPixels(*std::move(picture).TakeReader()).pixels;
}

// The art of a picture, each line followed by its cells' own colors: the
// averages of the pixels each covers.
std::string ArtOf(Picture picture, const PictureOptions& options) {
  MemoryArtArea art;
  art.KeepColors();
  MemoryCharList list;
  ConvertPicture(std::move(picture), options, list, art);
  std::ostringstream lines;
  std::vector<Rgb> ink, paper;
  for (std::size_t i = 0; i < art.LineCount(); ++i) {
    lines << art.GetLine(i) << std::hex;
    art.ColorsOf(i, ink, paper);
    for (const Rgb color : ink) lines << ' ' << color;
    lines << '\n';
  }
  return lines.str();
}

TEST_F(OneReader, AStillPictureIsAnAnimationOfOneFrame) {
  // 96 pixels of as many colors at most, which GIF holds without loss; and
  // a GIF of one frame that carries a loop count, as animations do.
  ASSERT_TRUE(testing_support::Convert("-size 12x8 -seed 3 plasma:fractal -depth 8 " + In("still.png")));
  ASSERT_TRUE(testing_support::Convert(In("still.png") + " BMP3:" + In("still.bmp")));
  ASSERT_TRUE(testing_support::Convert(In("still.png") + " " + In("still.gif")));
  ASSERT_TRUE(testing_support::Convert(In("still.png") + " -loop 0 " + In("looped.gif")));
  ASSERT_TRUE(testing_support::Convert(In("still.png") + " -define webp:lossless=true " + In("still.webp")));
  for (const char* name : {"still.png", "still.bmp", "still.gif", "looped.gif", "still.webp"}) {
    SCOPED_TRACE(name);
    const std::vector<Rgb> theirs = testing_support::ImageMagickPixels(dir_ / name, dir_);
    ASSERT_EQ(theirs.size(), 96u);
    PictureFile file = PictureFile::Open(dir_ / name);
    EXPECT_FALSE(file.Animated());
    EXPECT_EQ(file.Plays(), 1);
    for (int play = 1; play <= 2; ++play) {
      ASSERT_TRUE(file.Next()) << "play " << play;
      EXPECT_EQ(Pixels(file.Frame()), theirs) << "play " << play;
      EXPECT_FALSE(file.Next()) << "one frame";
      file.Restart();
    }
    EXPECT_EQ(Pixels(file.Still()), theirs) << "alone";
    EXPECT_THROW((void)file.Still(1), NoSuchFrame);
  }
}

TEST_F(OneReader, AnAnimationsFirstFramePlayedIsReadAtFullSize) {
  // A photograph-like animation in lossy WebP, drawn smaller than it is:
  // libwebp could decode its first frame smaller, but among the frames of a
  // play each is drawn from all its pixels, as Pillow (libwebp) reads them.
  ASSERT_TRUE(testing_support::Convert("-size 96x64 -seed 5 plasma:fractal " + In("a.png")));
  ASSERT_TRUE(testing_support::Convert(In("a.png") + " -roll +24+8 " + In("b.png")));
  ASSERT_EQ(std::system(("img2webp -loop 0 -lossy -q 70 -d 100 " + In("a.png") + " " + In("b.png") + " -o " +
                         In("lossy.webp") + " >/dev/null 2>&1")
                            .c_str()),
            0)
      << "img2webp, from Debian's webp package";
  const std::string pillow =
      "from PIL import Image, ImageSequence\nimport sys\n"
      "for i, frame in enumerate(ImageSequence.Iterator(Image.open(sys.argv[1]))):\n"
      "    frame.convert('RGB').save(sys.argv[2] + '/frame%d.png' % i)\n";
  ASSERT_EQ(
      std::system(("/usr/bin/python3 -c \"" + pillow + "\" " + In("lossy.webp") + " '" + dir_.string() + "'").c_str()),
      0);
  PictureOptions ramp;
  ramp.width = 12;
  ramp.way = Ramp{};
  PictureOptions colors;
  colors.width = 12;
  for (const PictureOptions& options : {ramp, colors}) {
    PictureFile file = PictureFile::Open(dir_ / "lossy.webp");
    ASSERT_TRUE(file.Animated());
    for (const char* frame : {"frame0.png", "frame1.png"}) {
      SCOPED_TRACE(frame);
      ASSERT_TRUE(file.Next());
      EXPECT_EQ(ArtOf(file.Frame(), options), ArtOf(Picture::Open(dir_ / frame), options));
    }
    EXPECT_FALSE(file.Next());
  }
}

}  // namespace
}  // namespace morvexa
