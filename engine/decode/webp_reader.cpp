#include "decode/webp_reader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <vector>

#include "decode/composite.h"
#include "morvexa/failure.h"

namespace morvexa {

namespace {

[[noreturn]] void Fail(VP8StatusCode status) {
  throw Failure(status == VP8_STATUS_NOT_ENOUGH_DATA ? FailureKind::StreamReadError : FailureKind::BitmapNotValid);
}

// The picture (of an animation, its first frame), decoded whole by libwebp
// from the whole file, transparent pixels laid over the background.
PixelImage Decode(const std::vector<unsigned char>& file, const ReadSettings& settings) {
  WebPBitstreamFeatures features{};
  VP8StatusCode status = WebPGetFeatures(file.data(), file.size(), &features);
  if (status != VP8_STATUS_OK) Fail(status);
  const unsigned char* data = file.data();
  std::size_t size = file.size();
  WebPDemuxer* demuxer = nullptr;
  WebPIterator frame{};
  if (features.has_animation) {
    const WebPData whole{file.data(), file.size()};
    WebPDemuxState state = WEBP_DEMUX_PARSING_HEADER;
    demuxer = WebPDemuxPartial(&whole, &state);
    if (!demuxer || state == WEBP_DEMUX_PARSE_ERROR || !WebPDemuxGetFrame(demuxer, 1, &frame)) {
      WebPDemuxDelete(demuxer);
      Fail(state == WEBP_DEMUX_PARSE_ERROR ? VP8_STATUS_BITSTREAM_ERROR : VP8_STATUS_NOT_ENOUGH_DATA);
    }
    data = frame.fragment.bytes;
    size = frame.fragment.size;
    status = WebPGetFeatures(data, size, &features);
  }
  struct Release {
    WebPDemuxer* demuxer;
    WebPIterator* frame;
    ~Release() {
      if (demuxer) {
        WebPDemuxReleaseIterator(frame);
        WebPDemuxDelete(demuxer);
      }
    }
  } release{demuxer, &frame};
  if (status != VP8_STATUS_OK) Fail(status);
  settings.CheckSize(static_cast<std::uint64_t>(features.width), static_cast<std::uint64_t>(features.height));
  const auto width = static_cast<std::size_t>(features.width), height = static_cast<std::size_t>(features.height);
  std::vector<unsigned char> rgba(width * height * 4);
  if (!WebPDecodeRGBAInto(data, size, rgba.data(), rgba.size(), static_cast<int>(width * 4))) {
    // Which it was: too little data, or broken data.
    WebPDecoderConfig config;
    WebPInitDecoderConfig(&config);
    config.output.colorspace = MODE_RGBA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA = {rgba.data(), static_cast<int>(width * 4), rgba.size()};
    const VP8StatusCode why = WebPDecode(data, size, &config);
    Fail(why == VP8_STATUS_OK ? VP8_STATUS_BITSTREAM_ERROR : why);
  }
  PixelImage image(width, height);
  for (std::size_t i = 0; i < width * height; ++i) {
    const unsigned char* p = rgba.data() + 4 * i;
    image.pixels[i] = Composite(p[0], p[1], p[2], p[3], settings.background);
  }
  return image;
}

}  // namespace

bool LooksLikeWebp(std::span<const unsigned char> start) {
  return start.size() >= 12 && std::memcmp(start.data(), "RIFF", 4) == 0 &&
         std::memcmp(start.data() + 8, "WEBP", 4) == 0;
}

std::unique_ptr<PictureReader> ReadWebp(FileBytes file, const ReadSettings& settings) {
  std::vector<unsigned char> bytes(file.Size());
  file.Read(0, bytes);
  return std::make_unique<MemoryPicture>(Decode(bytes, settings));
}

}  // namespace morvexa
