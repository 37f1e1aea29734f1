#include "decode/jpeg_reader.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE first
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <bitset>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "morvexa/failure.h"

namespace morvexa {

namespace {

// libjpeg reports errors by calling back, and cannot be unwound through:
// the callback jumps back to the setjmp of the call that failed, and that
// call turns the jump into a Failure. Between the setjmp and the libjpeg
// call nothing is made that needs destroying.
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); }
void NoOutput(j_common_ptr) {}

// Warnings about recoverable damage are let pass: the picture is still
// drawn. A scan that repeats or reorders the refinement of coefficients is
// not damage but a progression the format does not allow, and the way a
// small file makes libjpeg pass over the whole picture thousands of times.
void Warned(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_BOGUS_PROGRESSION) {
    info->err->msg_code = JERR_BAD_PROGRESSION;
    info->err->error_exit(info);
  }
}

// Legitimate progressive files have a few scans (libjpeg writes 10 for
// color, 18 for CMYK) and each scan of a large picture takes libjpeg a
// pass over all its blocks: a file with more than this many is refused
// as it is read, as libjpeg-turbo advises for files from anywhere.
constexpr int kMostScans = 64;

// Watches the scans as libjpeg reads them (it calls before each row of
// blocks it reads): too many, or one that sends a coefficient's first bits
// again (libjpeg warns only of refinements out of turn), is refused.
struct ScanWatch {
  jpeg_progress_mgr manager;
  int scan = 0;
  std::bitset<DCTSIZE2> sent[MAX_COMPONENTS];  // whose first bits have come
};

void WatchScans(j_common_ptr common) {
  auto* info = reinterpret_cast<j_decompress_ptr>(common);
  auto* watch = reinterpret_cast<ScanWatch*>(info->progress);
  if (!info->is_decompressor || info->input_scan_number == watch->scan) return;
  watch->scan = info->input_scan_number;
  bool again = watch->scan > kMostScans || info->Ss < 0 || info->Se >= DCTSIZE2 || info->Ss > info->Se;
  for (int i = 0; i < info->comps_in_scan && !again; ++i) {
    const int component = info->cur_comp_info[i]->component_index;
    if (component < 0 || component >= MAX_COMPONENTS) again = true;
    for (int k = info->Ss; k <= info->Se && !again && info->Ah == 0; ++k) {
      again = watch->sent[component][static_cast<std::size_t>(k)];
      watch->sent[component][static_cast<std::size_t>(k)] = true;
    }
  }
  if (again) {
    info->err->msg_code = JERR_BAD_PROGRESSION;
    info->err->error_exit(common);
  }
}

// How many 8 x 8 blocks a byte of a scan can hold at most. Each block of
// the first scan (every component's DC coefficients, or the whole of a
// sequential file's) is at least one Huffman code, at least one bit long.
// An arithmetic coder can spend far less: a decision whose estimate has
// reached its smallest (1 in the 16-bit interval) shrinks the interval by
// at most 1 / 32,768, so it takes 32,768 of them to use up a bit, 2^18 a
// byte; 2^19 leaves a margin for the coder's start and end.
constexpr std::uint64_t kMostHuffmanBlocksPerByte = 8;
constexpr std::uint64_t kMostArithmeticBlocksPerByte = std::uint64_t{1} << 19;

// The file, read in pieces as libjpeg asks for them. At its end libjpeg is
// not handed a made-up end marker (its usual way): the file ended early.
struct Source {
  jpeg_source_mgr manager;
  const FileBytes* file;
  std::uint64_t at = 0;
  bool ended = false;
  JOCTET buffer[64 * 1024];
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr info) {
  auto* source = reinterpret_cast<Source*>(info->src);
  std::size_t got = 0;
  try {
    got = source->file->ReadSome(source->at, source->buffer);
  } catch (const Failure&) {
    got = 0;
  }
  if (got == 0) {
    source->ended = true;
    info->err->msg_code = JERR_INPUT_EOF;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
  }
  source->at += got;
  source->manager.next_input_byte = source->buffer;
  source->manager.bytes_in_buffer = got;
  return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<Source*>(info->src);
  while (count > 0) {
    if (source->manager.bytes_in_buffer == 0) FillInput(info);
    const std::size_t step = std::min<std::size_t>(static_cast<std::size_t>(count), source->manager.bytes_in_buffer);
    source->manager.next_input_byte += step;
    source->manager.bytes_in_buffer -= step;
    count -= static_cast<long>(step);
  }
}

// libjpeg's state, let go of however the reader goes.
struct Decompressor {
  jpeg_decompress_struct info{};
  ErrorJump error{};
  Decompressor() {
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpBack;
    error.manager.emit_message = Warned;
    error.manager.output_message = NoOutput;
    jpeg_create_decompress(&info);
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

class JpegReader final : public PictureReader {
 public:
  JpegReader(FileBytes file, const ReadSettings& settings) : file_(std::move(file)), settings_(settings) {
    source_.file = &file_;
    source_.manager.init_source = InitSource;
    source_.manager.fill_input_buffer = FillInput;
    source_.manager.skip_input_data = SkipInput;
    source_.manager.resync_to_restart = jpeg_resync_to_restart;
    source_.manager.term_source = TermSource;
    info_.src = &source_.manager;
    watch_.manager.progress_monitor = WatchScans;
    info_.progress = &watch_.manager;
    if (setjmp(error_.jump) != 0) Fail();
    jpeg_read_header(&info_, TRUE);
    CheckFirstScan();
    settings_.CheckSize(info_.image_width, info_.image_height);
    // Four bytes a pixel, as the engine reads them: blue, green, red and
    // one more; or the inks of a CMYK picture, turned into colors here.
    cmyk_ = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    info_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_BGRX;
    width_ = info_.image_width;
    height_ = info_.image_height;
    form_ = cmyk_ ? PixelForm::Rgb32 : PixelForm::Bgrx32;
  }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  // libjpeg decodes at 1/2, 1/4 or 1/8 of the size itself, far faster than
  // decoding whole and shrinking after: the smallest scale that still
  // gives each cell of a width x height result at least two pixels a side.
  void PreferAtLeast(std::size_t width, std::size_t height) override {
    if (started_) return;
    for (unsigned denominator : {8u, 4u, 2u}) {
      if ((info_.image_width + denominator - 1) / denominator >= 2 * width &&
          (info_.image_height + denominator - 1) / denominator >= 2 * height) {
        info_.scale_num = 1;
        info_.scale_denom = denominator;
        break;
      }
    }
    if (setjmp(error_.jump) != 0) Fail();
    jpeg_calc_output_dimensions(&info_);
    width_ = info_.output_width;
    height_ = info_.output_height;
  }

  std::size_t ReadRows(std::size_t count, RowBand& band) override {
    Start();
    count = std::min(count, height_ - next_);
    band.form = form_;
    band.rows.clear();
    const std::size_t stride = width_ * 4;
    band.storage.resize(count * stride + RowBand::kSlack);
    rows_.resize(count);
    for (std::size_t i = 0; i < count; ++i) rows_[i] = band.storage.data() + i * stride;
    ReadScanlines(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (cmyk_) InksToColors(band.storage.data() + i * stride);
      band.rows.push_back(band.storage.data() + i * stride);
    }
    next_ += count;
    return count;
  }

 private:
  [[noreturn]] void Fail() const {
    throw Failure(source_.ended ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
  }

  // Refuses, before libjpeg allocates for the picture, a file whose first
  // scan (read up to its start) is too short for the blocks it codes:
  // "Stream read error" as for a file cut short, unless the file ends with
  // the end-of-image marker, whole and wrong. A progressive file must start
  // with its DC coefficients, as the format says.
  void CheckFirstScan() const {
    if (info_.progressive_mode && info_.Ss != 0) throw Failure(FailureKind::BitmapNotValid);
    std::uint64_t blocks = 0;
    for (int i = 0; i < info_.comps_in_scan; ++i) {
      blocks += std::uint64_t{info_.cur_comp_info[i]->width_in_blocks} * info_.cur_comp_info[i]->height_in_blocks;
    }
    const std::uint64_t at = source_.at - source_.manager.bytes_in_buffer;
    const std::uint64_t left = file_.Size() > at ? file_.Size() - at : 0;
    const std::uint64_t most = info_.arith_code ? kMostArithmeticBlocksPerByte : kMostHuffmanBlocksPerByte;
    if (blocks <= left * most) return;
    unsigned char end[2] = {};
    const bool whole =
        file_.Size() >= 2 && file_.ReadSome(file_.Size() - 2, end) == 2 && end[0] == 0xFF && end[1] == 0xD9;
    throw Failure(whole ? FailureKind::BitmapNotValid : FailureKind::StreamReadError);
  }

  void Start() {
    if (started_) return;
    if (setjmp(error_.jump) != 0) Fail();
    jpeg_start_decompress(&info_);
    started_ = true;
    width_ = info_.output_width;
    height_ = info_.output_height;
  }

  void ReadScanlines(std::size_t count) {
    if (setjmp(error_.jump) != 0) Fail();
    for (std::size_t done = 0; done < count;) {
      done += jpeg_read_scanlines(&info_, rows_.data() + done, static_cast<JDIMENSION>(count - done));
    }
  }

  // Adobe's CMYK pictures store each ink inverted (255: none); others
  // store the ink itself.
  void InksToColors(unsigned char* row) const {
    const bool inverted = info_.saw_Adobe_marker;
    for (std::size_t x = 0; x < width_; ++x) {
      unsigned char* p = row + 4 * x;
      auto plain = [&](unsigned ink) { return inverted ? ink : 255 - ink; };
      const unsigned k = plain(p[3]);
      const Rgb c = static_cast<Rgb>((plain(p[0]) * k + 127) / 255) << 16 | ((plain(p[1]) * k + 127) / 255) << 8 |
                    ((plain(p[2]) * k + 127) / 255);
      std::memcpy(p, &c, 4);
    }
  }

  FileBytes file_;
  ReadSettings settings_;
  Decompressor decompressor_;
  jpeg_decompress_struct& info_ = decompressor_.info;
  ErrorJump& error_ = decompressor_.error;
  Source source_{};
  ScanWatch watch_{};
  bool started_ = false, cmyk_ = false;
  std::vector<JSAMPROW> rows_;
  std::size_t next_ = 0;
};

}  // namespace

bool LooksLikeJpeg(std::span<const unsigned char> start) {
  return start.size() >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

std::unique_ptr<PictureReader> ReadJpeg(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<JpegReader>(std::move(file), settings);
}

}  // namespace morvexa
