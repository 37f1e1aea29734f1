// Fuzzes the BMP decoder and picture to art: any bytes must decode or fail
// with one of the decoder's failures, never crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "bmp_reader.h"
#include "failure.h"
#include "memory_art_area.h"
#include "memory_char_list.h"
#include "picture_to_asc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvexa;
  try {
    // Small limits keep each run quick; the checks behind them are the same.
    const auto picture = ReadBmp(FileBytes::FromMemory(std::string(data, data + size)), BmpLimits{1u << 18});
    MemoryArtArea area;
    MemoryCharList list;
    PictureToAsc(*picture, list, area);
    if (area.LineCount() != picture->Height() || list.Count() > 95) __builtin_trap();
  } catch (const Failure& failure) {
    const auto kind = failure.Kind();
    if (kind != FailureKind::StreamReadError && kind != FailureKind::BitmapNotValid) __builtin_trap();
  }
  return 0;
}
