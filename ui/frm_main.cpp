#include "frm_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

#include "Unit2.h"
#include "art_edit.h"
#include "busy_cursor.h"
#include "byte_limit_validator.h"
#include "display_text.h"
#include "drawn_symbols.h"
#include "icon_spacing_style.h"
#include "morvexa/convert_picture.h"
#include "morvexa/failure.h"
#include "morvexa/memory_char_list.h"
#include "morvexa/picture_file.h"
#include "morvexa/refusals.h"
#include "morvexa/replace_char.h"
#include "morvexa/replacing_file.h"
#include "morvexa/text_to_asc.h"
#include "picture_preview.h"
#include "picture_settings.h"
#include "program_start.h"
#include "qt_text.h"
#include "ui_frm_main.h"
#include "window_font.h"
#include "window_limits.h"
#include "window_placement.h"

// The images are built into this library; a static library's resources are
// initialised by name.
static void InitImages() { Q_INIT_RESOURCE(morvexa); }

namespace morvexa {

namespace {

// The save dialog's filters after "*.txt", which saves the art text itself.
constexpr char kUtf8Filter[] = "UTF-8 文本 (*.txt)";
constexpr char kHtmlFilter[] = "HTML 网页 (*.html)";

// Widens the columns of a file dialog's detailed list to what they hold
// whenever what they hold changes: sizes and types are not cut off. (They
// arrive after the folder is listed, from Qt's file information thread.)
void FitColumns(QFileDialog& dialog) {
  auto* view = dialog.findChild<QTreeView*>();
  if (!view || !view->model()) return;
  auto* fit = new QTimer(view);  // one fit for a burst of changes
  fit->setSingleShot(true);
  fit->setInterval(0);
  QObject::connect(fit, &QTimer::timeout, view, [view] {
    int others = 0;
    for (int column = 1; column < view->model()->columnCount(); ++column) {
      view->setColumnWidth(column, std::max(view->columnWidth(column),
                                            std::max(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column),
                                                     view->header()->sectionSizeHint(column))));
      others += view->columnWidth(column);
    }
    // The names take the width that is left, so that every column shows.
    constexpr int kLeastNameWidth = 160;
    view->setColumnWidth(0, std::max(kLeastNameWidth, view->viewport()->width() - others));
  });
  const QAbstractItemModel* model = view->model();
  const auto later = [fit] { fit->start(); };
  QObject::connect(model, &QAbstractItemModel::rowsInserted, fit, later);
  QObject::connect(model, &QAbstractItemModel::dataChanged, fit, later);
  QObject::connect(model, &QAbstractItemModel::layoutChanged, fit, later);
  QObject::connect(model, &QAbstractItemModel::modelReset, fit, later);
}

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

// The output area's color toggle, and where it is remembered.
constexpr char kShowColors[] = "彩色显示";

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

Tfrmmain::Tfrmmain(DialogSeam& dialogs, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Tfrmmain>()), dialogs_(dialogs), list_(nullptr) {
  InitImages();
  setFont(WindowFont(12));
  ui->setupUi(this);
  setWindowIcon(ProgramIcon());
  // Art is mostly ASCII symbols: no shaping is needed to lay out its long
  // lines (Qt still shapes scripts that require it).
  QFont artFont = ui->Memo1->font();
  artFont.setStyleStrategy(QFont::PreferNoShaping);
  ui->Memo1->setFont(artFont);
  art_ = new MemoArtArea(ui->Memo1);
  ui->Memo1->SetArt(art_);
  colorDisplay_ = new ArtColorDisplay(*ui->Memo1, *art_, this);
  colorToggle_ = new QAction(Text(kShowColors), this);
  colorToggle_->setObjectName("colorToggle");
  colorToggle_->setCheckable(true);
  connect(colorToggle_, &QAction::toggled, this, [this] { ShowColors(); });
  ui->Memo1->SetColorToggle(colorToggle_);
  ShowColors();
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
  CreateShortcuts();
  FormCreate();
  setMinimumSize(size());  // every control stays in sight
  setAcceptDrops(true);
  connect(ui->ledtin, &QLineEdit::returnPressed, this, [this] { RunCommand([this] { BtntoascClick(); }); });
  connect(ui->Memo1->document(), &QTextDocument::contentsChanged, this, [this] { FollowUndo(); });
  CenterOnScreen(*this);
}

void Tfrmmain::CreateShortcuts() {
  struct Key {
    QKeySequence keys;
    std::function<void()> run;
  };
  const Key keys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { RunCommand([this] { Button1Click(); }); }},
      {QKeySequence(Qt::CTRL | Qt::Key_S), [this] { RunCommand([this] { sbtosaveClick(); }); }},
      {QKeySequence(Qt::CTRL | Qt::Key_R), [this] { RunCommand([this] { sbtorelClick(); }); }},
      {QKeySequence(Qt::Key_F1), [this] { RunCommand([this] { SpeedButton1Click(); }); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { ui->Memo1->Zoom(1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { ui->Memo1->Zoom(1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { ui->Memo1->Zoom(-1); }},
      {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ui->Memo1->ResetZoom(); }},
  };
  for (const Key& key : keys) connect(new QShortcut(key.keys, this), &QShortcut::activated, this, key.run);
  // The tooltips say them.
  ui->Btntoasc->setToolTip(Text("文字（在“汉字”框中按 Enter）"));
  ui->BitBtn1->setToolTip(Text("图片 (Ctrl+O)"));
  ui->sbtorel->setToolTip(Text("替换 (Ctrl+R)"));
  ui->sbtosave->setToolTip(Text("保存图像 (Ctrl+S)"));
  ui->SpeedButton1->setToolTip(Text("关于 (F1)"));
}

void Tfrmmain::CreateDialogs() {
  // Qt's own dialogs rather than the platform's, so that they behave the same
  // everywhere and the open dialog can carry the picture preview.
  opendlgpic =
      new QFileDialog(this, Text("打开"), QString(),
                      QStringLiteral("All.bmp (*.bmp);;") + Text("图片 (*.bmp *.png *.jpg *.jpeg *.gif *.webp)"));
  opendlgpic->setObjectName("opendlgpic");
  opendlgpic->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  opendlgpic->setAcceptMode(QFileDialog::AcceptOpen);
  opendlgpic->setFileMode(QFileDialog::ExistingFile);
  PicturePreview::AttachTo(*opendlgpic);
  // The colored view is one setting, in the output area's menu and in the
  // picture panel alike, which remembers it.
  auto* pictureSettings = opendlgpic->findChild<PictureSettings*>();
  colorToggle_->setChecked(pictureSettings->ColoredView());
  connect(colorToggle_, &QAction::toggled, pictureSettings, &PictureSettings::SetColoredView);
  connect(pictureSettings, &PictureSettings::ColoredViewChanged, colorToggle_, &QAction::setChecked);

  savedlgasc =
      new QFileDialog(this, Text("另存为"), QString(),
                      QStringLiteral("*.txt (*.txt);;") + Text(kUtf8Filter) + QStringLiteral(";;") + Text(kHtmlFilter));
  savedlgasc->setObjectName("savedlgasc");
  savedlgasc->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
  savedlgasc->setAcceptMode(QFileDialog::AcceptSave);
  savedlgasc->setFileMode(QFileDialog::AnyFile);
  savedlgasc->setDefaultSuffix(QStringLiteral("txt"));
  // Sizes at which the file lists' columns show what they hold.
  opendlgpic->resize(860, 520);
  savedlgasc->resize(760, 480);
  for (QFileDialog* dialog : {opendlgpic, savedlgasc}) FitColumns(*dialog);
  connect(savedlgasc, &QFileDialog::filterSelected, savedlgasc, [this] {
    savedlgasc->setDefaultSuffix(Chosen(*savedlgasc, kHtmlFilter) ? QStringLiteral("html") : QStringLiteral("txt"));
  });
}

namespace {

// Shows a file dialog offering the file chosen at its previous use; the
// chosen path, or an empty string for a cancel.
QString Choose(DialogSeam& dialogs, QFileDialog& dialog) {
  const QString previous = dialog.property("previousFile").toString();
  // Offering the file is not highlighting it: the preview follows the
  // dialog's selection only while the dialog is shown.
  if (!previous.isEmpty()) dialog.selectFile(previous);
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

bool Tfrmmain::Unsaved() const { return ui->Memo1->document()->isModified(); }

// Art that was made or changed and never saved is not let go without a
// word: saved first, let go, or kept.
void Tfrmmain::closeEvent(QCloseEvent* event) {
  if (!Unsaved()) {
    event->accept();
    return;
  }
  bool close = false;
  switch (dialogs_.AskToSave(this)) {
    case SaveChoice::Save: RunCommand([&] { close = Save(); }); break;
    case SaveChoice::DontSave: close = true; break;
    case SaveChoice::Cancel: break;
  }
  if (close) {
    event->accept();
  } else {
    event->ignore();
  }
}

// A picture file dropped on the window converts as one chosen with 图片.
void Tfrmmain::dragEnterEvent(QDragEnterEvent* event) {
  if (CarriesFiles(event->mimeData())) event->acceptProposedAction();
}

void Tfrmmain::dropEvent(QDropEvent* event) {
  if (!CarriesFiles(event->mimeData())) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    event->acceptProposedAction();
    ConvertPictureCommand(url.toLocalFile());
    return;
  }
}

// Each command makes one step of the output area's undo; undoing or redoing
// it brings back the symbol list it had.
void Tfrmmain::FollowUndo() {
  const int steps = ui->Memo1->document()->availableUndoSteps();
  if (steps == undoSteps_) return;
  for (const ListChange& change : listChanges_) {
    const std::vector<ByteString>* entries = nullptr;
    if (undoSteps_ == change.stepsAfter && steps == change.stepsBefore) entries = &change.before;  // undone
    if (undoSteps_ == change.stepsBefore && steps == change.stepsAfter) entries = &change.after;   // redone
    if (entries) {
      list_.Clear();
      for (const ByteString& entry : *entries) list_.Add(entry);
      FollowList();
      break;
    }
  }
  // An edit after undoing forgets the commands that can no longer be redone.
  if (steps > undoSteps_ && ui->Memo1->document()->availableRedoSteps() == 0) {
    std::erase_if(listChanges_, [this](const ListChange& change) { return change.stepsBefore >= undoSteps_; });
  }
  undoSteps_ = steps;
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
  std::vector<ByteString> before;
  for (int i = 0; i < list_.Count(); ++i) before.push_back(list_.Get(i));
  const int stepsBefore = ui->Memo1->document()->availableUndoSteps();
  QString failure;
  try {
    command();
  } catch (const std::exception& e) {
    failure = QString::fromUtf8(e.what());
  } catch (...) {
    failure = QStringLiteral("Unknown failure");
  }
  if (art_->Flush()) {
    if (art_->UndoForgotten()) {
      // Nothing to undo to: no symbol list to bring back either.
      listChanges_.clear();
      undoSteps_ = ui->Memo1->document()->availableUndoSteps();
    } else {
      // The command's one undo step, and the symbol list on either side of it.
      ListChange change{stepsBefore, ui->Memo1->document()->availableUndoSteps(), std::move(before), {}};
      for (int i = 0; i < list_.Count(); ++i) change.after.push_back(list_.Get(i));
      std::erase_if(listChanges_, [&](const ListChange& old) { return old.stepsBefore >= stepsBefore; });
      listChanges_.push_back(std::move(change));
      undoSteps_ = listChanges_.back().stepsAfter;
    }
  }
  ShowColors();
  FollowList();
  if (!failure.isNull()) ReportFailure(failure);
}

void Tfrmmain::FollowList() {
  bool characters = false;
  for (int i = 0; i < list_.Count() && !characters; ++i) characters = list_.Get(i).size() == 2;
  ui->ledtnewc->setMaxBytes(characters ? 2 : 1);
  ui->ledtnewc->setMaxCharacters(characters ? 1 : 0);
}

void Tfrmmain::ShowColors() {
  if (colorToggle_->isChecked() != colorDisplay_->Showing()) {
    colorDisplay_->SetShowing(colorToggle_->isChecked());
  } else {
    colorDisplay_->Refresh();
  }
}

void Tfrmmain::ReportFailure(const QString& message) {
  const QByteArray utf8 = message.toUtf8();
  dialogs_.ShowMessage(nullptr, Text(FailureReportText({utf8.constData(), static_cast<std::size_t>(utf8.size())})),
                       QApplication::applicationName(), MessageIcon::Stop);
}

void Tfrmmain::BtntoascClick() {
  const TextToAscResult result =
      TextToAsc(QStringToBytes(ui->ledtin->text()), QStringToBytes(ui->cboqian->currentText()),
                QStringToBytes(ui->cbobei->currentText()), list_, *art_);
  if (result == TextToAscResult::Done) return;
  ShowRefusal(RefusalOf(result));
  ui->ledtin->setFocus();
}

void Tfrmmain::ShowRefusal(const Refusal& refusal) {
  MessageIcon icon = MessageIcon::Error;
  switch (refusal.icon) {
    case RefusalIcon::Information: icon = MessageIcon::Information; break;
    case RefusalIcon::Warning: icon = MessageIcon::Warning; break;
    case RefusalIcon::Error: icon = MessageIcon::Error; break;
  }
  dialogs_.ShowMessage(this, Text(refusal.text), Text(refusal.caption), icon);
}

void Tfrmmain::Button1Click() {
  const QString path = Choose(dialogs_, *opendlgpic);
  if (path.isEmpty()) return;
  ConvertPictureFile(path);
}

void Tfrmmain::ConvertPictureCommand(const QString& path, const std::optional<PictureOptions>& options,
                                     std::size_t frame) {
  RunCommand([this, path, options, frame] { ConvertPictureFile(path, options, frame); });
}

void Tfrmmain::ConvertPictureFile(const QString& path, const std::optional<PictureOptions>& given, std::size_t frame) {
  // A picture that cannot be read, or is too large for the window, fails
  // before anything changes: the art is made aside and taken only once
  // it is complete.
  Picture picture = PictureFile::Open(ToPath(path)).Still(frame);
  // Options given with the picture on the command line apply to it alone;
  // otherwise the open dialog's, as the person left them. Drawn in the
  // picture's proportions, as 宽度 says.
  auto* pictureSettings = opendlgpic->findChild<PictureSettings*>();
  PictureOptions options = InProportion(given ? *given : pictureSettings->Options(), picture.Width(), picture.Height());
  // Its symbols are matched to the glyphs the output area shows them with,
  // as it draws them.
  const QFontInfo artFont(ui->Memo1->font());
  options.glyphs = {artFont.family().toStdString(), artFont.pixelSize(), true, DrawnBy(ui->Memo1->font())};
  const ArtSize size = FitArtSize(picture.Width(), picture.Height(), options);
  if (!FitsInTheWindow(size.columns, size.lines)) {
    dialogs_.ShowMessage(this, Text(kTooLarge), Text("图片"), MessageIcon::Warning);
    return;
  }
  const BusyCursor busy;
  DisplayText art;
  art.Reserve((size.columns + 1) * size.lines);
  MemoryCharList symbols;
  ConvertPicture(std::move(picture), options, symbols, art);
  art_->Adopt(art.TakeText(), art.TakeColors());
  list_.Clear();
  for (const ByteString& entry : symbols.Entries()) list_.Add(entry);
  // A way given for this picture alone shows its colors as the dialog's
  // boxes do when ticked.
  if (given) pictureSettings->ShowColorsOf(options.way);
}

void Tfrmmain::sbtorelClick() {
  const ReplaceResult result = ReplaceChar(list_, QStringToBytes(ui->ledtnewc->text()), *art_);
  if (result == ReplaceResult::Done) return;
  ShowRefusal(RefusalOf(result));
  if (result == ReplaceResult::LengthMismatch) ui->ledtnewc->setFocus();
}

void Tfrmmain::sbtosaveClick() { Save(); }

bool Tfrmmain::Save() {
  const QString path = Choose(dialogs_, *savedlgasc);
  if (path.isEmpty()) return false;
  if (Chosen(*savedlgasc, kUtf8Filter) || Chosen(*savedlgasc, kHtmlFilter)) {
    ArtFormSettings form;
    form.form = Chosen(*savedlgasc, kHtmlFilter) ? ArtForm::Html : ArtForm::Utf8;
    form.title = QFileInfo(path).completeBaseName().toStdString();
    WriteFileReplacing(ToPath(path), art_->Export(form));
  } else {
    // The art text itself, byte for byte.
    WriteFileReplacing(ToPath(path), art_->Text());
  }
  ui->Memo1->document()->setModified(false);
  dialogs_.ShowMessage(this, Text("已保存"), Text("完成"), MessageIcon::Information);
  return true;
}

void Tfrmmain::TellOfInterruptedSave(const InterruptedSave& save) {
  const QString file = save.target.empty() ? Text("某个文件") : Text(save.target);
  QString text;
  MessageIcon icon = MessageIcon::Information;
  switch (save.outcome) {
    case InterruptedSave::Outcome::NotBegun: text = Text("保存 %1 时曾被中断，文件尚未改动，仍是原来的内容。"); break;
    case InterruptedSave::Outcome::Completed:
      text = Text("保存 %1 时曾被中断，但新内容已完整写入，文件保留新内容。");
      break;
    case InterruptedSave::Outcome::Undone:
      text = Text("保存 %1 时曾被中断，文件只写入了一部分，已恢复原来的内容。");
      icon = MessageIcon::Warning;
      break;
    case InterruptedSave::Outcome::Kept:
      text = Text("保存 %1 时曾被中断；此后文件已有改动，保持现状。那次保存之前的内容另存在 %2。");
      icon = MessageIcon::Warning;
      break;
    case InterruptedSave::Outcome::Damaged:
      text = Text("保存 %1 时曾被中断，但留存的原内容副本已损坏；文件保持现状，副本另存在 %2。");
      icon = MessageIcon::Warning;
      break;
  }
  text = text.arg(file);
  if (!save.kept.empty()) text = text.arg(Text(save.kept));
  dialogs_.ShowMessage(this, text, Text("保存"), icon);
}

void Tfrmmain::SpeedButton1Click() {
  TForm2 about;
  dialogs_.ShowModal(about);
}

}  // namespace morvexa
