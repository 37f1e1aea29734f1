#include "drawn_symbols.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
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
    QImage image(cell.width, cell.height, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setFont(font);
      painter.setPen(Qt::black);
      painter.drawText(QPointF(0, metrics.ascent()), text);
    }
    cell.coverage.reserve(static_cast<std::size_t>(cell.width) * static_cast<std::size_t>(cell.height));
    for (int y = 0; y < cell.height; ++y) {
      const uchar* row = image.constScanLine(y);
      for (int x = 0; x < cell.width; ++x) cell.coverage.push_back(static_cast<unsigned char>(255 - row[x]));
    }
    return cell;
  };
}

}  // namespace morvexa
