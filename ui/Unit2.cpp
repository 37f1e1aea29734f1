#include "Unit2.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "ui_Unit2.h"
#include "window_font.h"
#include "window_placement.h"

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

  ui->Label6->adjustSize();  // the credit at full width: it fits its place
  ui->Label3->installEventFilter(this);
  ui->Label4->installEventFilter(this);
  // The description takes the focus first: the panel above it shows none.
  ui->Memo1->setFocus();
  CenterOnScreen(*this);
}

TForm2::~TForm2() = default;

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
