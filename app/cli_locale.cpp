#include "cli_locale.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cctype>

#include "morvexa/cp936.h"

namespace morvexa::cli {

namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

// All of in converted between two character sets; nothing when some of it
// does not convert.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return {};
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

LocaleText::LocaleText() : codeset_(nl_langinfo(CODESET)) {
  const std::string set = Upper(codeset_);
  chinese_ = set == "GBK" || set == "GB2312" || set == "GB18030" || set == "CP936" || set == "EUC-CN";
  // The C locale's ASCII is taken as UTF-8, as before locales were read.
  utf8_ = !chinese_;
}

std::optional<ByteString> LocaleText::ToCp936(std::string_view argument) const {
  if (utf8_) return cp936::FromUtf8(argument);
  const auto utf8 = Convert("UTF-8", codeset_.c_str(), argument);
  if (!utf8) return {};
  return cp936::FromUtf8(*utf8);
}

std::optional<std::u32string> LocaleText::ToUnicode(std::string_view argument) const {
  if (utf8_) return cp936::Utf8Decode(argument);
  const auto utf8 = Convert("UTF-8", codeset_.c_str(), argument);
  if (!utf8) return {};
  return cp936::Utf8Decode(*utf8);
}

std::string LocaleText::ForTerminal(std::string_view utf8) const {
  if (utf8_) return std::string(utf8);
  return Convert((codeset_ + "//TRANSLIT").c_str(), "UTF-8", utf8).value_or(std::string(utf8));
}

}  // namespace morvexa::cli
