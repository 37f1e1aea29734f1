#include "morvexa/shown_path.h"

#include <system_error>

#include "morvexa/cp936.h"

namespace morvexa {

namespace {

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
    const std::size_t length = cp936::Utf8DecodeAt(name, i, c);
    plain = length != 0 && !IsControl(c);
    i += length;
  }
  if (plain) return std::string(name);
  std::string out = "'";
  bool escaping = false;  // within $'...'
  for (std::size_t i = 0; i < name.size();) {
    char32_t c = 0;
    std::size_t length = cp936::Utf8DecodeAt(name, i, c);
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
  // As it was typed or chosen: a person finds the name they gave.
  return QuotedName(path.string());
}

}  // namespace morvexa
