#include "qt_text.h"

#include <QList>

#include "cp936.h"

namespace morvexa {

QString BytesToQString(ByteStringView bytes) {
  const std::u32string text = cp936::Decode(bytes);
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

ByteString QStringToBytes(const QString& text) {
  const QList<uint> ucs4 = text.toUcs4();
  return cp936::Encode(std::u32string(ucs4.begin(), ucs4.end()));
}

bool HeldInText(char32_t c) { return cp936::CanEncode(c) || cp936::IsByteEscape(c); }

bool ReplaceUnencodable(QString& text) {
  bool replaced = false;
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    if (HeldInText(c)) {
      out += QString::fromUcs4(&c, 1);
    } else {
      out += QLatin1Char('?');
      replaced = true;
    }
  }
  if (replaced) text = out;
  return replaced;
}

}  // namespace morvexa
