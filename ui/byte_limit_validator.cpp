#include "byte_limit_validator.h"

#include "qt_text.h"

namespace morvexa {

QValidator::State ByteLimitValidator::validate(QString& input, int& pos) const {
  const qsizetype before = input.size();
  if (ReplaceUnencodable(input)) pos = static_cast<int>(std::max<qsizetype>(0, pos - (before - input.size())));
  if (maxBytes_ > 0 && QStringToBytes(input).size() > static_cast<std::size_t>(maxBytes_)) return Invalid;
  if (maxCharacters_ > 0 && QStringView(input).toUcs4().size() > maxCharacters_) return Invalid;
  return Acceptable;
}

}  // namespace morvexa
