#include <webp/demux.h>

#include <cstring>
#include <string>

#include "decode/frames.h"
#include "morvexa/failure.h"

namespace morvexa {

namespace {

struct DeleteDecoder {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
struct DeleteDemuxer {
  void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

// A WebP file's frames, composed by libwebp's animation decoder (which holds
// the file's bytes, the canvas and the canvas before the frame). A still
// WebP is an animation of one frame.
class WebpFrames final : public Frames {
 public:
  WebpFrames(const FileBytes& file, const ReadSettings& settings) : bytes_(file.Size(), '\0') {
    file.Read(0, {reinterpret_cast<unsigned char*>(bytes_.data()), bytes_.size()});
    const WebPData data{reinterpret_cast<const std::uint8_t*>(bytes_.data()), bytes_.size()};
    // The canvas is checked before the decoder allocates it.
    {
      WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
      const std::unique_ptr<WebPDemuxer, DeleteDemuxer> demuxer(WebPDemuxPartial(&data, &state));
      if (!demuxer || state != WEBP_DEMUX_DONE) Refuse();
      settings.CheckSize(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH),
                         WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT));
    }
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) throw Failure(FailureKind::BitmapNotValid);
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    decoder_.reset(WebPAnimDecoderNew(&data, &options));
    if (!decoder_) Refuse();
    WebPAnimInfo info{};
    if (!WebPAnimDecoderGetInfo(decoder_.get(), &info)) Refuse();
    width_ = info.canvas_width, height_ = info.canvas_height;
    plays_ = static_cast<int>(info.loop_count);
  }

  bool Next() override {
    if (!WebPAnimDecoderHasMoreFrames(decoder_.get())) return false;
    std::uint8_t* canvas = nullptr;
    int ends = 0;
    if (!WebPAnimDecoderGetNext(decoder_.get(), &canvas, &ends)) Refuse();
    canvas_ = canvas;
    delay_ = ShownDelay(ends - shownUntil_);
    shownUntil_ = ends;
    return true;
  }

  bool HasMore() const override { return WebPAnimDecoderHasMoreFrames(decoder_.get()) != 0; }
  const unsigned char* Canvas() const override { return canvas_; }

  void Restart() override {
    WebPAnimDecoderReset(decoder_.get());
    canvas_ = nullptr;
    shownUntil_ = 0;
  }

 private:
  // A file that does not hold what its header says it holds was cut short.
  [[noreturn]] void Refuse() const {
    std::uint64_t declared = 0;  // the RIFF chunk's size
    for (int i = 3; i >= 0 && bytes_.size() >= 8; --i)
      declared = declared << 8 | static_cast<unsigned char>(bytes_[4 + i]);
    throw Failure(bytes_.size() < 8 + declared ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
  }

  std::string bytes_;
  std::unique_ptr<WebPAnimDecoder, DeleteDecoder> decoder_;
  const unsigned char* canvas_ = nullptr;
  int shownUntil_ = 0;  // when the frame before ended, in milliseconds
};

}  // namespace

bool WebpHoldsFrames(const FileBytes& file) {
  // An extended file's header (VP8X) has the animation flag.
  unsigned char header[21] = {};
  return file.ReadSome(0, header) == sizeof header && std::memcmp(header + 12, "VP8X", 4) == 0 &&
         (header[20] & 0x02) != 0;
}

std::unique_ptr<Frames> ReadWebpFrames(FileBytes file, const ReadSettings& settings) {
  return std::make_unique<WebpFrames>(file, settings);
}

}  // namespace morvexa
