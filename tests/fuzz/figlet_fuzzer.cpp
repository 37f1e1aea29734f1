// Fuzzes the reading of FIGlet and TOIlet fonts (zipped ones too) and the
// layout of text in them: any bytes must make a font, or be refused with
// a reason, never crash, hang or read out of bounds; a font lays out any
// text in every layout.
#include <cstddef>
#include <cstdint>
#include <string>

#include "morvexa/failure.h"
#include "morvexa/figlet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvexa;
  // The last byte, when there is one, picks the layout and the width.
  const int pick = size > 0 ? data[size - 1] : 0;
  try {
    const FigletFont font = FigletFont::Parse(std::string(data, data + size), "fuzzed");
    FigletLayout layout;
    layout.mode = static_cast<FigletLayout::Mode>(pick % 6);
    layout.number = pick % 7 == 0 ? -1 : pick;
    layout.direction = static_cast<FigletLayout::Direction>(pick / 6 % 3);
    layout.justify = static_cast<FigletLayout::Justify>(pick / 18 % 4);
    layout.width = static_cast<std::size_t>(pick % 40);
    const std::u32string text = U"Hi, {x}/\\_ |y|\n\u00C4 \u4F60 wrap these words\ttoo";
    const auto lines = FigletLines(font, text, layout);
    if (lines.size() % static_cast<std::size_t>(font.height) != 0) __builtin_trap();
  } catch (const Failure& failure) {
    if (failure.Cause().refusal.empty()) __builtin_trap();
  }
  return 0;
}
