#include "decode/open_picture.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "decode/bmp_reader.h"
#include "decode/frames.h"
#include "decode/picture_formats.h"
#include "morvexa/failure.h"
#include "morvexa/picture_file.h"

namespace morvexa {

namespace {

bool StartsWith(std::span<const unsigned char> bytes, std::string_view start, std::size_t at = 0) {
  return bytes.size() >= at + start.size() &&
         std::equal(start.begin(), start.end(), bytes.begin() + at,
                    [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

// The kind of picture the first bytes begin, of those the program knows but
// does not read: TIFF, AVIF, HEIC, JPEG XL, PSD, SVG, ICO; nothing for any
// other bytes.
std::optional<std::string_view> UnreadKind(std::span<const unsigned char> head) {
  using namespace std::string_view_literals;
  if (StartsWith(head, "II*\0"sv) || StartsWith(head, "MM\0*"sv) || StartsWith(head, "II+\0"sv) ||
      StartsWith(head, "MM\0+"sv)) {
    return "TIFF";
  }
  if (StartsWith(head, "ftyp", 4)) {
    for (const std::string_view brand : {"avif"sv, "avis"sv}) {
      if (StartsWith(head, brand, 8)) return "AVIF";
    }
    for (const std::string_view brand :
         {"heic"sv, "heix"sv, "hevc"sv, "hevx"sv, "heim"sv, "heis"sv, "mif1"sv, "msf1"sv}) {
      if (StartsWith(head, brand, 8)) return "HEIC";
    }
  }
  if (StartsWith(head, "\xFF\x0A"sv) || StartsWith(head, "\0\0\0\x0CJXL \r\n\x87\n"sv)) return "JPEG XL";
  if (StartsWith(head, "8BPS"sv)) return "PSD";
  if (StartsWith(head, "\0\0\x01\0"sv) || StartsWith(head, "\0\0\x02\0"sv)) return "ICO";
  // SVG: XML text (after a byte order mark and blanks) whose first element
  // is svg, within the first bytes.
  std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n")));
  if (text.starts_with("<svg") || (text.starts_with("<?xml") && text.find("<svg") != std::string_view::npos))
    return "SVG";
  return {};
}

// What the command line says of an input that is none of the pictures the
// program reads.
constexpr std::string_view kNotAPicture = "is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP)";

// Refuses first bytes that no picture the program reads starts with, so
// that a stream of anything else is not read to its end first. Fewer bytes
// than a BMP file header are left to the BMP reader's rules.
void CheckStart(std::span<const unsigned char> head, const ReadSettings& settings) {
  if (head.empty() && !settings.emptyIsAPicture) throw Failure(FailureKind::BitmapNotValid, {}, {"It is empty", {}});
  if (FormatOf(head)) return;
  if (const auto kind = UnreadKind(head)) throw Failure(FailureKind::BitmapNotValid, {}, {{}, std::string(*kind)});
  if (head.size() < kBmpFileHeaderBytes) {
    // Too short for a BMP file's header: "Stream read error", as the BMP
    // reader has it, and, for the command line, what it is when it does
    // not even begin as a BMP file.
    if (StartsWith(head, std::string_view("BM").substr(0, std::min<std::size_t>(head.size(), 2)))) return;
    throw Failure(FailureKind::StreamReadError, {}, {.inputIs = std::string(kNotAPicture)});
  }
  throw Failure(FailureKind::BitmapNotValid, {}, {.inputIs = std::string(kNotAPicture)});
}

}  // namespace

FileBytes::HeadCheck StartCheck(const ReadSettings& settings) {
  return [settings](std::span<const unsigned char> head) { CheckStart(head, settings); };
}

std::unique_ptr<PictureReader> OpenPicture(const std::filesystem::path& path, const ReadSettings& settings) {
  return OpenPicture(FileBytes::Open(path, FileBytes::kMostBytes, StartCheck(settings)), settings);
}

// The format is told by the file's first bytes, not its name. Whatever is
// none of the others goes to the BMP reader, whose rules then apply: an
// empty file is an empty picture, one too short for a header is "Stream
// read error", and one that does not start with "BM" is "Bitmap image is
// not valid" (naming, for the command line, a known kind the program does
// not read).
static const PictureFormat& FormatChecked(const FileBytes& bytes, const ReadSettings& settings) {
  std::array<unsigned char, 512> start{};
  const std::size_t got = bytes.ReadSome(0, start);
  const std::span<const unsigned char> head(start.data(), got);
  CheckStart(head, settings);
  const PictureFormat* format = FormatOf(head);
  return format ? *format : BmpFormat();
}

std::unique_ptr<PictureReader> OpenPicture(FileBytes bytes, const ReadSettings& settings) {
  return FormatChecked(bytes, settings).read(std::move(bytes), settings);
}

std::unique_ptr<PictureReader> OpenFrame(FileBytes bytes, const ReadSettings& settings, std::size_t frame) {
  const PictureFormat& format = FormatChecked(bytes, settings);
  if (frame == 0) return format.read(std::move(bytes), settings);
  if (!format.frames) {
    // A still picture that is no picture fails as itself.
    (void)format.read(std::move(bytes), settings);
    throw NoSuchFrame(1);
  }
  std::unique_ptr<Frames> frames = format.frames(std::move(bytes), settings);
  std::size_t composed = 0;
  while (composed <= frame && frames->Next()) ++composed;
  if (composed <= frame) throw NoSuchFrame(composed);
  return CanvasPicture(std::move(frames), settings.background);
}

}  // namespace morvexa
