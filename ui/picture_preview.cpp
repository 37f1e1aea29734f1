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

#include "area_average.h"
#include "brightness_ramp.h"
#include "busy_cursor.h"
#include "color_reduction.h"
#include "convert_picture.h"
#include "failure.h"
#include "open_picture.h"
#include "picture_settings.h"
#include "qt_text.h"

namespace morvexa {

std::optional<Thumbnail> ReadThumbnail(const QString& path, int side, const std::atomic<bool>* cancelled) {
  if (path.isEmpty()) return {};
  try {
    const auto picture = OpenPicture(ToPath(path));
    const std::size_t width = picture->Width(), height = picture->Height();
    if (width == 0 || height == 0) return {};
    // Every pixel up to side pixels a side; past that, the nearest pixel of
    // each cell of a grid of side x side at most: only the rows it needs.
    const double scale = std::max(1.0, static_cast<double>(std::max(width, height)) / side);
    const int outWidth = std::max(1, static_cast<int>(static_cast<double>(width) / scale));
    const int outHeight = std::max(1, static_cast<int>(static_cast<double>(height) / scale));
    QImage image(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull()) return {};
    std::vector<Rgb> colors(width);
    std::size_t next = 0;  // the next row of the picture
    RowBand band;
    for (int y = 0; y < outHeight; ++y) {
      if (cancelled && cancelled->load(std::memory_order_relaxed)) return {};
      const auto row = std::min(height - 1, static_cast<std::size_t>((y + 0.5) * scale));
      picture->SkipRows(row - next);
      if (picture->ReadRows(1, band) != 1) return {};
      next = row + 1;
      RowColors(band.form, band.rows[0], width, picture->Palette(), colors.data());
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < outWidth; ++x) {
        line[x] = 0xFF000000u | colors[std::min(width - 1, static_cast<std::size_t>((x + 0.5) * scale))];
      }
    }
    return Thumbnail{image, QSize(static_cast<int>(width), static_cast<int>(height)), QSize()};
  } catch (const Failure&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::optional<Thumbnail> ReadConversionPreview(const QString& path, int side, const PictureOptions& options,
                                               const std::atomic<bool>* cancelled) {
  if (options.Plain()) return ReadThumbnail(path, side, cancelled);
  auto thumbnail = ReadThumbnail(path, std::max(side, static_cast<int>(options.width)), cancelled);
  if (!thumbnail) return {};
  const QSize size = thumbnail->size;
  const ArtSize art =
      FitArtSize(static_cast<std::size_t>(size.width()), static_cast<std::size_t>(size.height()), options);
  thumbnail->art = QSize(static_cast<int>(art.columns), static_cast<int>(art.lines));
  PixelImage pixels(static_cast<std::size_t>(thumbnail->image.width()),
                    static_cast<std::size_t>(thumbnail->image.height()));
  for (std::size_t y = 0; y < pixels.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(thumbnail->image.constScanLine(static_cast<int>(y)));
    for (std::size_t x = 0; x < pixels.width; ++x) pixels.Row(y)[x] = line[x] & 0xFFFFFF;
  }
  // The cells the art will have, from what was read of the picture.
  std::unique_ptr<PictureReader> cells = std::make_unique<MemoryPicture>(std::move(pixels));
  if (options.Sized()) cells = AreaAverage(std::move(cells), art.columns, art.lines);
  PixelImage shown = ReadWhole(*cells);
  if (options.ramp) {
    const std::size_t count = options.ramp->size();
    for (std::size_t i = 0; i < shown.width * shown.height; ++i) {
      const std::size_t index = RampIndex(Brightness(shown.pixels[i]), count, options.invert);
      shown.pixels[i] = static_cast<Rgb>(255 - index * 255 / std::max<std::size_t>(1, count - 1)) * 0x010101;
    }
  } else {
    int colors = options.colors;
    if (colors == 0 && CountColors(shown, PictureOptions::kMostColors) > PictureOptions::kMostColors) {
      colors = PictureOptions::kMostColors;
    }
    if (colors != 0) shown = ReadWhole(*ReduceColors(shown, colors, options.dither));
  }
  // A cell is twice as tall as it is wide: drawn 1 x 2, then fitted.
  QImage image(static_cast<int>(shown.width), static_cast<int>(shown.height) * 2, QImage::Format_RGB32);
  if (image.isNull()) return {};
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::size_t x = 0; x < shown.width; ++x) line[x] = 0xFF000000u | shown.Row(static_cast<std::size_t>(y / 2))[x];
  }
  thumbnail->image =
      image.width() > side || image.height() > side ? image.scaled(side, side, Qt::KeepAspectRatio) : image;
  return thumbnail;
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
      button_(new QPushButton("Preview", this)) {
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
  // when typing a name selects it without moving the current item.
  auto follow = [preview](const QString& file) {
    if (preview->Following()) preview->ShowFile(QFileInfo(file).isFile() ? file : QString());
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
  if (auto* dialog = qobject_cast<QFileDialog*>(parentWidget()); dialog && following_) {
    const QString file = dialog->selectedFiles().value(0);
    if (file != path_) ShowFile(QFileInfo(file).isFile() ? file : QString());
  }
}

void PicturePreview::ShowFile(const QString& path) {
  if (job_) job_->cancelled = true;
  job_.reset();
  path_ = path;
  picture_.reset();
  image_->setPixmap({});
  image_->setText(QStringLiteral("(None)"));
  caption_->clear();
  button_->setEnabled(false);
  if (path.isEmpty()) return;
  auto job = std::make_shared<Job>();
  job->path = path;
  job_ = job;
  pool_.start([this, job, options = settings_->Options()] {
    std::optional<Thumbnail> thumbnail = ReadConversionPreview(job->path, kSide, options, &job->cancelled);
    if (job->cancelled) return;
    // Back on the window's thread; the pool is emptied before the preview
    // goes, so this is still there.
    QMetaObject::invokeMethod(
        this, [this, job, thumbnail = std::move(thumbnail)]() mutable { Show(job, std::move(thumbnail)); },
        Qt::QueuedConnection);
  });
}

void PicturePreview::Show(const std::shared_ptr<Job>& job, std::optional<Thumbnail> thumbnail) {
  if (job != job_) return;  // another file is highlighted now
  job_.reset();
  if (thumbnail) {
    picture_ = thumbnail->image;
    image_->setText({});
    image_->setPixmap(
        QPixmap::fromImage(picture_->width() > kSide || picture_->height() > kSide
                               ? picture_->scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                               : *picture_));
    QString caption = QStringLiteral("%1 x %2").arg(thumbnail->size.width()).arg(thumbnail->size.height());
    if (thumbnail->art.isValid() && thumbnail->art != thumbnail->size) {
      caption += QStringLiteral(" → %1 x %2").arg(thumbnail->art.width()).arg(thumbnail->art.height());
    }
    caption_->setText(caption);
    button_->setEnabled(true);
  }
  emit Ready();
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
    larger = ReadThumbnail(path_, kLargestSide);
  }
  if (!larger) return;
  auto* window = new QDialog(this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName("fullSizePreview");
  window->setWindowTitle(caption_->text());
  auto* label = new QLabel(window);
  label->setPixmap(QPixmap::fromImage(larger->image));
  auto* area = new QScrollArea(window);
  area->setWidget(label);
  (new QVBoxLayout(window))->addWidget(area);
  window->resize(std::min(larger->image.width() + 40, 1000), std::min(larger->image.height() + 40, 800));
  window->show();
}

}  // namespace morvexa
