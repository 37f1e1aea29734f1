#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "morvexa/byte_string.h"

namespace morvexa::cli {

// The character set of the user's locale (LC_CTYPE), in which arguments
// arrive and messages leave. UTF-8 locales, and the plain C locale, use
// UTF-8, as the program always has; a locale of the Chinese national
// character sets (GBK, GB2312, GB18030) uses code page 936 itself.
class LocaleText {
 public:
  LocaleText();  // reads the locale set by setlocale(LC_ALL, "")

  // An argument's text as code page 936 bytes; nothing when it is not
  // valid in the locale's set or holds a character code page 936 cannot.
  std::optional<ByteString> ToCp936(std::string_view argument) const;
  // An argument's text as Unicode; nothing when it is not valid in the
  // locale's set.
  std::optional<std::u32string> ToUnicode(std::string_view argument) const;
  // A message (UTF-8) as the terminal shows it.
  std::string ForTerminal(std::string_view utf8) const;

  bool Chinese() const { return chinese_; }

 private:
  std::string codeset_;
  bool utf8_ = true;
  bool chinese_ = false;
};

}  // namespace morvexa::cli
