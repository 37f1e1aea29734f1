#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>

#include "morvexa/cp936.h"
#include "morvexa/failure.h"
#include "morvexa/figlet.h"
#include "morvexa/shown_path.h"

namespace morvexa {

namespace {

// The most a font or the file in its zip archive may hold, and the tallest
// character: beyond any font people share, and a bound on what a damaged
// or hostile one costs.
constexpr std::size_t kMostFontBytes = 64 << 20;
constexpr int kTallest = 1000;
// The bytes figlet reads of a row of a character (and of the first line),
// and of a code's line past the font's longest row.
constexpr std::size_t kLongestRow = 255;
constexpr int kLineRoom = 100;
// The characters every font has after printable ASCII: Ä Ö Ü ä ö ü ß.
constexpr long kDeutsch[] = {196, 214, 220, 228, 246, 252, 223};

[[noreturn]] void Malformed(std::string_view font, std::size_t line, const std::string& what) {
  std::string said = QuotedName(font);
  if (line != 0) said += ", line " + std::to_string(line);
  throw Failure(FailureKind::CannotOpenFont, font, {.refusal = said + ": " + what});
}

std::uint32_t Little(std::string_view bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

// The first file of a zip archive, as FIGlet reads a compressed font: found
// through the central directory, stored or deflated, its size and CRC
// checked.
std::string FirstFileOfZip(std::string_view zip, std::string_view font) {
  const auto bad = [&](const std::string& what) -> std::string { Malformed(font, 0, "a zip archive " + what); };
  constexpr std::size_t kEndRecord = 22, kCentralEntry = 46, kLocalHeader = 30;
  // The end of the central directory: its signature, searched for from the
  // end past a comment of at most 65,535 bytes.
  std::optional<std::size_t> end;
  for (std::size_t at = zip.size() >= kEndRecord ? zip.size() - kEndRecord + 1 : 0;
       at-- > 0 && zip.size() - at <= kEndRecord + 0xFFFF;) {
    if (zip.substr(at, 4) == "PK\x05\x06") {
      end = at;
      break;
    }
  }
  if (!end) return bad("without its central directory");
  const std::size_t central = Little(zip, *end + 16, 4);
  if (Little(zip, *end + 10, 2) == 0) return bad("of no file");
  if (central > zip.size() || zip.size() - central < kCentralEntry || zip.substr(central, 4) != "PK\x01\x02") {
    return bad("whose central directory is damaged");
  }
  const std::uint32_t flags = Little(zip, central + 8, 2), method = Little(zip, central + 10, 2);
  const std::uint32_t crc = Little(zip, central + 16, 4), packed = Little(zip, central + 20, 4);
  const std::uint32_t size = Little(zip, central + 24, 4), local = Little(zip, central + 42, 4);
  if (flags & 1) return bad("whose font is encrypted");
  if (method != 0 && method != 8) return bad("whose font is compressed in a way other than deflate");
  if (size > kMostFontBytes) return bad("whose font is larger than 64 MiB");
  if (local > zip.size() || zip.size() - local < kLocalHeader || zip.substr(local, 4) != "PK\x03\x04") {
    return bad("whose file header is damaged");
  }
  const std::size_t data = local + kLocalHeader + Little(zip, local + 26, 2) + Little(zip, local + 28, 2);
  if (data > zip.size() || zip.size() - data < packed) return bad("cut short");
  std::string out(size, '\0');
  if (method == 0) {
    if (packed != size) return bad("whose stored font's sizes differ");
    std::copy_n(zip.data() + data, size, out.data());
  } else {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return bad("that cannot be inflated");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
    stream.avail_in = packed;
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = size;
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == size;
    inflateEnd(&stream);
    if (!whole) return bad("whose font's compressed data is damaged");
  }
  if (crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())) != crc) {
    return bad("whose font fails its check (CRC-32)");
  }
  return out;
}

// The bytes of a font file, read as figlet reads them: lines of at most so
// many bytes, and a last line without its line break lost.
class FontLines {
 public:
  explicit FontLines(std::string_view bytes) : bytes_(bytes) {}

  // The next line, as figlet's own fgets reads it: at most limit bytes (the
  // byte after them read and lost), a line break of "\n", "\r" or "\r\n"
  // ending it as "\n"; nothing at the end of the bytes, or when the line
  // ends there without a break.
  std::optional<std::string> Next(std::size_t limit) {
    std::string line;
    std::size_t left = limit;
    while (at_ < bytes_.size()) {
      const char c = bytes_[at_++];
      if (left == 0) return line;
      line += c, --left;
      if (c == '\n' || c == '\r') {
        if (c == '\r' && at_ < bytes_.size() && bytes_[at_] == '\n') ++at_;
        line.back() = '\n';
        ++line_;
        return line;
      }
    }
    return std::nullopt;
  }
  // Reads past the end of the line.
  void SkipLine() {
    while (at_ < bytes_.size()) {
      const char c = bytes_[at_++];
      if (c == '\n' || c == '\r') {
        if (c == '\r' && at_ < bytes_.size() && bytes_[at_] == '\n') ++at_;
        ++line_;
        return;
      }
    }
  }
  bool AtEnd() const { return at_ >= bytes_.size(); }
  // The line of the file being read, from 1.
  std::size_t Line() const { return line_ + 1; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0, line_ = 0;
};

bool Space(char32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A row of a character as figlet keeps it: read as UTF-8 (a byte that is
// not, of ISO-8859-1 in some FIGlet fonts, is its character of ISO-8859-1,
// and noted), trailing white space and then the end marks (every trailing
// copy of the last character) taken off.
std::u32string Row(std::string_view bytes, bool& notUtf8) {
  std::u32string row;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = c < 0x80 ? 1 : cp936::Utf8DecodeAt(bytes, i, c);
    if (length == 0) {
      c = static_cast<unsigned char>(bytes[i]), length = 1;
      notUtf8 = true;
    }
    row += c;
    i += length;
  }
  while (!row.empty() && Space(row.back())) row.pop_back();
  if (!row.empty()) {
    const char32_t end = row.back();
    while (!row.empty() && row.back() == end) row.pop_back();
  }
  return row;
}

// The header's fields, read as sscanf("%*c%c %d %*d %d %d %d %d %d") reads
// them after the four bytes of the signature: how many were read.
struct Header {
  int read = 0;
  int numbersGiven = 0;
  char hardBlank = '$';
  long numbers[7] = {};  // height, baseline, longest, old layout, comments, direction, full layout
};
Header ReadHeader(std::string_view line) {
  Header header;
  std::size_t at = 0;
  if (at >= line.size()) return header;
  ++at;  // the signature's version letter
  if (at >= line.size()) return header;
  header.hardBlank = line[at++];
  header.read = 1;
  for (int field = 0; field < 7; ++field) {
    while (at < line.size() && Space(static_cast<unsigned char>(line[at]))) ++at;
    const std::string rest(line.substr(at));
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(rest.c_str(), &end, 10);
    if (end == rest.c_str()) return header;
    at += static_cast<std::size_t>(end - rest.c_str());
    header.numbers[field] = std::clamp<long>(value, -0x7FFFFFFF, 0x7FFFFFFF);
    ++header.numbersGiven;
    if (field != 1) ++header.read;  // the baseline is read but not counted
  }
  return header;
}

}  // namespace

FigletFont FigletFont::Parse(std::string_view bytes, std::string_view name) {
  std::string unzipped;
  if (bytes.substr(0, 4) == "PK\x03\x04") {
    unzipped = FirstFileOfZip(bytes, name);
    bytes = unzipped;
  }
  FigletFont font;
  font.name = name;
  const std::string_view magic = bytes.substr(0, 4);
  if (magic != "flf2" && magic != "tlf2") {
    Malformed(name, 1, "not a FIGlet font (.flf) or a TOIlet font (.tlf): it does not begin with flf2a or tlf2a");
  }
  font.toilet = magic == "tlf2";
  FontLines lines(bytes.substr(4));
  std::string first = lines.Next(kLongestRow).value_or("");
  if (!first.empty() && first.back() != '\n') lines.SkipLine();
  while (!first.empty() && (first.back() == '\n' || first.back() == '\r')) first.pop_back();
  const Header header = ReadHeader(first);
  if (header.read < 5) {
    Malformed(name, 1,
              "its header gives " + std::to_string(header.numbersGiven) +
                  " of the 5 numbers every font has (height, baseline, longest line, layout, comment lines)");
  }
  font.hardBlank = static_cast<unsigned char>(header.hardBlank);
  const long height = header.numbers[0];
  if (height > kTallest) {
    Malformed(name, 1,
              "a character " + std::to_string(height) + " lines high is more than the " + std::to_string(kTallest) +
                  " a font may have");
  }
  font.height = static_cast<int>(std::max(height, 1L));
  font.baseline = static_cast<int>(header.numbers[1]);
  font.maxLength = static_cast<int>(std::max(header.numbers[2], 1L));
  font.oldLayout = static_cast<int>(header.numbers[3]);
  font.commentLines = static_cast<int>(std::max(header.numbers[4], 0L));
  font.rightToLeft = header.read >= 6 && header.numbers[5] != 0;
  if (header.read >= 7) {
    font.layout = static_cast<int>(header.numbers[6]);
  } else if (font.oldLayout == 0) {
    font.layout = kKerning;
  } else if (font.oldLayout < 0) {
    font.layout = 0;
  } else {
    font.layout = (font.oldLayout & 31) | kSmushing;
  }
  for (int i = 0; i < font.commentLines && !lines.AtEnd(); ++i) {
    const std::optional<std::string> line = lines.Next(std::string::npos);
    if (line) font.comment += *line;
  }
  // Rows are read whole: figlet reads 255 bytes of a row and overruns its
  // buffers on longer ones.
  const std::size_t rowLimit = std::string::npos;
  const std::size_t limit = static_cast<std::size_t>(font.maxLength) + kLineRoom + 1;
  // A character's rows, read as figlet reads them; false when the font ended
  // before its first row.
  const auto readCharacter = [&](long code, bool required) {
    std::vector<std::u32string> rows;
    const std::size_t firstLine = lines.Line();
    // Rows past the end of the file are empty; a last line without its
    // line break is lost, as figlet loses it.
    int ended = font.height;
    bool latin1 = false;
    for (int row = 0; row < font.height; ++row) {
      const std::optional<std::string> line = lines.Next(rowLimit);
      if (!line) {
        if (row == 0 && lines.AtEnd()) return false;
        ended = std::min(ended, row);
      }
      rows.push_back(Row(line.value_or(""), latin1));
    }
    // The last required character may lose its last row, as a file
    // without its final line break does; any other is cut short.
    const int whole = code == kDeutsch[std::size(kDeutsch) - 1] ? font.height - 1 : font.height;
    if (required && ended < whole) {
      Malformed(name, firstLine,
                "the font ends in the middle of its character " + std::to_string(code) +
                    (code > ' ' && code < 0x7F ? std::string(" (") + static_cast<char>(code) + ")" : std::string()) +
                    ", of " + std::to_string(font.height) + " lines");
    }
    font.characters[code] = std::move(rows);
    if (latin1) {
      font.notUtf8.insert(code);
    } else {
      font.notUtf8.erase(code);
    }
    return true;
  };
  bool whole = true;
  for (long code = ' '; code <= '~' && whole; ++code) whole = readCharacter(code, true);
  for (const long code : kDeutsch) {
    if (whole) whole = readCharacter(code, true);
  }
  // Code-tagged characters, each after a line that begins with its code
  // (decimal, 0x hexadecimal, 0 octal, negative too), up to the first line
  // that does not.
  while (whole) {
    const std::optional<std::string> line = lines.Next(limit);
    if (!line) break;
    const std::string text(*line);
    const char* start = text.c_str();
    while (Space(static_cast<unsigned char>(*start))) ++start;
    char* end = nullptr;
    const long code = std::strtol(start, &end, 0);
    if (end == start) break;
    whole = readCharacter(code, false);
  }
  return font;
}

std::vector<std::filesystem::path> FigletFolders() {
  std::vector<std::filesystem::path> folders;
  if (const char* named = std::getenv("FIGLET_FONTDIR")) {
    std::string_view rest = named;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      if (colon != 0) folders.emplace_back(rest.substr(0, colon));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  folders.emplace_back("/usr/share/figlet");
  folders.emplace_back("/usr/share/figlet/fonts");
  return folders;
}

std::vector<std::string> FigletFontsFound() {
  std::set<std::string> names;
  for (const std::filesystem::path& folder : FigletFolders()) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::filesystem::path& path = entry.path();
      if (path.extension() == ".flf" || path.extension() == ".tlf") names.insert(path.stem().string());
    }
  }
  return {names.begin(), names.end()};
}

FigletFont FigletFont::Open(std::string_view name) {
  std::optional<std::filesystem::path> file;
  struct stat status;
  if (name.find('/') != std::string_view::npos || stat(std::string(name).c_str(), &status) == 0) {
    file = std::filesystem::path(name);
  } else {
    for (const std::filesystem::path& folder : FigletFolders()) {
      for (const char* extension : {".flf", ".tlf"}) {
        const std::filesystem::path candidate = folder / (std::string(name) + extension);
        if (!file && stat(candidate.c_str(), &status) == 0) file = candidate;
      }
    }
  }
  if (!file) {
    std::string folders;
    for (const std::filesystem::path& folder : FigletFolders())
      folders += (folders.empty() ? "" : ", ") + folder.string();
    throw Failure(FailureKind::CannotOpenFont, name,
                  {.refusal = "no FIGlet or TOIlet font " + QuotedName(name) + " in " + folders +
                              " (--list-figlet lists those found)"});
  }
  if (stat(file->c_str(), &status) != 0) {
    throw Failure(FailureKind::CannotOpenFont, name, {.reason = std::strerror(errno)});
  }
  if (!S_ISREG(status.st_mode)) Malformed(name, 0, "not a regular file");
  if (static_cast<std::uintmax_t>(status.st_size) > kMostFontBytes) Malformed(name, 0, "larger than 64 MiB");
  std::ifstream in(*file, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
    throw Failure(FailureKind::CannotOpenFont, name, {.reason = std::strerror(errno ? errno : EIO)});
  }
  return Parse(bytes, name);
}

}  // namespace morvexa
