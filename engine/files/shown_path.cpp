#include "morvexa/shown_path.h"

#include <system_error>

namespace morvexa {

namespace {

// The length of the UTF-8 character at text[i], or 0 when the bytes there
// are not one (cut short, overlong, a surrogate, past U+10FFFF).
std::size_t Utf8Length(std::string_view text, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  char32_t least = 0;
  if (b < 0x80) {
    c = b;
    return 1;
  } else if ((b & 0xE0) == 0xC0) {
    length = 2, c = b & 0x1F, least = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    length = 3, c = b & 0x0F, least = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    length = 4, c = b & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

// Control characters: C0, DEL, C1, and the line and paragraph separators.
bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

// A byte as an escape of $'...'.
void AppendEscape(unsigned char b, std::string& out) {
  switch (b) {
    case '\a': out += "\\a"; return;
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case '\v': out += "\\v"; return;
    default: break;
  }
  out += '\\';
  out += static_cast<char>('0' + (b >> 6));
  out += static_cast<char>('0' + (b >> 3 & 7));
  out += static_cast<char>('0' + (b & 7));
}

}  // namespace

std::string QuotedName(std::string_view name) {
  bool plain = true;
  for (std::size_t i = 0; i < name.size() && plain;) {
    char32_t c = 0;
    const std::size_t length = Utf8Length(name, i, c);
    plain = length != 0 && !IsControl(c);
    i += length;
  }
  if (plain) return std::string(name);
  std::string out = "'";
  bool escaping = false;  // within $'...'
  for (std::size_t i = 0; i < name.size();) {
    char32_t c = 0;
    std::size_t length = Utf8Length(name, i, c);
    const bool escape = length == 0 || IsControl(c);
    if (length == 0) length = 1;
    if (escape != escaping) {
      out += escape ? "'$'" : "''";
      escaping = escape;
    }
    if (escape) {
      for (std::size_t k = 0; k < length; ++k) AppendEscape(static_cast<unsigned char>(name[i + k]), out);
    } else if (c == '\'') {
      out += "'\\''";
    } else {
      out.append(name.substr(i, length));
    }
    i += length;
  }
  out += '\'';
  return out;
}

std::string ShownPath(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  std::string shown = absolute.lexically_normal().string();
  // "/x/dir/" names the same folder as "/x/dir".
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return QuotedName(shown);
}

}  // namespace morvexa
