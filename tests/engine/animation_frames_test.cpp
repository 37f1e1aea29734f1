// Every frame of outside animations (Pillow's test files: each disposal
// method, transparency, frames smaller than the canvas, and animations of
// many frames) and of ones made here, composed, against ImageMagick's
// coalescing of the same file laid over white; their delays against
// ImageMagick's reading; a frame asked for by number, and past the last.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "../support/data.h"
#include "../support/decoded_pixels.h"
#include "../support/files.h"
#include "../support/imagemagick.h"
#include "../support/large_pictures.h"
#include "decode/frames.h"
#include "decode/open_picture.h"
#include "morvexa/picture_file.h"

namespace morvexa {
namespace {

using testing_support::DecodedPixels;

class AnimationFrames : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveImageMagick())
      GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
    dir_ = std::filesystem::temp_directory_path() / ("morvexa-frames-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;

  // Another program's frames of the file, composed and laid over white:
  // ImageMagick's coalescing of a GIF; Pillow's of a WebP (ImageMagick 6
  // reads an animated WebP's frames without their alpha).
  std::vector<std::vector<Rgb>> TheirFrames(const std::filesystem::path& file, std::size_t pixels) const {
    const std::filesystem::path raw = dir_ / "frames.rgb";
    if (file.extension() == ".webp") {
      const std::string pillow =
          "from PIL import Image, ImageSequence\nimport sys\nim = Image.open(sys.argv[1])\n"
          "with open(sys.argv[2], 'wb') as out:\n"
          "    for frame in ImageSequence.Iterator(im):\n"
          "        page = Image.new('RGBA', im.size, (255, 255, 255, 255))\n"
          "        page.alpha_composite(frame.convert('RGBA'))\n"
          "        out.write(page.convert('RGB').tobytes())\n";
      EXPECT_EQ(std::system(
                    ("/usr/bin/python3 -c \"" + pillow + "\" '" + file.string() + "' '" + raw.string() + "'").c_str()),
                0);
    } else {
      EXPECT_TRUE(testing_support::Convert("'" + file.string() + "' -coalesce -background white -alpha remove " +
                                           "-alpha off -depth 8 rgb:'" + raw.string() + "'"));
    }
    const std::string bytes = testing_support::ReadFile(raw);
    std::vector<std::vector<Rgb>> frames;
    for (std::size_t at = 0; at + pixels * 3 <= bytes.size(); at += pixels * 3) {
      std::vector<Rgb>& frame = frames.emplace_back();
      for (std::size_t i = at; i < at + pixels * 3; i += 3) {
        frame.push_back(static_cast<Rgb>(static_cast<unsigned char>(bytes[i])) << 16 |
                        static_cast<Rgb>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                        static_cast<unsigned char>(bytes[i + 2]));
      }
    }
    return frames;
  }

  // ImageMagick's delays of the file's frames, in hundredths of a second.
  std::vector<int> TheirDelays(const std::filesystem::path& file) const {
    const std::string command = "identify -format '%T\\n' '" + file.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<int> delays;
    int delay = 0;
    while (pipe && std::fscanf(pipe.get(), "%d", &delay) == 1) delays.push_back(delay);
    return delays;
  }

  static std::vector<DecodedPixels> OurFrames(Frames& frames) {
    std::vector<DecodedPixels> all;
    while (frames.Next()) all.push_back(testing_support::ReadAllPixels(*CanvasPicture(frames, 0xFFFFFF)));
    return all;
  }

  static void ExpectAlike(const std::vector<Rgb>& ours, const std::vector<Rgb>& theirs, int tolerance) {
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
      for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(ours[i] >> shift & 0xFF), b = static_cast<int>(theirs[i] >> shift & 0xFF);
        ASSERT_LE(std::abs(a - b), tolerance)
            << "pixel " << i << ": ours " << std::hex << ours[i] << ", theirs " << theirs[i];
      }
    }
  }

  void ExpectFramesAsImageMagickComposes(const std::filesystem::path& file, int tolerance) {
    SCOPED_TRACE(file.filename().string());
    const std::unique_ptr<Frames> frames = ReadFrames(FileBytes::Open(file), {});
    ASSERT_TRUE(frames);
    const std::vector<DecodedPixels> ours = OurFrames(*frames);
    ASSERT_FALSE(ours.empty());
    const auto theirs = TheirFrames(file, frames->Width() * frames->Height());
    ASSERT_EQ(ours.size(), theirs.size()) << "frames";
    for (std::size_t f = 0; f < ours.size(); ++f) {
      SCOPED_TRACE(testing::Message() << "frame " << f + 1);
      ExpectAlike(ours[f].pixels, theirs[f], tolerance);
    }
    // Played again, the same frames.
    frames->Restart();
    const std::vector<DecodedPixels> again = OurFrames(*frames);
    ASSERT_EQ(again.size(), ours.size());
    for (std::size_t f = 0; f < ours.size(); ++f) ASSERT_EQ(again[f].pixels, ours[f].pixels) << "frame " << f + 1;
  }
};

TEST_F(AnimationFrames, OutsideAnimationsAreComposedAsImageMagickComposesThem) {
  for (const char* name : {"dispose_none.gif", "dispose_bgnd.gif", "dispose_prev.gif", "dispose_prev_first_frame.gif",
                           "dispose_bgnd_transparency.gif", "different_transparency.gif",
                           "first_frame_transparency.gif", "chi.gif", "iss634.gif"}) {
    ExpectFramesAsImageMagickComposes(testing_support::DataPath("animations") / name, 0);
  }
  // libwebp blends a frame's partial alpha in its own rounding.
  ExpectFramesAsImageMagickComposes(testing_support::DataPath("animations/iss634.webp"), 2);
}

TEST_F(AnimationFrames, PlayedByThePictureFileTheFramesAreAsImageMagickComposesThem) {
  // Through the reader the programs play them with, the first frame read
  // as its still is; and again after a play given up midway.
  for (const char* name : {"dispose_prev.gif", "dispose_bgnd_transparency.gif", "dispose_prev_first_frame.gif",
                           "different_transparency.gif", "iss634.webp"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path file = testing_support::DataPath("animations") / name;
    PictureFile picture = PictureFile::Open(file);
    ASSERT_TRUE(picture.Animated());
    const auto played = [&picture] {
      std::vector<std::vector<Rgb>> frames;
      while (picture.Next()) frames.push_back(testing_support::ReadAllPixels(*picture.Frame().TakeReader()).pixels);
      return frames;
    };
    const std::vector<std::vector<Rgb>> ours = played();
    const std::size_t pixels = picture.Still().Width() * picture.Still().Height();
    const auto theirs = TheirFrames(file, pixels);
    ASSERT_EQ(ours.size(), theirs.size()) << "frames";
    for (std::size_t f = 0; f < ours.size(); ++f) {
      SCOPED_TRACE(testing::Message() << "frame " << f + 1);
      ExpectAlike(ours[f], theirs[f], file.extension() == ".webp" ? 2 : 0);
    }
    picture.Restart();
    ASSERT_TRUE(picture.Next() && picture.Next());
    picture.Restart();
    EXPECT_EQ(played(), ours) << "played again";
  }
}

TEST_F(AnimationFrames, FramesMadeHereAreComposedAsImageMagickComposesThem) {
  // Interlaced frames, a frame past the canvas's edges (clipped), and every
  // disposal method in turn over a transparent start.
  const std::string frames =
      "-size 20x10 xc:none -fill red -draw 'rectangle 2,2 12,7' "
      "\\( -size 8x8 xc:blue -repage +14+6 \\) "
      "\\( -size 6x6 xc:lime -repage +3+1 \\) "
      "\\( -size 5x5 xc:yellow -repage +10+2 \\) ";
  ASSERT_TRUE(testing_support::Convert("-dispose none " + frames + "-interlace GIF -loop 0 -set delay 0 '" +
                                       (dir_ / "interlaced.gif").string() + "'"));
  for (const char* dispose : {"none", "background", "previous"}) {
    const std::filesystem::path file = dir_ / (std::string(dispose) + ".gif");
    ASSERT_TRUE(testing_support::Convert("-dispose " + std::string(dispose) + " " + frames + "-loop 2 '" +
                                         file.string() + "'"));
    ExpectFramesAsImageMagickComposes(file, 0);
  }
  ExpectFramesAsImageMagickComposes(dir_ / "interlaced.gif", 0);
  ASSERT_TRUE(testing_support::Convert("'" + (dir_ / "previous.gif").string() + "' -coalesce -loop 0 '" +
                                       (dir_ / "made.webp").string() + "'"));
  ExpectFramesAsImageMagickComposes(dir_ / "made.webp", 2);
}

TEST_F(AnimationFrames, PlayedAgainTheFramesStartFromAnEmptyCanvas) {
  // The last frame puts the canvas back as it was before it, blue all over:
  // played again, the first frame's transparent pixels show white as at
  // first, not what the last frame's disposal would bring back.
  const std::filesystem::path file = dir_ / "again.gif";
  ASSERT_TRUE(
      testing_support::Convert("-dispose none -size 20x10 xc:none -fill red -draw 'rectangle 2,2 12,7' "
                               "\\( -size 20x10 xc:blue \\) -dispose previous "
                               "\\( -size 6x6 xc:lime -repage +3+1 \\) -loop 0 '" +
                               file.string() + "'"));
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("identify -format '%D ' '" + file.string() + "'").c_str(), "r"),
                                             pclose);
  char disposals[64] = {};
  ASSERT_TRUE(pipe && std::fgets(disposals, sizeof disposals, pipe.get()));
  ASSERT_STREQ(disposals, "None None Previous ");
  ExpectFramesAsImageMagickComposes(file, 0);
}

TEST_F(AnimationFrames, FramesPastTheCanvasAreClippedAsImageMagickClipsThem) {
  using testing_support::GifOf;
  struct Case {
    const char* name;
    std::string gif;
  };
  const Case cases[] = {
      // A first frame far outside its 6 x 4 screen, which would widen the
      // canvas past the most pixels a picture may have; frames past its
      // edges, one interlaced.
      {"outside.gif", GifOf(6, 4,
                            {{65000, 65000, 2, 2, 0xFF0000},
                             {1, 1, 3, 2, 0x0000FF},
                             {4, 2, 300, 2, 0x00FF00},
                             {5, 3, 2, 2, 0xFFFF00, true},
                             {3, 0, 16000, 1, 0xFF00FF},
                             {65000, 1, 2, 2, 0x00FFFF}})},
      // Frames of runs of zeros as long as LZW codes go, read as another
      // decoder reads them.
      {"runs.gif", GifOf(3000, 3000, {{0, 0, 3000, 3000, 0xFF0000}, {10, 20, 30, 40, 0x0000FF, true}})},
  };
  for (const Case& c : cases) {
    const std::filesystem::path file = dir_ / c.name;
    testing_support::WriteFile(file, c.gif);
    ExpectFramesAsImageMagickComposes(file, 0);
    // The still picture is the first frame.
    const auto frames = ReadFrames(FileBytes::Open(file), {});
    ASSERT_TRUE(frames && frames->Next());
    EXPECT_EQ(testing_support::DecodeFile(file).pixels,
              testing_support::ReadAllPixels(*CanvasPicture(*frames, 0xFFFFFF)).pixels)
        << c.name;
  }
}

TEST_F(AnimationFrames, DelaysAndLoopsAreAsTheFileSays) {
  for (const char* name : {"dispose_bgnd_transparency.gif", "iss634.gif", "chi.gif"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path file = testing_support::DataPath("animations") / name;
    const std::unique_ptr<Frames> frames = ReadFrames(FileBytes::Open(file), {});
    std::vector<int> ours;
    while (frames->Next()) ours.push_back(frames->Delay());
    std::vector<int> theirs = TheirDelays(file);
    for (int& delay : theirs) delay = Frames::ShownDelay(delay * 10);  // under 20 ms: 100, as browsers show it
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(frames->Plays(), 0) << "looped for ever";
  }
  // Delays under 20 ms are shown for 100 ms, as browsers show them: 1 and
  // 2 hundredths, 10 and 20 ms.
  ASSERT_TRUE(testing_support::Convert("-size 4x4 -delay 1 xc:red -delay 2 xc:blue -delay 7 xc:lime -loop 0 '" +
                                       (dir_ / "short.gif").string() + "'"));
  ASSERT_TRUE(testing_support::Convert("-size 4x4 xc:red '" + (dir_ / "red.png").string() + "'"));
  ASSERT_TRUE(testing_support::Convert("-size 4x4 xc:blue '" + (dir_ / "blue.png").string() + "'"));
  ASSERT_EQ(std::system(("img2webp -loop 2 -lossless -d 10 '" + (dir_ / "red.png").string() + "' -d 20 '" +
                         (dir_ / "blue.png").string() + "' -o '" + (dir_ / "short.webp").string() + "' >/dev/null")
                            .c_str()),
            0)
      << "img2webp, from Debian's webp package";
  const struct {
    const char* name;
    std::vector<int> delays;
    int plays;
  } shortDelays[] = {{"short.gif", {100, 20, 70}, 0}, {"short.webp", {100, 20}, 2}};
  for (const auto& c : shortDelays) {
    SCOPED_TRACE(c.name);
    const auto frames = ReadFrames(FileBytes::Open(dir_ / c.name), {});
    std::vector<int> delays;
    while (frames->Next()) delays.push_back(frames->Delay());
    EXPECT_EQ(delays, c.delays);
    // A WebP's loop count is how many times it plays (libwebp's
    // WebPAnimInfo, as browsers read it), where a GIF's says how many more.
    EXPECT_EQ(frames->Plays(), c.plays);
  }
  // ImageMagick's -loop 2 plays twice: it writes a loop count of 1, which
  // browsers read as one play more after the first.
  ASSERT_TRUE(testing_support::Convert("-size 4x4 xc:red xc:blue -set delay 7 -loop 2 '" +
                                       (dir_ / "twice.gif").string() + "'"));
  const auto twice = ReadFrames(FileBytes::Open(dir_ / "twice.gif"), {});
  EXPECT_EQ(twice->Plays(), 2);
  ASSERT_TRUE(twice->Next());
  EXPECT_EQ(twice->Delay(), 70);
  // Without the loop extension, once.
  std::string bytes = testing_support::ReadFile(dir_ / "twice.gif");
  const std::size_t loop = bytes.find("NETSCAPE2.0");
  ASSERT_NE(loop, std::string::npos);
  bytes.erase(loop - 3, 19);
  testing_support::WriteFile(dir_ / "once.gif", bytes);
  const auto once = ReadFrames(FileBytes::Open(dir_ / "once.gif"), {});
  EXPECT_EQ(once->Plays(), 1);
  int frames = 0;
  while (once->Next()) ++frames;
  EXPECT_EQ(frames, 2);
}

TEST_F(AnimationFrames, AFrameIsReadByItsNumberAndOnePastTheLastIsRefused) {
  const std::filesystem::path file = testing_support::DataPath("animations/dispose_prev.gif");
  const auto frames = ReadFrames(FileBytes::Open(file), {});
  const std::vector<DecodedPixels> all = OurFrames(*frames);
  ASSERT_EQ(all.size(), 5u);
  const PictureFile opened = PictureFile::Open(file);
  for (std::size_t f = 0; f < all.size(); ++f) {
    EXPECT_EQ(testing_support::ReadAllPixels(*opened.Still(f).TakeReader()).pixels, all[f].pixels) << "frame " << f + 1;
  }
  try {
    (void)opened.Still(5);
    FAIL() << "frame 6 of 5 was read";
  } catch (const NoSuchFrame& e) {
    EXPECT_EQ(e.Frames(), 5u);
    EXPECT_STREQ(e.what(), "The picture has only 5 frames.");
  }
  // A still picture has one frame.
  ASSERT_TRUE(testing_support::Convert("-size 3x3 xc:red '" + (dir_ / "still.png").string() + "'"));
  PictureFile still = PictureFile::Open(dir_ / "still.png");
  EXPECT_THROW((void)still.Still(1), NoSuchFrame);
  EXPECT_FALSE(still.Animated());
  PictureFile animation = PictureFile::Open(file);
  ASSERT_TRUE(animation.Animated());
  EXPECT_EQ(animation.Still().Width(), 100u);
}

}  // namespace
}  // namespace morvexa
