#pragma once

#include <QProxyStyle>

namespace morvexa {

// Draws a push button's image and caption with a chosen gap between them
// (the styles' own gap is fixed), the pair centred on the button; the rest
// is the application's style.
class IconSpacingStyle : public QProxyStyle {
 public:
  explicit IconSpacingStyle(int spacing) : spacing_(spacing) {}

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;

 private:
  int spacing_;
};

}  // namespace morvexa
