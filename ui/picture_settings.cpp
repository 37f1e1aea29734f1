#include "picture_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSpinBox>

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

}  // namespace

PictureSettings::PictureSettings(QWidget* parent)
    : QGroupBox(QStringLiteral("转换"), parent),
      width_(new QSpinBox(this)),
      colors_(new QComboBox(this)),
      dither_(new QCheckBox(QStringLiteral("抖动"), this)),
      ramp_(new QCheckBox(QStringLiteral("明暗字符"), this)),
      rampSymbols_(new QLineEdit(this)),
      shapes_(new QCheckBox(QStringLiteral("形状"), this)),
      blocks_(new QCheckBox(QStringLiteral("方块"), this)),
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
  // (UpdateEnabled): shapes, then blocks, then the ramp, then colors.
  DrawingRequest request;
  request.fill = fill_->isChecked();
  request.shapes = shapes_->isChecked();
  if (!request.shapes && blocks_->isChecked()) request.blocks = BlockKind::Quadrants;
  if (!request.shapes && !request.blocks && ramp_->isChecked()) {
    const QByteArray symbols = rampSymbols_->text().toLatin1();
    request.ramp = symbols.size() >= 2 ? ByteString(symbols.constData(), static_cast<std::size_t>(symbols.size()))
                                       : ByteString(kDefaultRamp);
  }
  if (!request.shapes && !request.blocks && !request.ramp) request.colors = colors_->currentData().toInt();
  request.dither = request.colors != 0 && dither_->isChecked();
  options.way = ChooseWayOfDrawing(request, {ArtForm::Gbk, false, false}).way;
  return options;
}

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
}

void PictureSettings::SetPicture(QSize pixels) {
  picture_ = pixels;
  UpdateAutomaticWidth();
}

void PictureSettings::UpdateAutomaticWidth() {
  PictureOptions options = Options();
  options.width = 0;
  QString text;
  if (options.CellPerPixel()) {
    text = QStringLiteral("原始大小");
  } else if (!picture_.isEmpty()) {
    const auto width = static_cast<std::size_t>(picture_.width()), height = static_cast<std::size_t>(picture_.height());
    text = QStringLiteral("自动 %1 列").arg(FitArtSize(width, height, InProportion(options, width, height)).columns);
  } else if (options.PixelsAcross() == 1) {
    text = QStringLiteral("每像素 1 列");
  } else {
    text = QStringLiteral("每 %1 像素 1 列").arg(options.PixelsAcross());
  }
  width_->setSpecialValueText(text);
}

void PictureSettings::UpdateEnabled() {
  // Shapes or blocks choose the symbols in place of colors or the ramp;
  // blocks have two colors a cell of their own.
  const bool shapes = shapes_->isChecked(), blocks = blocks_->isChecked() && !shapes;
  const bool ramp = ramp_->isChecked() && !shapes && !blocks;
  colors_->setEnabled(!ramp && !shapes && !blocks);
  dither_->setEnabled(!ramp && !shapes && !blocks && colors_->currentData().toInt() != 0);
  ramp_->setEnabled(!shapes && !blocks);
  rampSymbols_->setEnabled(ramp);
  shapes_->setEnabled(!blocks_->isChecked());
  blocks_->setEnabled(!shapes);
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
  fill_->setChecked(settings.value("fill", false).toBool());
  settings.endGroup();
  coloredView_->setChecked(settings.value(kColoredViewKey, false).toBool());
}

}  // namespace morvexa
