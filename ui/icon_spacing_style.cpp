#include "icon_spacing_style.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace morvexa {

void IconSpacingStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
  if (element != CE_PushButtonLabel || !button || button->icon.isNull() || button->text.isEmpty()) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  const bool enabled = button->state & State_Enabled;
  QRect area = button->rect;
  if (button->state & (State_On | State_Sunken)) {
    area.translate(proxy()->pixelMetric(PM_ButtonShiftHorizontal, option, widget),
                   proxy()->pixelMetric(PM_ButtonShiftVertical, option, widget));
  }
  const QSize icon = button->iconSize;
  const int textWidth = button->fontMetrics.horizontalAdvance(button->text);
  const int left = area.x() + (area.width() - (icon.width() + spacing_ + textWidth)) / 2;
  const QPixmap pixmap =
      button->icon.pixmap(icon, painter->device()->devicePixelRatio(), enabled ? QIcon::Normal : QIcon::Disabled);
  painter->drawPixmap(left, area.y() + (area.height() - icon.height()) / 2, pixmap);
  const QRect text(left + icon.width() + spacing_, area.y(), textWidth + 1, area.height());
  proxy()->drawItemText(painter, text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, button->palette,
                        enabled, button->text, QPalette::ButtonText);
}

}  // namespace morvexa
