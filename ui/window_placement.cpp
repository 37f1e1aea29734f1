#include "window_placement.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace morvexa {

namespace {

void Center(QWidget& window) {
  const QScreen* screen = window.screen();
  if (!screen) return;
  // move() places the frame's top-left corner.
  const QRect area = screen->availableGeometry();
  const QSize frame = window.frameGeometry().size();
  window.move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

// Centers the window again when its frame first differs from its own
// size: the window system has added the title bar.
class Recenter : public QObject {
 public:
  explicit Recenter(QWidget& window) : QObject(&window), window_(&window) { window.installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show || event->type() == QEvent::Move) {
      QTimer::singleShot(0, this, [this] {
        if (!window_ || done_ || window_->frameGeometry().size() == window_->size()) return;
        done_ = true;
        Center(*window_);
      });
    }
    return false;
  }

 private:
  QPointer<QWidget> window_;
  bool done_ = false;
};

}  // namespace

void CenterOnScreen(QWidget& window) {
  Center(window);
  new Recenter(window);
}

}  // namespace morvexa
