#include "window_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace morvexa {

namespace {

// Double-byte characters of several kinds: ideographs, punctuation, full-width
// forms, box drawing.
const QString kDoubleByteSample = QStringLiteral("字编程汉图，。：、（）【】＄ＡａⅠ─│■□〓");

}  // namespace

bool KeepsArtAligned(const QFont& font) {
  const QFontMetrics metrics(font);
  const int single = metrics.horizontalAdvance(QLatin1Char('a'));
  if (single <= 0) return false;
  for (char16_t c = 32; c <= 126; ++c) {
    if (metrics.horizontalAdvance(QChar(c)) != single) return false;
  }
  for (const QChar c : kDoubleByteSample) {
    if (metrics.horizontalAdvance(c) != 2 * single) return false;
  }
  return true;
}

QFont WindowFont(int pixelSize) {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : kWindowFontFamilies) {
    if (!installed.contains(family, Qt::CaseInsensitive)) continue;
    QFont font(family);
    font.setPixelSize(pixelSize);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0 && KeepsArtAligned(font)) return font;
  }
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(pixelSize);
  return fixed;
}

}  // namespace morvexa
