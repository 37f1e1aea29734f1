#pragma once

#include <gif_lib.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "files/file_bytes.h"
#include "morvexa/color.h"
#include "morvexa/read_settings.h"

// What the GIF readers share: the file handed to giflib, and its failures.
namespace morvexa {

// Reads the file for giflib, noting whether it ended early. giflib asks for
// a few bytes at a time; they are read from the file a buffer at a time.
struct GifInput {
  const FileBytes* file = nullptr;
  std::uint64_t at = 0;  // the next byte giflib is handed
  bool ended = false;
  std::vector<unsigned char> buffer = {};  // the file's bytes from bufferAt
  std::uint64_t bufferAt = 0;
};

int ReadGifInput(GifFileType* gif, GifByteType* out, int length);

// "Stream read error" when the file ended early, "Bitmap image is not
// valid" otherwise; saying, for the command line, that the file is cut
// short when it ended early or giflib's error (gifError) says a frame's
// data did.
[[noreturn]] void FailGif(const GifInput& input, int gifError = 0);

struct CloseGif {
  void operator()(GifFileType* gif) const;
};
using GifHandle = std::unique_ptr<GifFileType, CloseGif>;

// giflib opened on input (which must stay where it is); fails as FailGif.
GifHandle OpenGif(GifInput& input);

// A GIF read from its start with giflib's record reader, a frame at a time
// and never the whole file at once: each frame's descriptor, the graphic
// control before it and, on the way, the loop count. Both GIF readers read
// through it: the first frame's, streamed as a still picture is
// (gif_reader), and the canvas's, frame after frame (gif_frames).
class GifRecords {
 public:
  // Opens the file and reads to its first frame's descriptor; a file of no
  // frame fails as FailGif.
  explicit GifRecords(const FileBytes& file);
  GifRecords(const GifRecords&) = delete;
  GifRecords& operator=(const GifRecords&) = delete;

  GifFileType& Gif() { return *gif_; }
  const GifFileType& Gif() const { return *gif_; }
  const GifInput& Input() const { return input_; }
  // The graphic control of the frame whose descriptor was read last: its
  // transparent index, disposal method and delay in hundredths of a second.
  const GraphicsControlBlock& Control() const { return control_; }
  // How many times the frames are played (0 for ever), as the first loop
  // count read so far says; nothing before one is read.
  std::optional<int> Plays() const { return plays_; }

  // Reads the records up to the next frame's descriptor, once the frame
  // before has been read or passed over (GifRows::Finish); false at the
  // file's end. A file that ends between two frames ends the animation, as
  // browsers end it.
  bool NextFrame();

 private:
  // A read that failed between frames: the end, unless the file is not cut.
  bool Ended() const;

  GifInput input_;
  GifHandle gif_;
  GraphicsControlBlock control_{};
  std::optional<int> plays_;
};

// The colors of the frame whose descriptor giflib read last (GifColors),
// black past its color map.
std::array<Rgb, 256> GifPalette(const GifFileType& gif);

// Reads the image descriptor of the next frame, as DGifGetImageDesc does,
// and drops the record giflib adds to for each frame it reads the
// descriptor of: the frames here are read one at a time and never looked
// back at, and giflib grows that record a frame at a time, copying it whole
// each time under some allocators, so that a file of a million tiny frames
// would take hours. False when the descriptor cannot be read.
bool ReadGifImageDesc(GifFileType& gif);

// The rows of an interlaced picture come in four passes: every 8th from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
inline constexpr std::size_t kGifPasses = 4;
inline constexpr std::size_t kGifPassStart[kGifPasses] = {0, 4, 2, 1}, kGifPassStep[kGifPasses] = {8, 8, 4, 2};

// How many pixels LZW data of some bytes can stand for, at most. A code
// stands for a string one pixel longer than the longest in the table when
// it was read, and the table holds 4,096 strings, so a code gives at most
// 4,096 pixels; a code is at least log2 of the table's size wide, so over
// the whole table the most a bit can give is 4,096 / 12 = 342 pixels, 2,731
// a byte. 4,096 a byte (and a code's worth more) leaves a margin.
inline constexpr std::uint64_t kMostGifPixelsPerByte = 4096;

// Refuses a picture of width x height pixels that the rest of the file
// (from input.at) is too short to hold, before anything is decoded: "Stream
// read error" as for a file cut short, unless the file ends with the GIF
// trailer, whole and wrong.
void CheckGifData(const GifInput& input, std::uint64_t width, std::uint64_t height);

// A frame's place, as its image descriptor gives it, and the part of it a
// canvas shows: frames are clipped to the canvas, as browsers clip them.
struct GifFrame {
  std::size_t left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  // Where the part on the canvas starts (the frame's corner, or the
  // canvas's far edge when it lies outside), and its size: 0 x 0 for a
  // frame wholly outside.
  std::size_t shownLeft = 0, shownTop = 0, shownWidth = 0, shownHeight = 0;

  void ClipTo(std::size_t canvasWidth, std::size_t canvasHeight);
};

// The frame whose descriptor giflib read last. A frame of no pixels is "Bitmap
// image is not valid"; one the rest of the file is too short for fails as
// CheckGifData says.
GifFrame ReadGifFrame(const GifInput& input, const GifFileType& gif);

// The canvas of a GIF: its logical screen, widened to hold the first frame
// as browsers widen it; but when that would pass the limits of settings and
// the screen is not empty, the screen, the first frame clipped to it as
// later ones are. A canvas past the limits is refused (PictureTooLarge).
struct GifCanvas {
  std::size_t width = 0, height = 0;
};
GifCanvas GifCanvasOf(const GifFileType& gif, const GifFrame& first, const ReadSettings& settings);

// The colors of the frame whose descriptor giflib read last: its own color
// map, or the file's; "Bitmap image is not valid" when it has none.
const ColorMapObject& GifColors(const GifFileType& gif);

// The rows of the frame whose descriptor giflib read last, as the file holds
// them (in four passes when interlaced), handed out while they are on the
// canvas: rows below it are read and passed over, one line of the frame
// held at a time, and once every row on the canvas is out the rest of the
// frame's data is passed over undecoded (Finish).
class GifRows {
 public:
  GifRows(GifFileType& gif, const GifInput& input, const GifFrame& frame);

  // The next row on the canvas: its place in the frame (y) and its first
  // shownWidth color indices; nullptr when no row on the canvas is left.
  const GifPixelType* Next(std::size_t& y);
  // Reads to the end of the frame's data, so that the next record can be read.
  void Finish();

 private:
  GifFileType& gif_;
  const GifInput& input_;
  GifFrame frame_;
  std::vector<GifPixelType> line_;
  std::size_t pass_ = 0, y_ = 0;  // the next row the file holds
  std::size_t read_ = 0;          // rows read
  std::size_t shown_ = 0;         // rows handed out
};

// The transparent index of a graphic control extension's block, its
// disposal method and its delay in hundredths of a second; nothing when the
// block is not one.
bool ReadGraphicControl(const GifByteType* extension, GraphicsControlBlock& control);

}  // namespace morvexa
