// Small files that claim huge pictures, and big pictures read in bands:
// what each decoder refuses, and the most memory it takes, measured as the
// peak resident size of a child process that reads the picture.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "../support/decoded_pixels.h"
#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "../support/imagemagick.h"
#include "../support/large_pictures.h"
#include "decode/frames.h"
#include "decode/open_picture.h"
#include "morvexa/art_size.h"
#include "morvexa/convert_picture.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture.h"
#include "morvexa/picture_file.h"
#include "pixels/area_average.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kMiB = 1 << 20;

using testing_support::Be32;
using testing_support::BlackBmp;
using testing_support::BlackPng;
using testing_support::CanvasWebp;
using testing_support::GrayJpeg;
using testing_support::Le16;
using testing_support::Le32;
using testing_support::ScreenGif;

// A GIF whose one picture claims side x side pixels and holds a single
// LZW code: a file that ends with the GIF trailer, or one cut short.
std::string ClaimingGif(unsigned side, bool interlaced, bool cut) {
  std::string gif = "GIF89a" + Le16(side) + Le16(side) + std::string("\x80\0\0\0\0\0\xff\xff\xff", 9);
  gif += "," + Le16(0) + Le16(0) + Le16(side) + Le16(side) + std::string(1, interlaced ? '\x40' : '\0');
  gif += std::string("\x02\x02\x4c\x01", 4);
  if (!cut) gif += std::string("\0;", 2);
  return gif;
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320 : 0);
  }
  return ~crc;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<std::uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

// An RGBA PNG of width x height whose data is a kilobyte of a
// deflate stream of zeros; then IEND, unless cut.
std::string ClaimingPng(std::uint32_t width, std::uint32_t height, bool interlaced, bool cut) {
  // A stored deflate block of 1,000 zero bytes behind a zlib header.
  const std::string data = std::string("\x78\x01\x00\xe8\x03\x17\xfc", 7) + std::string(1000, '\0');
  std::string png = "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", Be32(width) + Be32(height) + std::string("\x08\x06\0\0", 4) +
                                                               (interlaced ? "\x01" : std::string(1, '\0')));
  png += PngChunk("IDAT", data);
  if (!cut) png += PngChunk("IEND", "");
  return png;
}

std::string Riff(const std::string& tag, const std::string& data, std::uint32_t claimed = 0) {
  const std::uint32_t size = claimed != 0 ? claimed : static_cast<std::uint32_t>(data.size());
  return "RIFF" + Le32(4 + 8 + size) + "WEBP" + tag + Le32(size) + data;
}

// A lossy key frame of width x height (side x side) whose first partition
// is said to take partition bytes, with no data after its header.
std::string ClaimingLossyWebp(unsigned width, unsigned height, std::uint32_t partition) {
  const std::uint32_t tag = 1u << 4 | partition << 5;  // a key frame, shown
  const std::string header = Le16(tag & 0xFFFF) + std::string(1, static_cast<char>(tag >> 16)) + "\x9d\x01\x2a" +
                             Le16(width) + Le16(height) + std::string(3, '\0');
  return Riff("VP8 ", header, partition + 10);
}
std::string ClaimingLossyWebp(unsigned side, std::uint32_t partition) {
  return ClaimingLossyWebp(side, side, partition);
}

// A lossless picture of side x side whose every pixel is 0, coded in no
// bits: legitimately a few bytes (or only its header, when cut).
std::string ZeroLosslessWebp(unsigned side, bool cut) {
  const std::string data = testing_support::ZeroLossless(side, side);
  return Riff("VP8L", cut ? data.substr(0, 5) : data, static_cast<std::uint32_t>(data.size()));
}

// A BMP with its height field set to height.
std::string WithBmpHeight(std::string bmp, std::uint32_t height) { return bmp.replace(22, 4, Le32(height)); }

// The failure of reading every row of a file, or "no failure".
std::string Outcome(const std::string& bytes, std::size_t columns = 0) {
  return testing_support::FailureOf([&] {
    std::unique_ptr<PictureReader> picture = OpenPicture(FileBytes::FromMemory(bytes));
    if (columns != 0) picture = SizedPicture(std::move(picture), columns, columns / 2, columns, columns / 2);
    RowBand band;
    while (picture->ReadRows(picture->RowsPerBand(), band) > 0) {
    }
    return 0;
  });
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// How much more memory than the test program a child process that runs f
// takes at its peak; 0 under AddressSanitizer, whose shadow and quarantine
// are not the program's memory.
std::uint64_t ChildPeakGrowth(const std::function<void()>& f) {
  if (kSanitized) return 0;
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  const pid_t child = fork();
  if (child == 0) {
    try {
      f();
    } catch (...) {
    }
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return ~std::uint64_t{0};
  const std::uint64_t peak = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
  const std::uint64_t before = static_cast<std::uint64_t>(resident) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  return peak > before ? peak - before : 0;
}

struct Claim {
  const char* name;
  std::string bytes;
  const char* failure;
};

// Each is refused from its headers and the size of what follows them:
// whole files whose data cannot hold the picture are not valid; files cut
// short are a read error, as they would be when decoding reached their end.
TEST(DecoderLimits, FilesTooSmallForTheirPicturesAreRefused) {
  const Claim claims[] = {
      {"GIF, 16383 x 16383 with one code", ClaimingGif(16383, false, false), "Bitmap image is not valid"},
      {"GIF, interlaced, 16383 x 16383 with one code", ClaimingGif(16383, true, false), "Bitmap image is not valid"},
      {"GIF, interlaced, cut short", ClaimingGif(16383, true, true), "Stream read error"},
      {"PNG, interlaced, 16384 x 16383, cut short", ClaimingPng(16384, 16383, true, true), "Stream read error"},
      {"PNG, interlaced, 16384 x 16383, whole", ClaimingPng(16384, 16383, true, false), "Bitmap image is not valid"},
      {"WebP, lossy, 16383 x 16383 in a first partition of 100,000 bytes", ClaimingLossyWebp(16383, 100000),
       "Bitmap image is not valid"},
      {"WebP, lossy, 16383 x 16383, cut short", ClaimingLossyWebp(16383, 300000), "Stream read error"},
      {"WebP, lossless, 16383 x 16383, cut short", ZeroLosslessWebp(16383, true), "Stream read error"},
      {"PNG, 16384 x 16383, whole", ClaimingPng(16384, 16383, false, false), "Bitmap image is not valid"},
      // Past the most pixels a picture may have, its data is looked at
      // first: a file that only claims a huge picture is not one.
      {"GIF, 65535 x 65535 with one code", ClaimingGif(65535, false, false), "Bitmap image is not valid"},
      {"GIF, 65535 x 65535, cut short", ClaimingGif(65535, false, true), "Stream read error"},
      {"PNG, 20000 x 20000, whole", ClaimingPng(20000, 20000, false, false), "Bitmap image is not valid"},
      {"PNG, 20000 x 20000, cut short", ClaimingPng(20000, 20000, false, true), "Stream read error"},
      {"PNG, interlaced, 100000000 a side, cut short", ClaimingPng(100000000, 100000000, true, true),
       "Stream read error"},
      {"JPEG, 16385 x 16384, its scan cut to a few bytes", GrayJpeg(16385, 16384).substr(0, 150) + "\xFF\xD9",
       "Bitmap image is not valid"},
      {"JPEG, 16385 x 16384, cut short", GrayJpeg(16385, 16384).substr(0, 150), "Stream read error"},
      {"BMP, 20000 x 20000, cut short", WithBmpHeight(BlackBmp(20000, 1), 20000), "Stream read error"},
  };
  for (const Claim& claim : claims) {
    SCOPED_TRACE(claim.name);
    EXPECT_EQ(Outcome(claim.bytes), claim.failure);
    EXPECT_EQ(Outcome(claim.bytes, 100), claim.failure) << "sized";
    EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(claim.bytes); }), 16 * kMiB);
  }
}

// Opening bytes as a picture (its frame-th frame): the message of the
// refusal of its size, or of its failure, or "no failure".
std::string Refusal(const std::string& bytes, std::size_t frame = 0) {
  try {
    return testing_support::FailureOf([&] { return OpenFrame(FileBytes::FromMemory(bytes), {}, frame) != nullptr; });
  } catch (const PictureTooLarge& tooLarge) {
    return tooLarge.what();
  }
}

// A picture of each format just past the most pixels a picture may have,
// or the longest side, whose data holds every pixel: refused with its size
// from its headers, in little memory; one just within them is opened. A
// GIF's or WebP's frames are refused the same way.
TEST(DecoderLimits, PicturesPastTheLimitsAreRefusedWithTheirSize) {
  const std::string pixels = "The picture has 268451840 pixels (16385 by 16384), more than the 268435456 it may have.";
  const std::string wide = "The picture is 1048577 pixels wide (1048577 by 1), more than the 1048576 a side may have.";
  const std::string high = "The picture is 1048577 pixels high (1 by 1048577), more than the 1048576 a side may have.";
  struct Case {
    const char* name;
    std::string past, at;
    std::string refusal;
    bool frames;
  };
  const Case cases[] = {
      {"BMP, RLE8", BlackBmp(16385, 16384, true), BlackBmp(16384, 16384, true), pixels, false},
      {"BMP, wide", BlackBmp(1048577, 1), BlackBmp(1048576, 1), wide, false},
      {"BMP, high", BlackBmp(1, 1048577), BlackBmp(1, 1048576), high, false},
      {"PNG", BlackPng(16385, 16384), BlackPng(16384, 16384), pixels, false},
      {"PNG, wide", BlackPng(1048577, 1), BlackPng(1048576, 1), wide, false},
      {"JPEG", GrayJpeg(16385, 16384), GrayJpeg(16384, 16384), pixels, false},
      {"GIF", ScreenGif(16385, 16384), ScreenGif(16384, 16384), pixels, true},
      {"WebP", CanvasWebp(16385, 16384), CanvasWebp(16384, 16384), pixels, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(c.past.empty());
    EXPECT_EQ(Refusal(c.past), c.refusal);
    EXPECT_LT(ChildPeakGrowth([&] { (void)Refusal(c.past); }), 6 * kMiB);
    EXPECT_EQ(Refusal(c.at), "no failure");
    if (c.frames) {
      EXPECT_EQ(Refusal(c.past, 1), c.refusal) << "its second frame";
    }
  }
  // The pictures are made as the formats say: at a small size, mid-gray
  // (a DC coefficient of 0) and black.
  const std::string gray = GrayJpeg(20, 12), black = BlackPng(20, 12);
  EXPECT_EQ(testing_support::ReadAllPixels(*OpenPicture(FileBytes::FromMemory(gray))).pixels,
            std::vector<Rgb>(240, 0x808080));
  EXPECT_EQ(testing_support::ReadAllPixels(*OpenPicture(FileBytes::FromMemory(black))).pixels,
            std::vector<Rgb>(240, 0x000000));
}

// GIF frames far larger than their canvas, whose data holds every pixel:
// clipped to the canvas, as browsers clip them, in little memory. Neither
// the still picture nor the frames allocate a frame's claimed size; rows
// past the canvas are read and passed over, or left undecoded.
TEST(DecoderLimits, GifFramesLargerThanTheCanvasAreClippedInLittleMemory) {
  using testing_support::GifFrameOf;
  struct Case {
    const char* name;
    std::vector<GifFrameOf> frames;  // on a 16 x 8 screen
  };
  const Case cases[] = {
      {"65535 x 4100", {{0, 0, 65535, 4100, 0xFF0000}, {2, 2, 4, 4, 0x0000FF}}},
      {"65535 x 4100, interlaced", {{0, 0, 65535, 4100, 0xFF0000, true}, {2, 2, 4, 4, 0x0000FF}}},
      {"65535 x 65535", {{0, 0, 65535, 65535, 0xFF0000}, {2, 2, 4, 4, 0x0000FF}}},
      {"65535 x 4100, second, interlaced", {{2, 2, 4, 4, 0x0000FF}, {1, 3, 65535, 4100, 0xFF0000, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string gif = testing_support::GifOf(16, 8, c.frames);
    // What each frame leaves: its rectangle of its color, clipped to the
    // screen, over the ones before it.
    std::vector<std::vector<Rgb>> expected;
    std::vector<Rgb> canvas(16 * 8, 0xFFFFFF);
    for (const GifFrameOf& f : c.frames) {
      for (std::size_t y = f.top; y < std::min<std::size_t>(8, f.top + f.height); ++y) {
        for (std::size_t x = f.left; x < std::min<std::size_t>(16, f.left + f.width); ++x) canvas[y * 16 + x] = f.color;
      }
      expected.push_back(canvas);
    }
    const auto read = [&] {
      const FileBytes bytes = FileBytes::FromMemory(gif);
      std::vector<std::vector<Rgb>> frames = {testing_support::ReadAllPixels(*OpenPicture(bytes)).pixels};
      const std::unique_ptr<Frames> composed = ReadFrames(bytes, {});
      while (composed->Next())
        frames.push_back(testing_support::ReadAllPixels(*CanvasPicture(*composed, 0xFFFFFF)).pixels);
      return frames;
    };
    std::vector<std::vector<Rgb>> ours;
    ASSERT_EQ(testing_support::FailureOf([&] { return ours = read(), 0; }), "no failure");
    ASSERT_EQ(ours.size(), expected.size() + 1);
    EXPECT_EQ(ours[0], expected[0]) << "the still picture";
    for (std::size_t f = 0; f < expected.size(); ++f) EXPECT_EQ(ours[f + 1], expected[f]) << "frame " << f + 1;
    EXPECT_LT(ChildPeakGrowth([&] { (void)read(); }), 2 * gif.size() + 6 * kMiB);
  }
}

// A GIF of width x height in one picture, its LZW data dataBytes of clear
// codes in sub-blocks, then the trailer; interlaced or not.
std::string GifOfClearCodes(unsigned width, unsigned height, bool interlaced, std::size_t dataBytes) {
  std::string gif = "GIF89a" + Le16(width) + Le16(height) + std::string("\x80\0\0\0\0\0\xff\xff\xff", 9);
  gif += "," + Le16(0) + Le16(0) + Le16(width) + Le16(height) + std::string(1, interlaced ? '\x40' : '\0');
  gif += '\x02';  // LZW codes of 3 bits: 4, the clear code, is 100
  for (std::size_t left = dataBytes; left > 0;) {
    const std::size_t block = std::min<std::size_t>(left, 255);
    gif += static_cast<char>(block);
    // 100 100 100 ... packed from the lowest bit: 8 codes in 3 bytes.
    for (std::size_t i = 0; i < block; ++i) gif += "\x24\x49\x92"[i % 3];
    left -= block;
  }
  return gif + std::string("\0;", 2);
}

// Each format refuses a file that claims one pixel (or block, or
// macroblock) more than its data could hold, and takes one that claims
// exactly as many, each within the memory it should take. The claims are
// made of the bounds as the readers state them.
TEST(DecoderLimits, ClaimsAtEachBoundAreTakenAndJustPastItRefused) {
  struct Bound {
    const char* name;
    std::string at, past;
    std::uint64_t budget;  // of the file at the bound
  };
  // GIF: 4,096 pixels a byte of what follows the picture's descriptor, and
  // two bytes more. 8 KiB of clear codes, interlaced: the picture is held
  // whole, a byte a pixel.
  constexpr std::size_t kGifData = 8192;
  const std::size_t gifLeft = (kGifData + 254) / 255 + kGifData + 2;  // block sizes, data, end
  const auto gifRows = static_cast<unsigned>(gifLeft + 2);
  // PNG: 1,032 bytes of rows a byte of what follows IHDR's data, and one byte
  // more; a row of a one-pixel RGBA picture is 5 bytes.
  const std::string png = ClaimingPng(1, 1, false, false);
  const std::uint64_t pngLeft = png.size() - 29;  // after the signature, IHDR's head and data
  const auto pngRows = static_cast<std::uint32_t>((pngLeft + 1) * 1032 / 5);
  // Lossy WebP: 8 macroblocks a byte of the first partition, and 64 more;
  // a row of 16 x 16 macroblocks.
  const std::uint32_t partition = 100;
  const unsigned macroblocks = 8 * partition + 64;
  const Bound bounds[] = {
      {"GIF, interlaced, 8 KiB of clear codes", GifOfClearCodes(4096, gifRows, true, kGifData),
       GifOfClearCodes(4096, gifRows + 1, true, kGifData), 4096 * gifRows + 6 * kMiB},
      {"GIF, 8 KiB of clear codes", GifOfClearCodes(4096, gifRows, false, kGifData),
       GifOfClearCodes(4096, gifRows + 1, false, kGifData), 6 * kMiB},
      {"PNG, a kilobyte of zeros", ClaimingPng(1, pngRows, false, false), ClaimingPng(1, pngRows + 1, false, false),
       6 * kMiB},
      {"WebP, lossy", ClaimingLossyWebp(16 * macroblocks, 16, partition),
       ClaimingLossyWebp(16 * macroblocks + 1, 16, partition), 6 * kMiB},
  };
  // Whether the file is taken when it is opened, before any pixel.
  const auto opened = [](const std::string& bytes) {
    return testing_support::FailureOf([&] { return OpenPicture(FileBytes::FromMemory(bytes)) != nullptr; });
  };
  for (const Bound& bound : bounds) {
    SCOPED_TRACE(bound.name);
    EXPECT_EQ(opened(bound.past), "Bitmap image is not valid") << "one more than the data can hold";
    EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(bound.past); }), 6 * kMiB);
    EXPECT_EQ(opened(bound.at), "no failure") << "as many as the data can hold";
    EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(bound.at); }), bound.budget);
  }
  // Far past the bound: 16383 x 16383 interlaced from the same 8 KiB.
  const std::string huge = GifOfClearCodes(16383, 16383, true, kGifData);
  EXPECT_EQ(Outcome(huge), "Bitmap image is not valid");
  EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(huge); }), 6 * kMiB);
}

class DecoderMemory : public testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HaveImageMagick())
      GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
    dir_ = fs::temp_directory_path() / ("morvexa-limits-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The file ImageMagick writes from its arguments, as bytes.
  std::string Written(const std::string& args, const std::string& name) {
    const fs::path file = dir_ / name;
    EXPECT_TRUE(testing_support::Convert(args + " '" + file.string() + "'"));
    return testing_support::ReadFile(file);
  }

  // The output of a shell command, as bytes.
  std::string Output(const std::string& command, const std::string& name) {
    const fs::path file = dir_ / name;
    EXPECT_EQ(std::system((command + " >'" + file.string() + "'").c_str()), 0) << command;
    return testing_support::ReadFile(file);
  }
  std::string Path(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

  fs::path dir_;
};

// The frame header's height and width set to side.
std::string WithJpegSide(std::string jpeg, unsigned side) {
  std::size_t frame = jpeg.find("\xFF\xC2", 0, 2);
  if (frame == std::string::npos) frame = jpeg.find("\xFF\xC0", 0, 2);
  if (frame == std::string::npos) frame = jpeg.find("\xFF\xC9", 0, 2);
  if (frame != std::string::npos) {
    const std::string size = {static_cast<char>(side >> 8), static_cast<char>(side & 0xFF)};
    jpeg.replace(frame + 5, 4, size + size);
  }
  return jpeg;
}

// The file with the scan that starts last repeated times more.
std::string WithLastScanRepeated(const std::string& jpeg, int times) {
  const std::size_t last = jpeg.rfind("\xFF\xDA", std::string::npos, 2);
  const std::string scan = jpeg.substr(last, jpeg.size() - 2 - last);
  std::string out = jpeg.substr(0, jpeg.size() - 2);
  for (int i = 0; i < times; ++i) out += scan;
  return out + "\xFF\xD9";
}

// Read band by band, a picture takes a few rows' worth of memory unless
// its format needs it whole (an interlaced GIF a byte a pixel, an
// interlaced PNG four). Asked for 100 columns, libwebp scales a lossy
// picture as it decodes, and interlaced PNG and GIF pictures are reduced
// as their passes come; a lossless WebP libwebp holds whole, at four bytes
// a pixel, however small the file.
TEST_F(DecoderMemory, EachFormatHoldsOnlyWhatItMust) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t columns;  // 0: unsized
    std::uint64_t budget;
  };
  const std::string checkers = "-size 4096x4096 pattern:checkerboard", plasma = "-size 2048x2048 -seed 4 plasma:";
  const Case cases[] = {
      {"GIF", Written(checkers, "a.gif"), 0, 6 * kMiB},
      {"GIF, interlaced", Written(checkers + " -interlace GIF", "b.gif"), 0, 16 * kMiB + 6 * kMiB},
      {"GIF, interlaced, sized", testing_support::ReadFile(dir_ / "b.gif"), 100, 6 * kMiB},
      {"PNG, 16 bits a channel, interlaced", Written(checkers + " -alpha set -depth 16 -interlace PNG", "a.png"), 0,
       64 * kMiB + 6 * kMiB},
      {"PNG, 16 bits a channel, interlaced, sized", testing_support::ReadFile(dir_ / "a.png"), 100, 6 * kMiB},
      // 800 x 400 averages, as the samples of 100 columns of shapes: 7.5 MB
      // of sums, not the 64 MB of the picture.
      {"PNG, 16 bits a channel, interlaced, sized for shapes", testing_support::ReadFile(dir_ / "a.png"), 800,
       800 * 400 * 24 + 6 * kMiB},
      {"GIF, interlaced, sized for shapes", testing_support::ReadFile(dir_ / "b.gif"), 800, 800 * 400 * 24 + 6 * kMiB},
      {"WebP, lossy", Written(plasma + " -quality 80", "a.webp"), 0, 6 * kMiB},
      {"WebP, lossy, sized", testing_support::ReadFile(dir_ / "a.webp"), 100, 6 * kMiB},
      {"WebP, lossy with alpha, sized", Written(plasma + " -alpha set -channel A -fx 'i/w' -quality 80", "b.webp"), 100,
       2048 * 2048 * 5 + 6 * kMiB},
      {"WebP, lossless, sized", Written(plasma + " -define webp:lossless=true", "c.webp"), 100,
       2048 * 2048 * 4 + 6 * kMiB},
      {"WebP, lossless, 2048 x 2048 in 28 bytes, sized", ZeroLosslessWebp(2048, false), 100,
       2048 * 2048 * 4 + 6 * kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Outcome(c.bytes, c.columns), "no failure");
    EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(c.bytes, c.columns); }), c.budget);
  }
}

// A picture of few colors drawn at a size is read twice, its colors
// counted first: one reader at a time, so that what its decoder holds (a
// lossless WebP: the picture, four bytes a pixel) is held once.
TEST_F(DecoderMemory, APictureReadTwiceIsHeldOnceAtATime) {
  const fs::path file = dir_ / "zero.webp";
  testing_support::WriteFile(file, ZeroLosslessWebp(4096, false));
  PictureOptions options;
  options.width = 100;
  const auto draw = [&] {
    MemoryCharList list;
    MemoryArtArea art;
    ConvertPicture(Picture::Open(file), options, list, art);
    return art.LineCount();
  };
  EXPECT_EQ(draw(), 50u);
  EXPECT_LT(ChildPeakGrowth([&] { (void)draw(); }), 4096 * 4096 * 4 + 16 * kMiB);
}

// A still GIF, and an animation's first frame drawn alone, are read from
// the file a few rows at a time, as the one reader of pictures gives them:
// no canvas is made for them (at 4096 x 4096, it would take 64 MB).
TEST_F(DecoderMemory, AStillOrAFirstFrameAloneTakesNoCanvas) {
  using testing_support::GifFrameOf;
  testing_support::WriteFile(dir_ / "still.gif", testing_support::GifOf(4096, 4096, {{0, 0, 4096, 4096, 0xFF0000}}));
  testing_support::WriteFile(
      dir_ / "two.gif", testing_support::GifOf(4096, 4096, {{0, 0, 4096, 4096, 0xFF0000}, {8, 8, 4, 4, 0x0000FF}}));
  const auto read = [](Picture picture) {
    const std::unique_ptr<PictureReader> reader = std::move(picture).TakeReader();
    RowBand band;
    std::size_t rows = 0;
    while (const std::size_t got = reader->ReadRows(reader->RowsPerBand(), band)) rows += got;
    return rows;
  };
  const auto still = [&] {
    PictureFile file = PictureFile::Open(dir_ / "still.gif");
    return !file.Animated() && file.Next() ? read(file.Frame()) : 0;
  };
  const auto first = [&] { return read(PictureFile::Open(dir_ / "two.gif").Still()); };
  EXPECT_EQ(still(), 4096u);
  EXPECT_EQ(first(), 4096u);
  EXPECT_LT(ChildPeakGrowth([&] { (void)still(); }), 6 * kMiB);
  EXPECT_LT(ChildPeakGrowth([&] { (void)first(); }), 6 * kMiB);
}

// JPEG files that claim more blocks than their first scan holds, and
// progressions that repeat scans or have far too many, are refused before
// libjpeg passes over them; legitimate files near each bound are drawn.
TEST_F(DecoderMemory, JpegFilesAreDecodedOnlyAsFarAsTheirDataGoes) {
  if (std::system("cjpeg -version </dev/null >/dev/null 2>&1") != 0)
    GTEST_FAIL() << "cjpeg is not installed, though scripts/test installs it";
  ASSERT_TRUE(testing_support::Convert("-size 64x64 -seed 3 plasma: " + Path("small.ppm")));
  ASSERT_TRUE(testing_support::Convert("-size 4096x4096 xc:gray50 " + Path("flat.ppm")));
  const std::string progressive = Output("cjpeg -progressive -sample 1x1 " + Path("small.ppm"), "p.jpg");
  // Each coefficient of each component refined from its tenth bit down: 44
  // scans, the longest progression of whole bands there can be.
  std::string longest = "0,1,2: 0 0 0 10;\n";
  for (int a = 10; a > 0; --a) longest += "0,1,2: 0 0 " + std::to_string(a) + " " + std::to_string(a - 1) + ";\n";
  std::string bands = "0,1,2: 0 0 0 0;\n";
  for (int c = 0; c < 3; ++c) {
    longest += std::to_string(c) + ": 1 63 0 10;\n";
    for (int a = 10; a > 0; --a) {
      longest += std::to_string(c) + ": 1 63 " + std::to_string(a) + " " + std::to_string(a - 1) + ";\n";
    }
    for (int k = 1; k < (c == 0 ? 64 : c == 1 ? 21 : 1); ++k)
      bands += std::to_string(c) + ": " + std::to_string(k) + " " + std::to_string(k) + " 0 0;\n";
  }
  testing_support::WriteFile(dir_ / "spectral.txt", "0,1,2: 0 0 0 0;\n0: 1 63 0 0;\n1: 1 63 0 0;\n2: 1 63 0 0;\n");
  testing_support::WriteFile(dir_ / "longest.txt", longest);
  testing_support::WriteFile(dir_ / "bands.txt", bands);
  const Claim cases[] = {
      {"progressive, 16383 x 16383 claimed", WithJpegSide(progressive, 16383), "Bitmap image is not valid"},
      {"progressive, 16383 x 16383 claimed, cut short",
       WithJpegSide(progressive, 16383).substr(0, progressive.size() - 2), "Stream read error"},
      {"baseline, 16383 x 16383 claimed", WithJpegSide(Output("cjpeg " + Path("small.ppm"), "b.jpg"), 16383),
       "Bitmap image is not valid"},
      {"baseline, 4096 x 4096 of one color", Output("cjpeg " + Path("flat.ppm"), "f.jpg"), "no failure"},
      {"arithmetic, 4096 x 4096 of one color", Output("cjpeg -arithmetic -progressive " + Path("flat.ppm"), "a.jpg"),
       "no failure"},
      {"progressive, its last scan repeated", WithLastScanRepeated(progressive, 10), "Bitmap image is not valid"},
      {"progressive, its last first scan of coefficients repeated",
       WithLastScanRepeated(Output("jpegtran -scans " + Path("spectral.txt") + " " + Path("p.jpg"), "r.jpg"), 10),
       "Bitmap image is not valid"},
      {"progressive, 44 scans", Output("jpegtran -scans " + Path("longest.txt") + " " + Path("p.jpg"), "l.jpg"),
       "no failure"},
      {"progressive, 84 scans, one coefficient each",
       Output("jpegtran -scans " + Path("bands.txt") + " " + Path("p.jpg"), "s.jpg"), "Bitmap image is not valid"},
  };
  for (const Claim& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Outcome(c.bytes), c.failure);
    if (c.failure != std::string("no failure")) {
      EXPECT_LT(ChildPeakGrowth([&] { (void)Outcome(c.bytes); }), 16 * kMiB);
    }
  }

  // At the bounds of the first scan: 8 blocks a byte of it for Huffman
  // codes, 2^19 for arithmetic ones (counted from the scan's data to the
  // file's end). A gray picture one block high, or a scan cut to two bytes.
  const auto opened = [](const std::string& bytes) {
    return testing_support::FailureOf([&] { return OpenPicture(FileBytes::FromMemory(bytes)) != nullptr; });
  };
  ASSERT_TRUE(testing_support::Convert("-size 16x16 -seed 3 plasma: -colorspace gray " + Path("gray.pgm")));
  const std::string huffman = Output("cjpeg -grayscale " + Path("gray.pgm"), "g.jpg");
  const std::string arithmetic = Output("cjpeg -grayscale -arithmetic " + Path("gray.pgm"), "a.jpg");
  const auto dataStart = [](const std::string& jpeg) {
    const std::size_t scan = jpeg.find("\xFF\xDA", 0, 2);
    return scan + 2 + (static_cast<unsigned char>(jpeg[scan + 2]) << 8 | static_cast<unsigned char>(jpeg[scan + 3]));
  };
  const auto sized = [](std::string jpeg, unsigned width, unsigned height) {
    std::size_t frame = jpeg.find("\xFF\xC0", 0, 2);                      // baseline
    if (frame == std::string::npos) frame = jpeg.find("\xFF\xC9", 0, 2);  // arithmetic
    jpeg[frame + 5] = static_cast<char>(height >> 8), jpeg[frame + 6] = static_cast<char>(height & 0xFF);
    jpeg[frame + 7] = static_cast<char>(width >> 8), jpeg[frame + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
  };
  const auto huffmanLeft = static_cast<unsigned>(huffman.size() - dataStart(huffman));
  ASSERT_LE(64 * huffmanLeft + 8, 65535u) << "a small file";
  const std::string cut = arithmetic.substr(0, dataStart(arithmetic) + 2) + "\xFF\xD9";
  const struct {
    const char* name;
    std::string at, past;
  } bounds[] = {
      {"Huffman", sized(huffman, 64 * huffmanLeft, 8), sized(huffman, 64 * huffmanLeft + 8, 8)},
      {"arithmetic, 4 bytes", sized(cut, 8192, 16384), sized(cut, 8192, 16384 + 8)},
  };
  for (const auto& bound : bounds) {
    SCOPED_TRACE(bound.name);
    EXPECT_EQ(opened(bound.at), "no failure") << "as many blocks as the scan can hold";
    EXPECT_EQ(opened(bound.past), "Bitmap image is not valid") << "one more";
    EXPECT_LT(ChildPeakGrowth([&] { (void)opened(bound.past); }), 6 * kMiB);
  }
}

}  // namespace
}  // namespace morvexa
