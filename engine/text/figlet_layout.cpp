#include <algorithm>
#include <set>

#include "morvexa/figlet.h"

namespace morvexa {

namespace {

using Rule = FigletFont::Rule;

// The rows of no character: code 0 where the font lacks it.
const std::vector<std::u32string>& Empty(int height) {
  static std::vector<std::u32string> empty;
  empty.assign(static_cast<std::size_t>(height), std::u32string());
  return empty;
}

bool In(char32_t c, std::u32string_view set) { return set.find(c) != std::u32string_view::npos; }

// A line of banner being laid out, character by character, as figlet lays
// it: the characters of the text on it, its rows, and the widths of the
// character before and the one at hand (smushing needs both at least 2).
class Line {
 public:
  Line(const FigletFont& font, int mode, bool rightToLeft, std::size_t limit)
      : font_(font), mode_(mode), rightToLeft_(rightToLeft), limit_(limit) {
    Clear();
  }

  // figlet's rows are C strings in buffers that keep what was written past
  // their end: a row shorter than the character's first (a row a byte of
  // ISO-8859-1 ended) lays out as it does in figlet only if they are kept
  // so too. A row is its buffer up to its first 0.
  void Clear() {
    buffers_.resize(static_cast<std::size_t>(font_.height));
    for (std::u32string& buffer : buffers_) Put(buffer, 0, 0);
    length_ = 0;
    text_.clear();
  }

  std::size_t Length() const { return length_; }
  const std::u32string& Text() const { return text_; }
  std::vector<std::u32string> Rows() const {
    std::vector<std::u32string> rows;
    for (const std::u32string& buffer : buffers_) rows.push_back(buffer.substr(0, End(buffer)));
    return rows;
  }
  const std::vector<std::u32string>& Current() const { return *current_; }

  // Adds c when it fits within the limit; false when it does not.
  bool Add(char32_t c) {
    Find(c);
    const std::size_t amount = SmushAmount();
    if (length_ + width_ - amount > limit_ || text_.size() + 1 > (limit_ + 1) * 4 + 100) return false;
    for (std::size_t row = 0; row < buffers_.size(); ++row) {
      const std::u32string& glyph = (*current_)[row];
      std::u32string& line = buffers_[row];
      if (rightToLeft_) {
        std::u32string joined = glyph;
        for (std::size_t k = 0; k < amount; ++k) {
          const std::size_t at = width_ - amount + k;
          Put(joined, at, Smush(At(joined, at), At(line, k)));
        }
        Append(joined, amount < line.size() ? std::u32string_view(line).substr(amount) : std::u32string_view());
        Put(line, 0, 0);
        Append(line, joined);
      } else {
        for (std::size_t k = 0; k < amount; ++k) {
          // Columns before the line's start are its first, as in figlet.
          const std::size_t at = length_ + k < amount ? 0 : length_ - amount + k;
          Put(line, at, Smush(At(line, at), At(glyph, k)));
        }
        Append(line, amount < glyph.size() ? std::u32string_view(glyph).substr(amount) : std::u32string_view());
      }
    }
    length_ = End(buffers_[0]);
    text_ += c;
    return true;
  }

 private:
  static std::size_t End(std::u32string_view buffer) {
    const std::size_t end = buffer.find(char32_t{0});
    return end == std::u32string_view::npos ? buffer.size() : end;
  }
  static char32_t At(std::u32string_view buffer, std::size_t i) { return i < buffer.size() ? buffer[i] : 0; }
  static void Put(std::u32string& buffer, std::size_t i, char32_t c) {
    if (i >= buffer.size()) buffer.resize(i + 1, 0);
    buffer[i] = c;
  }
  // strcat: what of from precedes its first 0, after the row, and a 0.
  static void Append(std::u32string& buffer, std::u32string_view from) {
    const std::size_t at = End(buffer), length = End(from);
    if (buffer.size() < at + length + 1) buffer.resize(at + length + 1, 0);
    std::copy_n(from.begin(), length, buffer.begin() + static_cast<std::ptrdiff_t>(at));
    buffer[at + length] = 0;
  }

  void Find(char32_t c) {
    auto found = font_.characters.find(static_cast<long>(c));
    if (found == font_.characters.end()) found = font_.characters.find(0);
    current_ = found != font_.characters.end() ? &found->second : &Empty(font_.height);
    previousWidth_ = width_;
    width_ = current_->empty() ? 0 : (*current_)[0].size();
  }

  // Two characters smushed into one, or 0 when they cannot be.
  char32_t Smush(char32_t left, char32_t right) const {
    if (left == ' ') return right;
    if (right == ' ') return left;
    if (previousWidth_ < 2 || width_ < 2) return 0;
    if ((mode_ & Rule::kSmushing) == 0) return 0;
    const char32_t hard = font_.hardBlank;
    if ((mode_ & 63) == 0) {
      // Universal smushing: the later character wins, but over a hardblank.
      if (left == hard) return right;
      if (right == hard) return left;
      return rightToLeft_ ? left : right;
    }
    if ((mode_ & Rule::kHardBlank) && left == hard && right == hard) return left;
    if (left == hard || right == hard) return 0;
    if ((mode_ & Rule::kEqual) && left == right) return left;
    // figlet's tests of a character in a set hold for the end of a C
    // string too: a character 0 is in every set.
    const auto in = [](char32_t c, std::u32string_view set) { return c == 0 || In(c, set); };
    if (mode_ & Rule::kLowLine) {
      if (left == '_' && in(right, U"|/\\[]{}()<>")) return right;
      if (right == '_' && in(left, U"|/\\[]{}()<>")) return left;
    }
    if (mode_ & Rule::kHierarchy) {
      if (left == '|' && in(right, U"/\\[]{}()<>")) return right;
      if (right == '|' && in(left, U"/\\[]{}()<>")) return left;
      if (in(left, U"/\\") && in(right, U"[]{}()<>")) return right;
      if (in(right, U"/\\") && in(left, U"[]{}()<>")) return left;
      if (in(left, U"[]") && in(right, U"{}()<>")) return right;
      if (in(right, U"[]") && in(left, U"{}()<>")) return left;
      if (in(left, U"{}") && in(right, U"()<>")) return right;
      if (in(right, U"{}") && in(left, U"()<>")) return left;
      if (in(left, U"()") && in(right, U"<>")) return right;
      if (in(right, U"()") && in(left, U"<>")) return left;
    }
    if (mode_ & Rule::kPair) {
      if (left == '[' && right == ']') return '|';
      if (right == '[' && left == ']') return '|';
      if (left == '{' && right == '}') return '|';
      if (right == '{' && left == '}') return '|';
      if (left == '(' && right == ')') return '|';
      if (right == '(' && left == ')') return '|';
    }
    if (mode_ & Rule::kBigX) {
      if (left == '/' && right == '\\') return '|';
      if (right == '/' && left == '\\') return 'Y';
      if (left == '>' && right == '<') return 'X';
    }
    return 0;
  }

  // How far the character at hand moves over the line: in each row, as far
  // as the blanks at the line's end and the character's start allow, and
  // one more where the two characters that meet smush; the least of the
  // rows, and at most the character's width.
  std::size_t SmushAmount() const {
    if ((mode_ & (Rule::kSmushing | Rule::kKerning)) == 0) return 0;
    const auto at = [](std::u32string_view s, std::size_t i) -> char32_t { return i < s.size() ? s[i] : 0; };
    long most = static_cast<long>(width_);
    for (std::size_t row = 0; row < buffers_.size(); ++row) {
      const std::u32string_view line = std::u32string_view(buffers_[row]).substr(0, End(buffers_[row]));
      const std::u32string& glyph = (*current_)[row];
      char32_t left = 0, right = 0;
      long amount = 0;
      if (rightToLeft_) {
        most = std::min<long>(most, static_cast<long>(line.size()));
        long charEdge = static_cast<long>(glyph.size());
        for (;; --charEdge) {
          left = at(glyph, static_cast<std::size_t>(charEdge));
          if (!(charEdge > 0 && (left == 0 || left == ' '))) break;
        }
        long lineEdge = 0;
        for (; (right = at(line, static_cast<std::size_t>(lineEdge))) == ' '; ++lineEdge) {
        }
        amount = lineEdge + static_cast<long>(width_) - 1 - charEdge;
      } else {
        long lineEdge = static_cast<long>(line.size());
        for (;; --lineEdge) {
          left = at(line, static_cast<std::size_t>(lineEdge));
          if (!(lineEdge > 0 && (left == 0 || left == ' '))) break;
        }
        long charEdge = 0;
        for (; (right = at(glyph, static_cast<std::size_t>(charEdge))) == ' '; ++charEdge) {
        }
        amount = charEdge + static_cast<long>(length_) - 1 - lineEdge;
      }
      if (left == 0 || left == ' ') {
        ++amount;
      } else if (right != 0 && Smush(left, right) != 0) {
        ++amount;
      }
      most = std::min(most, amount);
    }
    return static_cast<std::size_t>(std::max(most, 0L));
  }

  const FigletFont& font_;
  int mode_;
  bool rightToLeft_;
  std::size_t limit_;
  std::vector<std::u32string> buffers_;
  std::size_t length_ = 0;
  std::u32string text_;
  const std::vector<std::u32string>* current_ = nullptr;
  std::size_t width_ = 0, previousWidth_ = 0;
};

// The layout asked for, as figlet makes it of its options and the font's.
int ModeOf(const FigletFont& font, const FigletLayout& layout) {
  switch (layout.mode) {
    case FigletLayout::Mode::Font: return font.layout;
    case FigletLayout::Mode::FullWidth: return 0;
    case FigletLayout::Mode::Kerning: return Rule::kKerning;
    case FigletLayout::Mode::Smushing: return Rule::kSmushing | font.layout;
    case FigletLayout::Mode::Overlap: return Rule::kSmushing;
    case FigletLayout::Mode::Number:
      if (layout.number < -1) return font.layout;
      if (layout.number == 0) return Rule::kKerning;
      if (layout.number < 0) return 0;
      return (layout.number & 63) | Rule::kSmushing;
  }
  return font.layout;
}

// figlet's printing of a row: at most width - 1 characters, after the
// spaces its justification asks, hardblanks as spaces.
std::u32string Printed(std::u32string_view row, char32_t hardBlank, std::size_t width, int justification) {
  std::size_t length = row.size();
  std::u32string out;
  if (width > 1) {
    length = std::min(length, width - 1);
    if (justification > 0) {
      for (long i = 1;
           (3 - justification) * i + static_cast<long>(length) + justification - 2 < static_cast<long>(width); ++i) {
        out += ' ';
      }
    }
  }
  for (std::size_t i = 0; i < length; ++i) out += row[i] == hardBlank ? char32_t{' '} : row[i];
  return out;
}

}  // namespace

std::u32string FigletMissing(const FigletFont& font, std::u32string_view text) {
  std::u32string missing;
  if (font.characters.count(0) != 0) return missing;
  for (char32_t c : text) {
    if (c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') c = ' ';
    if ((c > 0 && c < ' ') || c == 127) continue;
    if (font.characters.count(static_cast<long>(c)) == 0 && missing.find(c) == std::u32string::npos) missing += c;
  }
  return missing;
}

std::vector<std::u32string> FigletLines(const FigletFont& font, std::u32string_view text, const FigletLayout& layout) {
  const bool rightToLeft = layout.direction == FigletLayout::Direction::Font
                               ? font.rightToLeft
                               : layout.direction == FigletLayout::Direction::RightToLeft;
  int justification = 0;
  switch (layout.justify) {
    case FigletLayout::Justify::Auto: justification = rightToLeft ? 2 : 0; break;
    case FigletLayout::Justify::Left: justification = 0; break;
    case FigletLayout::Justify::Center: justification = 1; break;
    case FigletLayout::Justify::Right: justification = 2; break;
  }
  const std::size_t width = std::max<std::size_t>(layout.width, 1);
  Line line(font, ModeOf(font, layout), rightToLeft, width - 1);
  std::vector<std::u32string> out;
  const auto print = [&] {
    for (const std::u32string& row : line.Rows()) out.push_back(Printed(row, font.hardBlank, width, justification));
    line.Clear();
  };
  // Splits the line at its last space: what is before it printed, what is
  // after it the start of the next line.
  const auto split = [&] {
    const std::u32string laid = line.Text();
    long i = static_cast<long>(laid.size()) - 1, lastSpace = i;
    bool gotSpace = false;
    for (; i >= 0; --i) {
      if (!gotSpace && laid[static_cast<std::size_t>(i)] == ' ') gotSpace = true, lastSpace = i;
      if (gotSpace && laid[static_cast<std::size_t>(i)] != ' ') break;
    }
    const std::u32string before = laid.substr(0, static_cast<std::size_t>(i + 1));
    const std::u32string after = laid.substr(static_cast<std::size_t>(lastSpace + 1));
    line.Clear();
    for (const char32_t c : before) line.Add(c);
    print();
    for (const char32_t c : after) line.Add(c);
  };
  int wordBreak = 0;
  for (char32_t c : text) {
    if (c == '\t' || c == ' ') {
      c = ' ';
    } else if (c == '\n' || c == '\r' || c == '\v' || c == '\f') {
      c = '\n';
    }
    if ((c > 0 && c < ' ' && c != '\n') || c == 127) continue;
    bool notAdded = false;
    do {
      notAdded = false;
      if (wordBreak == -1) {
        if (c == ' ') break;
        if (c == '\n') {
          wordBreak = 0;
          break;
        }
        wordBreak = 0;
      }
      if (c == '\n') {
        print();
        wordBreak = 0;
      } else if (line.Add(c)) {
        wordBreak = c != ' ' ? (wordBreak >= 2 ? 3 : 1) : (wordBreak > 0 ? 2 : 0);
      } else if (line.Length() == 0) {
        // A character wider than the whole line: printed alone, cut.
        for (const std::u32string& row : line.Current()) {
          const std::u32string_view shown = rightToLeft && width > 1 && row.size() > width - 1
                                                ? std::u32string_view(row).substr(row.size() - (width - 1))
                                                : std::u32string_view(row);
          out.push_back(Printed(shown, font.hardBlank, width, justification));
        }
        wordBreak = -1;
      } else if (c == ' ') {
        if (wordBreak == 2) {
          split();
        } else {
          print();
        }
        wordBreak = -1;
      } else {
        if (wordBreak >= 2) {
          split();
        } else {
          print();
        }
        wordBreak = wordBreak == 3 ? 1 : 0;
        notAdded = true;
      }
    } while (notAdded);
  }
  if (line.Length() != 0) print();
  return out;
}

}  // namespace morvexa
