// Banners of 5,000 characters of mixed text (ASCII, simplified and
// traditional Chinese, Hangul, kana) in the built-in font, in bytes of art
// per second: one row of banner, or rows wrapped at 200 columns; one-byte or
// two-byte symbols. The baseline writes the same bytes to a file, as the art
// is saved; the goal is at least 0.5x (drawing within twice the time of
// writing).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "morvexa/cp936.h"
#include "morvexa/memory_art_area.h"
#include "text/banner.h"

namespace morvexa {
namespace {

std::u32string MixedText() {
  const std::u32string sample = *cp936::Utf8Decode("Hello, 世界! 繁體中文 한글 かなカナ 2026 Morvexa 字符画 ");
  std::u32string text;
  while (text.size() < 5000) text += sample;
  text.resize(5000);
  return text;
}

TextSymbols SymbolsOfWidth(int64_t width) {
  return width == 1 ? TextSymbols{"$", " ", false} : TextSymbols{"\xA1\xF6", "\xA1\xA1", false};
}

BannerOptions OptionsOf(const benchmark::State& state) {
  BannerOptions options;
  options.wrapColumns = static_cast<std::size_t>(state.range(1));
  return options;
}

void BM_Banner(benchmark::State& state) {
  const std::u32string text = MixedText();
  const TextSymbols symbols = SymbolsOfWidth(state.range(0));
  const BannerOptions options = OptionsOf(state);
  MemoryArtArea area;
  for (auto _ : state) {
    BuiltInGlyphs glyphs;
    auto rows = DrawBanner(text, glyphs, symbols, options, area);
    benchmark::DoNotOptimize(rows);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(area.Text().size()));
}
BENCHMARK(BM_Banner)->Args({1, 0})->Args({2, 0})->Args({1, 200})->Args({2, 200});

// Writing the banner's bytes: its lines, each with its CR LF, written to a
// file in chunks of 1 MB as the art is saved (the file emptied, untimed,
// between runs).
void BM_Banner_Baseline(benchmark::State& state) {
  ByteString art;
  {
    MemoryArtArea drawn;
    BuiltInGlyphs glyphs;
    (void)DrawBanner(MixedText(), glyphs, SymbolsOfWidth(state.range(0)), OptionsOf(state), drawn);
    art = drawn.Text();
  }
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "morvexa-banner-bench.txt";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create the bench file");
  constexpr std::size_t kChunk = 1 << 20;
  for (auto _ : state) {
    for (std::size_t at = 0; at < art.size();) {
      const ssize_t n = ::write(fd, art.data() + at, std::min(kChunk, art.size() - at));
      if (n <= 0) throw std::runtime_error("cannot write the bench file");
      at += static_cast<std::size_t>(n);
    }
    state.PauseTiming();
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) throw std::runtime_error("cannot empty the file");
    state.ResumeTiming();
  }
  ::close(fd);
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(art.size()));
}
BENCHMARK(BM_Banner_Baseline)->Args({1, 0})->Args({2, 0})->Args({1, 200})->Args({2, 200});

}  // namespace
}  // namespace morvexa
