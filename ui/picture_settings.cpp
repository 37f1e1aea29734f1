#include "picture_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSpinBox>

#include "byte_limit_validator.h"
#include "qt_text.h"

namespace morvexa {

namespace {

constexpr char kGroup[] = "pictureConversion";
// The output area's colored view, which its menu sets too.
constexpr char kColoredViewKey[] = "display/colors";

QSettings Stored() { return QSettings(QStringLiteral("Morvexa"), QStringLiteral("Morvexa")); }

// The ramp earlier versions offered and remembered as it was: a person who
// never changed it gets today's, whose symbols reach darker.
constexpr char kEarlierDefaultRamp[] = " .-=+*";

QString DefaultRamp() {
  return QString::fromLatin1(PictureOptions::kDefaultRamp.data(), PictureOptions::kDefaultRamp.size());
}

// The sets of Chinese characters 汉字 offers, as --hanzi names them, and
// the person's own.
constexpr char kLevel1[] = "level1";
constexpr char kAll[] = "all";
constexpr char kOwnCharacters[] = "custom";

// The art the window keeps: code page 936 text, its colors not asked for
// by the way.
constexpr DrawingTarget kWindowArt{ArtForm::Gbk, false, false};

// The characters of a set named as --hanzi names it, as the way holds them.
ByteString CharactersOf(const char* set) {
  DrawingRequest request;
  request.hanzi = ByteString(set);
  return std::get<Hanzi>(ChooseWayOfDrawing(request, kWindowArt).way).characters;
}

}  // namespace

std::size_t ColumnsDrawn(std::size_t columns, const WayOfDrawing& way) {
  if (!std::holds_alternative<Hanzi>(way) || columns == 0) return columns;
  const std::size_t cellColumns = static_cast<std::size_t>(Hanzi::kCellSamples.wide / Hanzi{}.PixelsAcross());
  return std::max<std::size_t>(1, columns / cellColumns) * cellColumns;
}

PictureSettings::PictureSettings(QWidget* parent)
    : QGroupBox(QStringLiteral("转换"), parent),
      width_(new QSpinBox(this)),
      colors_(new QComboBox(this)),
      dither_(new QCheckBox(QStringLiteral("抖动"), this)),
      ramp_(new QCheckBox(QStringLiteral("明暗字符"), this)),
      rampSymbols_(new QLineEdit(this)),
      shapes_(new QCheckBox(QStringLiteral("形状"), this)),
      blocks_(new QCheckBox(QStringLiteral("方块"), this)),
      hanzi_(new QCheckBox(QStringLiteral("汉字"), this)),
      hanziSet_(new QComboBox(this)),
      hanziCharacters_(new QLineEdit(this)),
      hanziText_(new QLineEdit(this)),
      hanziNote_(new QLabel(this)),
      fill_(new QCheckBox(QStringLiteral("填充背景"), this)),
      coloredView_(new QCheckBox(QStringLiteral("彩色显示"), this)) {
  setObjectName("pictureSettings");
  width_->setObjectName("pictureWidth");
  colors_->setObjectName("pictureColors");
  dither_->setObjectName("pictureDither");
  ramp_->setObjectName("pictureRamp");
  rampSymbols_->setObjectName("pictureRampSymbols");
  shapes_->setObjectName("pictureShapes");
  blocks_->setObjectName("pictureBlocks");
  hanzi_->setObjectName("pictureHanzi");
  hanziSet_->setObjectName("pictureHanziSet");
  hanziCharacters_->setObjectName("pictureHanziCharacters");
  hanziText_->setObjectName("pictureHanziText");
  hanziNote_->setObjectName("pictureHanziNote");
  fill_->setObjectName("pictureFill");
  coloredView_->setObjectName("pictureColoredView");

  width_->setRange(0, 4096);
  width_->setSuffix(QStringLiteral(" 列"));
  width_->setToolTip(QStringLiteral("字符画的列数；0 为按画法自动（框中显示将画的列数）"));
  colors_->addItem(QStringLiteral("全部"), 0);
  for (int k = 2; k <= PictureOptions::kMostColors; ++k) colors_->addItem(QString::number(k), k);
  colors_->setToolTip(QStringLiteral("把图片减少到这么多种颜色"));
  dither_->setToolTip(QStringLiteral("减少颜色时扩散误差"));
  ramp_->setToolTip(QStringLiteral("按亮度选字符，从亮到暗"));
  shapes_->setToolTip(QStringLiteral("按每格像素的形状选字符，线条和边缘更清楚"));
  blocks_->setToolTip(QStringLiteral("用方块字符画每格，每格两种颜色（彩色显示时可见）"));
  hanzi_->setToolTip(QStringLiteral("用汉字画每格，每格两列宽，选字形最像的字"));
  hanziSet_->addItem(QStringLiteral("常用字"), QString::fromLatin1(kLevel1));
  hanziSet_->addItem(QStringLiteral("全部"), QString::fromLatin1(kAll));
  hanziSet_->addItem(QStringLiteral("自定义"), QString::fromLatin1(kOwnCharacters));
  hanziSet_->setToolTip(
      QStringLiteral("选字的范围：常用字（GB2312 一级 3755 字）、全部（GB2312 的 6763 字）或自定义的字"));
  hanziCharacters_->setPlaceholderText(QStringLiteral("自定义的字"));
  hanziCharacters_->setToolTip(QStringLiteral("只从这些字中选字（内置字库中有的字，即 GB2312 的汉字）"));
  hanziText_->setPlaceholderText(QStringLiteral("排进图中的文字"));
  hanziText_->setToolTip(
      QStringLiteral("把这段文字按顺序排进图中，每格一字，循环排满；跳过空格，英文字母和符号变成全角"));
  // Characters that code page 936 cannot hold become "?" as they are typed.
  hanziCharacters_->setValidator(new ByteLimitValidator(0, hanziCharacters_));
  hanziText_->setValidator(new ByteLimitValidator(0, hanziText_));
  hanziNote_->setWordWrap(true);
  hanziNote_->setStyleSheet(QStringLiteral("color: #c00000"));
  hanziNote_->hide();
  coloredView_->setToolTip(QStringLiteral("输出区按每格的颜色显示字符画"));
  fill_->setToolTip(QStringLiteral("每格除了字符的颜色，还有背景色（彩色显示、HTML 和复制时可见）"));
  // Printable ASCII only, at least two: each symbol one byte.
  rampSymbols_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ -~]{0,95}")), this));

  auto* layout = new QFormLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addRow(QStringLiteral("宽度"), width_);
  layout->addRow(QStringLiteral("颜色"), colors_);
  layout->addRow(dither_);
  layout->addRow(ramp_);
  layout->addRow(rampSymbols_);
  layout->addRow(shapes_);
  layout->addRow(blocks_);
  auto* hanziRow = new QHBoxLayout;
  hanziRow->addWidget(hanzi_);
  hanziRow->addWidget(hanziSet_, 1);
  layout->addRow(hanziRow);
  layout->addRow(hanziCharacters_);
  layout->addRow(QStringLiteral("文字"), hanziText_);
  layout->addRow(hanziNote_);
  layout->addRow(fill_);
  layout->addRow(coloredView_);

  Recall();
  UpdateEnabled();
  auto changed = [this] {
    UpdateEnabled();
    Remember();
    emit Changed();
  };
  connect(width_, &QSpinBox::valueChanged, this, changed);
  connect(colors_, &QComboBox::currentIndexChanged, this, changed);
  connect(dither_, &QCheckBox::toggled, this, changed);
  connect(ramp_, &QCheckBox::toggled, this, changed);
  connect(rampSymbols_, &QLineEdit::textChanged, this, changed);
  connect(shapes_, &QCheckBox::toggled, this, changed);
  connect(blocks_, &QCheckBox::toggled, this, changed);
  connect(hanzi_, &QCheckBox::toggled, this, changed);
  connect(hanziSet_, &QComboBox::currentIndexChanged, this, changed);
  connect(hanziCharacters_, &QLineEdit::textChanged, this, changed);
  connect(hanziText_, &QLineEdit::textChanged, this, changed);
  connect(fill_, &QCheckBox::toggled, this, changed);
  // Art that means its colors is shown in them at once.
  for (QCheckBox* colored : {blocks_, fill_}) {
    connect(colored, &QCheckBox::toggled, this, [this](bool on) {
      if (on) ShowColorsOf(Options().way);
    });
  }
  connect(coloredView_, &QCheckBox::toggled, this, [this](bool on) {
    Stored().setValue(kColoredViewKey, on);
    emit ColoredViewChanged(on);
  });
}

PictureOptions PictureSettings::Options() const {
  PictureOptions options;
  options.width = static_cast<std::size_t>(width_->value());
  // The boxes ask as the command line's options do, one way at a time, and
  // the way is chosen by the same rules for the art the window keeps: code
  // page 936 text.
  // Of the ways ticked, the one whose box is not greyed out by another
  // (UpdateEnabled): shapes, then blocks, then Chinese characters, then
  // the ramp, then colors.
  DrawingRequest request;
  request.fill = fill_->isChecked();
  request.shapes = shapes_->isChecked();
  if (!request.shapes && blocks_->isChecked()) request.blocks = BlockKind::Quadrants;
  const bool hanzi = HanziChosen();
  if (hanzi) {
    HanziAsked asked = HanziAskedFor();
    request.hanzi = std::move(asked.characters);
    request.hanziText = std::move(asked.text);
  }
  if (!request.shapes && !request.blocks && !hanzi && ramp_->isChecked()) {
    const QByteArray symbols = rampSymbols_->text().toLatin1();
    request.ramp = symbols.size() >= 2 ? ByteString(symbols.constData(), static_cast<std::size_t>(symbols.size()))
                                       : ByteString(kDefaultRamp);
  }
  if (!request.shapes && !request.blocks && !hanzi && !request.ramp) request.colors = colors_->currentData().toInt();
  request.dither = request.colors != 0 && dither_->isChecked();
  if (hanzi && chosenHanzi_ && chosenHanzi_->characters == request.hanzi && chosenHanzi_->text == request.hanziText &&
      chosenHanzi_->fill == request.fill) {
    options.way = chosenHanzi_->way;
    return options;
  }
  options.way = ChooseWayOfDrawing(request, kWindowArt).way;
  if (hanzi) chosenHanzi_ = ChosenHanzi{request.hanzi, request.hanziText, request.fill, options.way};
  return options;
}

bool PictureSettings::HanziChosen() const {
  return hanzi_->isChecked() && !shapes_->isChecked() && !blocks_->isChecked();
}

PictureSettings::HanziAsked PictureSettings::HanziAskedFor() const {
  HanziAsked asked;
  // A text of spaces alone is no text: the characters are matched.
  if (!hanziText_->text().trimmed().isEmpty()) {
    DrawingRequest request;
    request.hanziText = QStringToBytes(hanziText_->text());
    if (ChooseWayOfDrawing(request, kWindowArt).refusal.empty()) {
      asked.text = std::move(request.hanziText);
      return asked;
    }
    asked.note = QStringLiteral("文字中没有可排的字，按所选的字画");
  }
  const QString set = hanziSet_->currentData().toString();
  if (set != QLatin1String(kOwnCharacters)) {
    asked.characters = set.toStdString();
    return asked;
  }
  // The person's own characters, as the command line checks them: none, or
  // none the built-in font draws, cannot draw a picture.
  DrawingRequest request;
  request.hanzi = QStringToBytes(hanziCharacters_->text());
  if (ChooseWayOfDrawing(request, kWindowArt).refusal.empty()) {
    asked.characters = std::move(request.hanzi);
    return asked;
  }
  if (!asked.note.isEmpty()) asked.note += QStringLiteral("；");
  asked.note += request.hanzi->empty() ? QStringLiteral("没有自定义的字，按常用字画")
                                       : QStringLiteral("自定义的字内置字库都没有（它只有 GB2312 的汉字），按常用字画");
  asked.characters = ByteString(kLevel1);
  return asked;
}

QString PictureSettings::HanziNote() const { return HanziChosen() ? HanziAskedFor().note : QString(); }

void PictureSettings::SetOptions(const PictureOptions& options) {
  width_->setValue(static_cast<int>(options.width));
  const auto* reduced = std::get_if<ReducedColors>(&options.way);
  const auto* ramp = std::get_if<Ramp>(&options.way);
  colors_->setCurrentIndex(std::max(0, colors_->findData(reduced ? reduced->colors : 0)));
  dither_->setChecked(reduced && reduced->dither);
  ramp_->setChecked(ramp != nullptr);
  shapes_->setChecked(std::holds_alternative<Shapes>(options.way));
  blocks_->setChecked(std::holds_alternative<Blocks>(options.way));
  fill_->setChecked(FillsCells(options.way) && !std::holds_alternative<Blocks>(options.way));
  if (ramp)
    rampSymbols_->setText(QString::fromLatin1(ramp->symbols.data(), static_cast<qsizetype>(ramp->symbols.size())));
  const auto* hanzi = std::get_if<Hanzi>(&options.way);
  hanzi_->setChecked(hanzi != nullptr);
  if (hanzi) {
    hanziText_->setText(BytesToQString(hanzi->text));
    if (hanzi->text.empty()) {
      static const ByteString level1 = CharactersOf(kLevel1), all = CharactersOf(kAll);
      const char* set = hanzi->characters == level1 ? kLevel1 : hanzi->characters == all ? kAll : kOwnCharacters;
      hanziSet_->setCurrentIndex(hanziSet_->findData(QString::fromLatin1(set)));
      if (set == kOwnCharacters) hanziCharacters_->setText(BytesToQString(hanzi->characters));
    }
  }
}

void PictureSettings::SetPicture(QSize pixels) {
  picture_ = pixels;
  UpdateAutomaticWidth();
}

void PictureSettings::UpdateAutomaticWidth() {
  PictureOptions options = Options();
  options.width = 0;
  QString text;
  const bool hanzi = std::holds_alternative<Hanzi>(options.way);
  if (options.CellPerPixel()) {
    text = QStringLiteral("原始大小");
  } else if (!picture_.isEmpty()) {
    const auto width = static_cast<std::size_t>(picture_.width()), height = static_cast<std::size_t>(picture_.height());
    const std::size_t columns =
        ColumnsDrawn(FitArtSize(width, height, InProportion(options, width, height)).columns, options.way);
    text = QStringLiteral("自动 %1 列").arg(columns);
    // A Chinese character takes two.
    if (hanzi) text += QStringLiteral("（%1 字）").arg(columns / 2);
  } else if (hanzi) {
    text = QStringLiteral("每 %1 像素 1 字（2 列）").arg(2 * options.PixelsAcross());
  } else if (options.PixelsAcross() == 1) {
    text = QStringLiteral("每像素 1 列");
  } else {
    text = QStringLiteral("每 %1 像素 1 列").arg(options.PixelsAcross());
  }
  width_->setSpecialValueText(text);
}

void PictureSettings::UpdateEnabled() {
  // Shapes, blocks or Chinese characters choose the symbols in place of
  // colors or the ramp, one of them at a time; blocks have two colors a
  // cell of their own.
  const bool shapes = shapes_->isChecked(), blocks = blocks_->isChecked() && !shapes;
  const bool hanzi = HanziChosen();
  const bool ramp = ramp_->isChecked() && !shapes && !blocks && !hanzi;
  colors_->setEnabled(!ramp && !shapes && !blocks && !hanzi);
  dither_->setEnabled(!ramp && !shapes && !blocks && !hanzi && colors_->currentData().toInt() != 0);
  ramp_->setEnabled(!shapes && !blocks && !hanzi);
  rampSymbols_->setEnabled(ramp);
  shapes_->setEnabled(!blocks_->isChecked() && !hanzi);
  blocks_->setEnabled(!shapes && !hanzi);
  // A text laid through the picture brings its own characters.
  const bool text = hanzi && !hanziText_->text().trimmed().isEmpty();
  hanzi_->setEnabled(!shapes && !blocks);
  hanziSet_->setEnabled(hanzi && !text);
  hanziCharacters_->setEnabled(hanzi && !text && hanziSet_->currentData().toString() == QLatin1String(kOwnCharacters));
  hanziText_->setEnabled(hanzi);
  const QString note = HanziNote();
  hanziNote_->setText(note);
  hanziNote_->setVisible(!note.isEmpty());
  fill_->setEnabled(!blocks);
  UpdateAutomaticWidth();
}

bool PictureSettings::ColoredView() const { return coloredView_->isChecked(); }

void PictureSettings::SetColoredView(bool on) { coloredView_->setChecked(on); }

void PictureSettings::ShowColorsOf(const WayOfDrawing& way) {
  if (FillsCells(way)) coloredView_->setChecked(true);
}

void PictureSettings::Remember() const {
  QSettings settings = Stored();
  settings.beginGroup(kGroup);
  settings.setValue("width", width_->value());
  settings.setValue("colors", colors_->currentData().toInt());
  settings.setValue("dither", dither_->isChecked());
  settings.setValue("ramp", ramp_->isChecked());
  settings.setValue("rampSymbols", rampSymbols_->text());
  settings.setValue("shapes", shapes_->isChecked());
  settings.setValue("blocks", blocks_->isChecked());
  settings.setValue("hanzi", hanzi_->isChecked());
  settings.setValue("hanziSet", hanziSet_->currentData().toString());
  settings.setValue("hanziCharacters", hanziCharacters_->text());
  settings.setValue("hanziText", hanziText_->text());
  settings.setValue("fill", fill_->isChecked());
}

void PictureSettings::Recall() {
  QSettings settings = Stored();
  settings.beginGroup(kGroup);
  width_->setValue(settings.value("width", 0).toInt());
  colors_->setCurrentIndex(std::max(0, colors_->findData(settings.value("colors", 0).toInt())));
  dither_->setChecked(settings.value("dither", false).toBool());
  ramp_->setChecked(settings.value("ramp", false).toBool());
  const QString rampSymbols = settings.value("rampSymbols", DefaultRamp()).toString();
  rampSymbols_->setText(rampSymbols == QLatin1String(kEarlierDefaultRamp) ? DefaultRamp() : rampSymbols);
  shapes_->setChecked(settings.value("shapes", false).toBool());
  blocks_->setChecked(settings.value("blocks", false).toBool());
  // Settings stored before 汉字 was offered have none of its keys: 常用字,
  // unticked.
  hanzi_->setChecked(settings.value("hanzi", false).toBool());
  hanziSet_->setCurrentIndex(std::max(0, hanziSet_->findData(settings.value("hanziSet", kLevel1).toString())));
  hanziCharacters_->setText(settings.value("hanziCharacters").toString());
  hanziText_->setText(settings.value("hanziText").toString());
  fill_->setChecked(settings.value("fill", false).toBool());
  settings.endGroup();
  coloredView_->setChecked(settings.value(kColoredViewKey, false).toBool());
}

}  // namespace morvexa
