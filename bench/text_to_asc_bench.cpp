// Text to art on 1,000 characters: 16 lines of 16,000 bytes (one-byte
// symbols) or 32,000 bytes (two-byte symbols), in bytes of art per second.
// The baseline writes the same bytes into the same kind of line buffer and
// art area, with no glyphs involved.
#include <benchmark/benchmark.h>

#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/text_to_asc.h"

namespace morvexa {
namespace {

ByteString ThousandCharacters() {
  ByteString text;
  for (int i = 0; i < 1000; ++i) {
    text += static_cast<char>(0xB0 + i % 40);
    text += static_cast<char>(0xA1 + i * 7 % 94);
  }
  return text;
}

struct Symbols {
  ByteString fore, back;
};
Symbols SymbolsOfWidth(int64_t width) { return width == 1 ? Symbols{"$", " "} : Symbols{"\xA1\xF6", "\xA1\xA1"}; }

void BM_TextToAsc(benchmark::State& state) {
  const ByteString text = ThousandCharacters();
  const Symbols symbols = SymbolsOfWidth(state.range(0));
  MemoryArtArea area;
  MemoryCharList list;
  for (auto _ : state) {
    auto result = TextToAsc(text, symbols.fore, symbols.back, list, area);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(area.Text().size()));
}
BENCHMARK(BM_TextToAsc)->Arg(1)->Arg(2);

void BM_TextToAsc_Baseline(benchmark::State& state) {
  const std::size_t lineBytes = 1000 * 16 * static_cast<std::size_t>(state.range(0));
  MemoryArtArea area;
  MemoryCharList list;
  ByteString line(lineBytes, '\0');
  for (auto _ : state) {
    list.Clear();
    area.Clear();
    for (std::size_t r = 0; r < 16; ++r) {
      std::fill(line.begin(), line.end(), static_cast<char>('!' + r));
      area.WriteLine(r, line);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(area.Text().size()));
}
BENCHMARK(BM_TextToAsc_Baseline)->Arg(1)->Arg(2);

}  // namespace
}  // namespace morvexa
