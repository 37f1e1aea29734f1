// Fuzzes the picture readers of every format and the conversion to art,
// and the frames of animations: any bytes must make art (or frames) or fail
// with one of the two reading failures, never crash, hang or read out of
// bounds; a picture larger than the limits is refused as such.
#include <cstddef>
#include <cstdint>
#include <string>

#include "decode/frames.h"
#include "decode/open_picture.h"
#include "morvexa/art_size.h"
#include "morvexa/convert_picture.h"
#include "morvexa/failure.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvexa;
  // Small limits keep each run quick; the checks behind them are the same.
  ReadSettings settings;
  settings.maxPixels = 1u << 18;
  // The last byte, when there is one, picks a way to convert.
  PictureOptions options;
  const int way = size > 0 ? data[size - 1] % 5 : 0;
  if (way == 1 || way >= 3) options.width = 7;
  if (way == 2) options.way = Ramp{};
  if (way == 3) options.way = Shapes{true};
  if (way == 4) options.way = Blocks{BlockKind::Quadrants};
  try {
    auto picture = OpenPicture(FileBytes::FromMemory(std::string(data, data + size)), settings);
    const std::size_t height = options.Plain() ? picture->Height() : 0;
    MemoryArtArea area;
    MemoryCharList list;
    ConvertPicture(Picture(std::move(picture)), options, list, area);
    if ((options.Plain() && area.LineCount() != height) || list.Count() > 95) __builtin_trap();
  } catch (const Failure& failure) {
    const auto kind = failure.Kind();
    if (kind != FailureKind::StreamReadError && kind != FailureKind::BitmapNotValid) __builtin_trap();
  } catch (const PictureTooLarge&) {
  }
  // An animation's frames, composed one after another as they are played,
  // and one picked by number (the byte before the last) as --frame picks it.
  try {
    const FileBytes bytes = FileBytes::FromMemory(std::string(data, data + size));
    if (HoldsFrames(bytes)) {
      if (const std::unique_ptr<Frames> frames = ReadFrames(bytes, settings)) {
        for (int frame = 0; frame < 64 && frames->Next(); ++frame) {
          const PixelImage image = ReadWhole(*CanvasPicture(*frames, 0xFFFFFF));
          if (image.width != frames->Width() || image.height != frames->Height() || frames->Delay() < 20) {
            __builtin_trap();
          }
        }
      }
    }
    if (size > 1) (void)ReadWhole(*OpenFrame(bytes, settings, data[size - 2] % 4));
  } catch (const Failure& failure) {
    const auto kind = failure.Kind();
    if (kind != FailureKind::StreamReadError && kind != FailureKind::BitmapNotValid) __builtin_trap();
  } catch (const NoSuchFrame&) {
  } catch (const PictureTooLarge&) {
  }
  return 0;
}
