#include "picture_preview.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "busy_cursor.h"
#include "morvexa/art_preview.h"
#include "morvexa/thumbnail.h"
#include "picture_settings.h"
#include "qt_text.h"

namespace morvexa {

namespace {

// Pixels as an image, each cell of cellHeight rows.
QImage Painted(std::size_t width, std::size_t height, const std::vector<Rgb>& cells, int cellHeight) {
  QImage image(static_cast<int>(width), static_cast<int>(height) * cellHeight, QImage::Format_RGB32);
  if (image.isNull()) return image;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const Rgb* row = cells.data() + static_cast<std::size_t>(y / cellHeight) * width;
    for (std::size_t x = 0; x < width; ++x) line[x] = 0xFF000000u | row[x];
  }
  return image;
}

}  // namespace

// The image of an art preview: a cell of text twice as tall as it is
// wide, drawn 1 x 2, then fitted; none when its cells do not fill it.
QImage ImageOf(const ArtPreview& art, int side) {
  const std::size_t wide = art.cellsWide;
  if (art.cells.size() != wide * art.cellsHigh) return {};
  const QImage image = Painted(wide, art.cellsHigh, art.cells, art.tallCells ? 2 : 1);
  return art.tallCells && !image.isNull() && (image.width() > side || image.height() > side)
             ? image.scaled(side, side, Qt::KeepAspectRatio)
             : image;
}

std::optional<PreviewImage> ReadPreviewImage(const QString& path, int side, const PictureOptions& options,
                                             const std::atomic<bool>* cancelled) {
  if (path.isEmpty()) return {};
  std::optional<AnimationPreview> frames = PreviewArt(ToPath(path), static_cast<std::size_t>(side), options, cancelled);
  if (!frames || frames->frames.empty()) return {};
  PreviewImage preview;
  if (frames->frames.size() > 1) {
    for (const ArtPreview& frame : frames->frames) preview.frames.push_back(ImageOf(frame, side));
    preview.delays = std::move(frames->delays);
    preview.plays = frames->plays;
  }
  const ArtPreview& art = frames->frames.front();
  preview.size = QSize(static_cast<int>(art.pictureWidth), static_cast<int>(art.pictureHeight));
  preview.art = QSize(static_cast<int>(ColumnsDrawn(art.columns, options.way)), static_cast<int>(art.lines));
  preview.image = preview.frames.empty() ? ImageOf(art, side) : preview.frames.front();
  if (preview.image.isNull()) return {};
  return preview;
}

// One file being read for the preview; cancelled when another is
// highlighted.
struct PicturePreview::Job {
  QString path;
  std::atomic<bool> cancelled{false};
};

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent),
      image_(new QLabel(this)),
      caption_(new QLabel(this)),
      settings_(new PictureSettings(this)),
      button_(new QPushButton("Preview", this)),
      frameTimer_(new QTimer(this)) {
  frameTimer_->setSingleShot(true);
  connect(frameTimer_, &QTimer::timeout, this, &PicturePreview::NextFrame);
  setObjectName("picturePreview");
  image_->setObjectName("previewImage");
  caption_->setObjectName("previewCaption");
  button_->setObjectName("previewButton");
  image_->setFixedSize(kSide, kSide);
  image_->setAlignment(Qt::AlignCenter);
  image_->setFrameShape(QFrame::StyledPanel);
  caption_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(image_);
  layout->addWidget(caption_);
  layout->addWidget(button_);
  layout->addWidget(settings_);
  layout->addStretch();
  connect(button_, &QPushButton::clicked, this, &PicturePreview::ShowLarger);
  connect(settings_, &PictureSettings::Changed, this, [this] { ShowFile(path_); });
  pool_.setMaxThreadCount(1);
  ShowFile({});
}

PicturePreview::~PicturePreview() {
  if (job_) job_->cancelled = true;
  pool_.waitForDone();
}

PicturePreview* PicturePreview::AttachTo(QFileDialog& dialog) {
  auto* preview = new PicturePreview(&dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
  }
  // The highlighted file changes with the list's current item, and also
  // when typing a name selects it without moving the current item. Only
  // while the dialog is shown: a file offered before it is (whose folder
  // the dialog may load, and select it in, some time later) is read when
  // the dialog shows it (showEvent).
  auto follow = [preview, &dialog](const QString& file) {
    if (dialog.isVisible()) preview->ShowFile(QFileInfo(file).isFile() ? file : QString());
  };
  connect(&dialog, &QFileDialog::currentChanged, preview, follow);
  for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
    if (!view->selectionModel()) continue;
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, preview,
            [follow, &dialog] { follow(dialog.selectedFiles().value(0)); });
  }
  // A closed dialog keeps no picture.
  connect(&dialog, &QDialog::finished, preview, [preview] { preview->ShowFile({}); });
  return preview;
}

// The file highlighted when the dialog opens.
void PicturePreview::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (auto* dialog = qobject_cast<QFileDialog*>(parentWidget()); dialog) {
    const QString file = dialog->selectedFiles().value(0);
    if (file != path_) ShowFile(QFileInfo(file).isFile() ? file : QString());
  }
}

void PicturePreview::ShowFile(const QString& path) {
  if (job_) job_->cancelled = true;
  job_.reset();
  if (path != path_) settings_->SetPicture({});
  path_ = path;
  picture_.reset();
  frameTimer_->stop();
  frames_.clear();
  delays_.clear();
  image_->setPixmap({});
  image_->setText(QStringLiteral("(None)"));
  caption_->clear();
  button_->setEnabled(false);
  if (path.isEmpty()) return;
  auto job = std::make_shared<Job>();
  job->path = path;
  job_ = job;
  pool_.start([this, job, options = settings_->Options()] {
    std::optional<PreviewImage> thumbnail = ReadPreviewImage(job->path, kSide, options, &job->cancelled);
    if (job->cancelled) return;
    // Back on the window's thread; the pool is emptied before the preview
    // goes, so this is still there.
    QMetaObject::invokeMethod(
        this, [this, job, thumbnail = std::move(thumbnail)]() mutable { Show(job, std::move(thumbnail)); },
        Qt::QueuedConnection);
  });
}

void PicturePreview::Show(const std::shared_ptr<Job>& job, std::optional<PreviewImage> thumbnail) {
  if (job != job_) return;  // another file is highlighted now
  job_.reset();
  if (thumbnail) {
    picture_ = thumbnail->image;
    image_->setText({});
    auto fitted = [](const QImage& image) {
      return QPixmap::fromImage(image.width() > kSide || image.height() > kSide
                                    ? image.scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                    : image);
    };
    image_->setPixmap(fitted(*picture_));
    if (thumbnail->frames.size() > 1) {
      for (const QImage& frame : thumbnail->frames) frames_.push_back(fitted(frame));
      delays_ = std::move(thumbnail->delays);
      plays_ = thumbnail->plays;
      played_ = 0;
      ShowFrame(0);
    }
    QString caption = QStringLiteral("%1 x %2").arg(thumbnail->size.width()).arg(thumbnail->size.height());
    if (thumbnail->art.isValid() && thumbnail->art != thumbnail->size) {
      caption += QStringLiteral(" → %1 x %2").arg(thumbnail->art.width()).arg(thumbnail->art.height());
    }
    caption_->setText(caption);
    button_->setEnabled(true);
    settings_->SetPicture(thumbnail->size);
  }
  emit Ready();
}

void PicturePreview::ShowFrame(std::size_t frame) {
  shownFrame_ = frame;
  image_->setPixmap(frames_[frame]);
  frameTimer_->start(delays_[frame]);
}

void PicturePreview::NextFrame() {
  if (frames_.empty()) return;
  std::size_t next = shownFrame_ + 1;
  if (next == frames_.size()) {
    if (plays_ != 0 && ++played_ >= plays_) return;
    next = 0;
  }
  ShowFrame(next);
}

const std::optional<QImage>& PicturePreview::Picture() {
  while (job_) {
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
  }
  return picture_;
}

// The highlighted picture larger: at full size up to kLargestSide pixels a
// side, read again for it.
void PicturePreview::ShowLarger() {
  std::optional<Thumbnail> larger;
  {
    const BusyCursor busy;
    larger = ReadThumbnail(ToPath(path_), kLargestSide);
  }
  if (!larger) return;
  const QImage image = Painted(larger->width, larger->height, larger->pixels, 1);
  auto* window = new QDialog(this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName("fullSizePreview");
  window->setWindowTitle(caption_->text());
  auto* label = new QLabel(window);
  label->setPixmap(QPixmap::fromImage(image));
  auto* area = new QScrollArea(window);
  area->setWidget(label);
  (new QVBoxLayout(window))->addWidget(area);
  window->resize(std::min(image.width() + 40, 1000), std::min(image.height() + 40, 800));
  window->show();
}

}  // namespace morvexa
