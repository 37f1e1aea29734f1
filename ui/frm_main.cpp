#include "frm_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QResizeEvent>

#include "Unit2.h"
#include "byte_limit_validator.h"
#include "failure.h"
#include "busy_cursor.h"
#include "display_text_area.h"
#include "icon_spacing_style.h"
#include "memory_char_list.h"
#include "convert_picture.h"
#include "open_picture.h"
#include "picture_settings.h"
#include "picture_preview.h"
#include "picture_to_asc.h"
#include "qt_text.h"
#include "refusal_text.h"
#include "replace_char.h"
#include "replacing_file.h"
#include "text_to_asc.h"
#include "ui_frm_main.h"
#include "window_font.h"
#include "window_limits.h"

// The images are built into this library; a static library's resources are
// initialised by name.
static void InitImages() { Q_INIT_RESOURCE(morvexa); }

namespace morvexa {

namespace {

// The save dialog's filters after "*.txt", which saves the art text itself.
constexpr char kUtf8Filter[] = "UTF-8 文本 (*.txt)";
constexpr char kHtmlFilter[] = "HTML 网页 (*.html)";

// Whether the dialog's chosen filter is filter (a dialog that hides the
// filters' patterns names them without).
bool Chosen(const QFileDialog& dialog, const char* filter) {
  const QString chosen = dialog.selectedNameFilter(), full = QString::fromUtf8(filter);
  return chosen == full || chosen == full.left(full.indexOf(QStringLiteral(" (")));
}

// Margins that the output area keeps to the window's right and bottom edges
// as the window is resized, and the docked parts' sizes.
constexpr int kMemoRightMargin = 60;
constexpr int kMemoBottomMargin = 63;
constexpr int kGroupHeight = 48;
constexpr int kPanelWidth = 53;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

Tfrmmain::Tfrmmain(DialogSeam& dialogs, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Tfrmmain>()), dialogs_(dialogs), list_(nullptr) {
  InitImages();
  setFont(WindowFont(12));
  ui->setupUi(this);
  setWindowIcon(QIcon(":/icons/morvexa-64.png"));
  // Art is mostly ASCII symbols: no shaping is needed to lay out its long
  // lines (Qt still shapes scripts that require it).
  QFont artFont = ui->Memo1->font();
  artFont.setStyleStrategy(QFont::PreferNoShaping);
  ui->Memo1->setFont(artFont);
  art_ = new MemoArtArea(ui->Memo1);
  ui->Memo1->SetArt(art_);
  list_ = ListCharList(ui->lstselc);
  for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3}) label->adjustSize();
  auto* oneBetween = new IconSpacingStyle(1);  // 1 pixel between the text button's image and caption
  oneBetween->setParent(ui->Btntoasc);
  ui->Btntoasc->setStyle(oneBetween);
  for (QComboBox* box : {ui->cboqian, ui->cbobei}) {
    box->setCompleter(nullptr);
    box->lineEdit()->setValidator(new ByteLimitValidator(2, box));
  }

  connect(ui->Btntoasc, &QPushButton::clicked, this, [this] { RunCommand([this] { BtntoascClick(); }); });
  connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { RunCommand([this] { Button1Click(); }); });
  connect(ui->sbtorel, &QToolButton::clicked, this, [this] { RunCommand([this] { sbtorelClick(); }); });
  connect(ui->sbtosave, &QToolButton::clicked, this, [this] { RunCommand([this] { sbtosaveClick(); }); });
  connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { RunCommand([this] { SpeedButton1Click(); }); });

  CreateDialogs();
  FormCreate();
}

void Tfrmmain::CreateDialogs() {
  // Qt's own dialogs rather than the platform's, so that they behave the same
  // everywhere and the open dialog can carry the picture preview.
  opendlgpic = new QFileDialog(this, Text("打开"), QString(),
                               QStringLiteral("All.bmp (*.bmp);;") + Text("图片 (*.bmp *.png *.jpg *.jpeg *.gif *.webp)"));
  opendlgpic->setObjectName("opendlgpic");
  opendlgpic->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  opendlgpic->setAcceptMode(QFileDialog::AcceptOpen);
  opendlgpic->setFileMode(QFileDialog::ExistingFile);
  PicturePreview::AttachTo(*opendlgpic);

  savedlgasc = new QFileDialog(this, Text("另存为"), QString(),
                               QStringLiteral("*.txt (*.txt);;") + Text(kUtf8Filter) + QStringLiteral(";;") + Text(kHtmlFilter));
  savedlgasc->setObjectName("savedlgasc");
  savedlgasc->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  savedlgasc->setAcceptMode(QFileDialog::AcceptSave);
  savedlgasc->setFileMode(QFileDialog::AnyFile);
  savedlgasc->setDefaultSuffix(QStringLiteral("txt"));
  connect(savedlgasc, &QFileDialog::filterSelected, savedlgasc, [this] {
    savedlgasc->setDefaultSuffix(Chosen(*savedlgasc, kHtmlFilter) ? QStringLiteral("html") : QStringLiteral("txt"));
  });
}

namespace {

// Shows a file dialog offering the file chosen at its previous use; the
// chosen path, or an empty string for a cancel.
QString Choose(DialogSeam& dialogs, QFileDialog& dialog) {
  const QString previous = dialog.property("previousFile").toString();
  if (!previous.isEmpty()) {
    // Offering the file is not highlighting it: the preview waits until
    // the dialog is shown.
    auto* preview = dialog.findChild<PicturePreview*>();
    if (preview) preview->SetFollowing(false);
    dialog.selectFile(previous);
    if (preview) preview->SetFollowing(true);
  }
  const QString chosen = dialogs.Execute(dialog);
  if (!chosen.isEmpty()) dialog.setProperty("previousFile", chosen);
  return chosen;
}

}  // namespace

Tfrmmain::~Tfrmmain() = default;

void Tfrmmain::FormCreate() {
  ui->cboqian->addItem(Text("字"));
  for (char16_t c = 32; c <= 126; ++c) {
    if (c != 32) ui->cboqian->addItem(QString(QChar(c)));
    ui->cbobei->addItem(QString(QChar(c)));
  }
  for (QComboBox* box : {ui->cboqian, ui->cbobei}) {
    for (int i = 0; i < box->count(); ++i) box->setItemData(i, QSize(0, kListItemHeight), Qt::SizeHintRole);
  }
  ui->cboqian->setCurrentIndex(4);
  ui->cbobei->setCurrentIndex(0);
  ui->Memo1->setPlainText(BytesToQString(kLineBreak));
}

void Tfrmmain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Dock();
}

void Tfrmmain::Dock() {
  const int w = width(), h = height();
  ui->GroupBox1->setGeometry(0, h - kGroupHeight, w, kGroupHeight);
  ui->Panel1->setGeometry(w - kPanelWidth, 0, kPanelWidth, h - kGroupHeight);
  ui->Memo1->setGeometry(0, 8, std::max(0, w - kMemoRightMargin), std::max(0, h - 8 - kMemoBottomMargin));
}

void Tfrmmain::RunCommand(const std::function<void()>& command) {
  QString failure;
  try {
    command();
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  } catch (...) {
    failure = QStringLiteral("Unknown failure");
  }
  art_->Flush();
  if (!failure.isNull()) ReportFailure(failure);
}

void Tfrmmain::ReportFailure(const QString& message) {
  const QByteArray utf8 = message.toUtf8();
  dialogs_.ShowMessage(nullptr, Text(FailureReportText({utf8.constData(), static_cast<std::size_t>(utf8.size())})),
                       QApplication::applicationDisplayName(), MessageIcon::Stop);
}

void Tfrmmain::BtntoascClick() {
  const TextToAscResult result =
      TextToAsc(QStringToBytes(ui->ledtin->text()), QStringToBytes(ui->cboqian->currentText()),
                QStringToBytes(ui->cbobei->currentText()), list_, *art_);
  switch (result) {
    case TextToAscResult::Done: return;
    case TextToAscResult::EmptyText:
      dialogs_.ShowMessage(this, Text(RefusalText(result)), Text("错误"), MessageIcon::Warning);
      break;
    case TextToAscResult::NotChinese:
      dialogs_.ShowMessage(this, Text(RefusalText(result)), Text("汉字"), MessageIcon::Error);
      break;
  }
  ui->ledtin->setFocus();
}

void Tfrmmain::Button1Click() {
  const QString path = Choose(dialogs_, *opendlgpic);
  if (path.isEmpty()) return;
  // A picture that cannot be read, or is too large for the window, fails
  // before anything changes: the art is made aside and taken only once
  // it is complete.
  auto picture = OpenPicture(ToPath(path));
  const PictureOptions options = opendlgpic->findChild<PictureSettings*>()->Options();
  const ArtSize size = FitArtSize(picture->Width(), picture->Height(), options);
  if (!FitsInTheWindow(size.columns, size.lines)) {
    dialogs_.ShowMessage(this, Text(kTooLarge), Text("图片"), MessageIcon::Warning);
    return;
  }
  const BusyCursor busy;
  DisplayTextArea art;
  art.Reserve((size.columns + 1) * size.lines);
  MemoryCharList symbols;
  ConvertPicture(std::move(picture), options, symbols, art);
  art_->Adopt(art.TakeText(), art.TakeColors());
  list_.Clear();
  for (const ByteString& entry : symbols.Entries()) list_.Add(entry);
}

void Tfrmmain::sbtorelClick() {
  const ReplaceResult result = ReplaceChar(list_, QStringToBytes(ui->ledtnewc->text()), *art_);
  switch (result) {
    case ReplaceResult::Done: return;
    case ReplaceResult::NothingSelected:
      dialogs_.ShowMessage(this, Text(RefusalText(result)), Text("提示"), MessageIcon::Information);
      return;
    case ReplaceResult::LengthMismatch:
      dialogs_.ShowMessage(this, Text(RefusalText(result)), Text("长度"), MessageIcon::Warning);
      ui->ledtnewc->setFocus();
      return;
  }
}

void Tfrmmain::sbtosaveClick() {
  const QString path = Choose(dialogs_, *savedlgasc);
  if (path.isEmpty()) return;
  if (Chosen(*savedlgasc, kUtf8Filter) || Chosen(*savedlgasc, kHtmlFilter)) {
    ArtFormSettings form;
    form.form = Chosen(*savedlgasc, kHtmlFilter) ? ArtForm::Html : ArtForm::Utf8;
    form.title = QFileInfo(path).completeBaseName().toStdString();
    WriteFileReplacing(ToPath(path), art_->Export(form));
  } else {
    // The art text itself, byte for byte.
    WriteFileReplacing(ToPath(path), art_->Text());
  }
  dialogs_.ShowMessage(this, Text("已保存"), Text("完成"), MessageIcon::Information);
}

void Tfrmmain::SpeedButton1Click() {
  TForm2 about;
  dialogs_.ShowModal(about);
}

}  // namespace morvexa
