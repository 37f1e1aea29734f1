#include "drawn_symbols.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace morvexa {

std::function<std::optional<DrawnCell>(char32_t)> DrawnBy(const QFont& font) {
  return [font](char32_t symbol) -> std::optional<DrawnCell> {
    const QFontMetricsF metrics(font);
    if (!metrics.inFontUcs4(symbol)) return std::nullopt;
    const QString text = QString::fromUcs4(&symbol, 1);
    DrawnCell cell;
    cell.cellWide = metrics.horizontalAdvance(text);
    cell.cellHigh = metrics.height();
    cell.width = static_cast<int>(std::ceil(cell.cellWide));
    cell.height = static_cast<int>(std::ceil(cell.cellHigh));
    if (cell.width <= 0 || cell.height <= 0) return std::nullopt;
    // Drawn with room above and below the line: what a font draws past
    // its line (an underscore below the descent, in some) the output area
    // shows at the line's edge, and so it is counted there rather than
    // lost.
    const int margin = cell.height;
    QImage image(cell.width, cell.height + 2 * margin, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(QPointF(0, margin + metrics.ascent()), text);
    }
    cell.coverage.assign(static_cast<std::size_t>(cell.width) * static_cast<std::size_t>(cell.height), 0);
    for (int y = 0; y < image.height(); ++y) {
      const uchar* row = image.constScanLine(y);
      const int at = std::clamp(y - margin, 0, cell.height - 1) * cell.width;
      for (int x = 0; x < cell.width; ++x) {
        unsigned char& covered = cell.coverage[static_cast<std::size_t>(at + x)];
        covered = static_cast<unsigned char>(std::min(255, covered + 255 - row[x]));
      }
    }
    return cell;
  };
}

}  // namespace morvexa
