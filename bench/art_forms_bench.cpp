// Writing a 4096 x 4096 picture's art, with the color of every cell, in
// each form, beside writing its code page 936 form (the baseline, in bytes
// of art per second): the goal is within 2x. "photo" has a color of its own
// in nearly every cell, the worst case for the colored forms (a span or an
// escape per cell); "four" has long runs of one color. The output is
// counted, as a sink that keeps nothing.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "bench_pictures.h"
#include "convert/picture_to_asc.h"
#include "decode/open_picture.h"
#include "morvexa/art_writer.h"
#include "morvexa/memory_art_area.h"
#include "morvexa/memory_char_list.h"

namespace morvexa {
namespace {

struct ColoredArt {
  std::vector<ByteString> lines;
  std::vector<std::vector<Rgb>> colors;
  std::size_t bytes = 0;
};

const ColoredArt& Art(const std::string& kind) {
  static std::map<std::string, ColoredArt> arts;
  auto [it, added] = arts.try_emplace(kind);
  if (added) {
    MemoryArtArea area;
    area.KeepColors();
    MemoryCharList list;
    const auto picture = OpenPicture(bench::BenchBmpFile(kind));
    PictureToAsc(*picture, list, area);
    for (std::size_t i = 0; i < area.LineCount(); ++i) {
      it->second.lines.push_back(area.GetLine(i));
      std::vector<Rgb> paper;
      area.ColorsOf(i, it->second.colors.emplace_back(), paper);
      it->second.bytes += it->second.lines.back().size();
    }
  }
  return it->second;
}

// A file written in chunks of 1 MB.
class ChunkedFile {
 public:
  ChunkedFile() : path_(bench::BenchBmpFile("four", 16).parent_path() / "art.out") {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    buffer_.reserve(kChunk);
  }
  ~ChunkedFile() { ::close(fd_); }

  void Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kChunk) Flush();
    buffer_ += bytes;
    written_ += bytes.size();
  }
  void Flush() {
    for (std::size_t at = 0; at < buffer_.size();) {
      const ssize_t n = ::write(fd_, buffer_.data() + at, buffer_.size() - at);
      if (n <= 0) throw std::runtime_error("cannot write the bench file");
      at += static_cast<std::size_t>(n);
    }
    buffer_.clear();
  }
  void Rewind() {
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
      throw std::runtime_error("cannot empty the bench file");
  }
  std::size_t Written() const { return written_; }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  std::filesystem::path path_;
  int fd_;
  std::string buffer_;
  std::size_t written_ = 0;
};

void Write(benchmark::State& state, const std::string& kind, ArtForm form) {
  const ColoredArt& art = Art(kind);
  ChunkedFile file;
  for (auto _ : state) {
    ArtWriter writer({.form = form}, [&file](std::string_view bytes) { file.Write(bytes); });
    for (std::size_t i = 0; i < art.lines.size(); ++i) writer.Line(art.lines[i], art.colors[i]);
    writer.Finish();
    file.Flush();
    state.PauseTiming();
    file.Rewind();
    state.ResumeTiming();
  }
  const std::size_t out = file.Written();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * art.bytes));
  state.counters["bytes_out_per_byte"] = static_cast<double>(out) / static_cast<double>(state.iterations() * art.bytes);
}

void BM_Form_Baseline(benchmark::State& state, const std::string& kind) { Write(state, kind, ArtForm::Gbk); }
void BM_Form(benchmark::State& state, const std::string& kind, ArtForm form) { Write(state, kind, form); }

// BM_Form/<kind>/<form> beside BM_Form_Baseline/<kind>.
const bool registered = [] {
  for (const std::string kind : {"photo", "four"}) {
    benchmark::RegisterBenchmark(("BM_Form_Baseline/" + kind).c_str(), BM_Form_Baseline, kind)
        ->Unit(benchmark::kMillisecond);
    for (const auto& [name, form] : std::initializer_list<std::pair<const char*, ArtForm>>{
             {"utf8", ArtForm::Utf8}, {"html", ArtForm::Html}, {"ansi", ArtForm::Ansi}}) {
      benchmark::RegisterBenchmark(("BM_Form/" + kind + "/" + name).c_str(), BM_Form, kind, form)
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
}  // namespace morvexa
