#include "Unit2.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "ui_Unit2.h"
#include "window_font.h"

namespace morvexa {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      ui(std::make_unique<Ui::TForm2>()) {
  setFont(WindowFont(14));
  ui->setupUi(this);
  setFixedSize(228, 179);

  QPalette colors = palette();
  colors.setColor(QPalette::Window, colors.color(QPalette::ToolTipBase));
  colors.setColor(QPalette::WindowText, QColor(0x00, 0x80, 0x00));
  setPalette(colors);
  setAutoFillBackground(true);

  FitCredit();
  ui->Label3->installEventFilter(this);
  ui->Label4->installEventFilter(this);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

TForm2::~TForm2() = default;

// The credit's place leaves little room beside the second link: a name too
// long for it is drawn narrower rather than cut off.
void TForm2::FitCredit() {
  QLabel* credit = ui->Label6;
  const int room = width() - credit->x() - 2;
  QFont font = credit->font();
  const int needed = QFontMetrics(font).horizontalAdvance(credit->text());
  if (needed > room) {
    font.setStretch(std::max(50, room * 100 / needed));
    credit->setFont(font);
  }
  credit->resize(std::min(room, QFontMetrics(credit->font()).horizontalAdvance(credit->text()) + 1), credit->height());
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == ui->Label3) Label3Click();
    if (watched == ui->Label4) Label4Click();
  }
  return QDialog::eventFilter(watched, event);
}

void TForm2::Label3Click() { OpenMail(ui->Label3->text()); }
void TForm2::Label4Click() { OpenMail(ui->Label4->text()); }

// Without a mail program nothing happens: the box stays open, and nothing
// is reported.
void TForm2::OpenMail(const QString& address) { (void)openUrl(QUrl(QStringLiteral("mailto:") + address)); }

}  // namespace morvexa
