#include "picture_preview.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "open_picture.h"
#include "failure.h"
#include "qt_text.h"

namespace morvexa {

namespace {
constexpr int kSide = 160;
}  // namespace

std::optional<QImage> DecodePicture(const QString& path) {
  if (!QFileInfo(path).isFile()) return {};
  try {
    const auto picture = OpenPicture(ToPath(path));
    if (picture->Width() == 0 || picture->Height() == 0) return {};
    QImage image(static_cast<int>(picture->Width()), static_cast<int>(picture->Height()), QImage::Format_RGB32);
    if (image.isNull()) return {};
    RowBand band;
    int y = 0;
    while (picture->ReadRows(picture->RowsPerBand(), band) > 0) {
      for (const unsigned char* row : band.rows) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y++));
        RowColors(band.form, row, picture->Width(), picture->Palette(), line);
        for (std::size_t x = 0; x < picture->Width(); ++x) line[x] |= 0xFF000000u;
      }
    }
    return image;
  } catch (const Failure&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

PicturePreview::PicturePreview(QWidget* parent)
    : QWidget(parent), image_(new QLabel(this)), caption_(new QLabel(this)), button_(new QPushButton("Preview", this)) {
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
  layout->addStretch();
  connect(button_, &QPushButton::clicked, this, &PicturePreview::ShowFullSize);
  ShowFile({});
}

PicturePreview* PicturePreview::AttachTo(QFileDialog& dialog) {
  auto* preview = new PicturePreview(&dialog);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
  }
  // The highlighted file changes with the list's current item, and also
  // when typing a name selects it without moving the current item.
  connect(&dialog, &QFileDialog::currentChanged, preview, &PicturePreview::ShowFile);
  for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
    if (!view->selectionModel()) continue;
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, preview, [preview, &dialog] {
      const QString file = dialog.selectedFiles().value(0);
      preview->ShowFile(QFileInfo(file).isFile() ? file : QString());
    });
  }
  return preview;
}

void PicturePreview::ShowFile(const QString& path) {
  picture_ = path.isEmpty() ? std::nullopt : DecodePicture(path);
  if (picture_) {
    image_->setText({});
    image_->setPixmap(
        QPixmap::fromImage(picture_->width() > kSide || picture_->height() > kSide
                               ? picture_->scaled(kSide, kSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                               : *picture_));
    caption_->setText(QStringLiteral("%1 x %2").arg(picture_->width()).arg(picture_->height()));
  } else {
    image_->setPixmap({});
    image_->setText(QStringLiteral("(None)"));
    caption_->clear();
  }
  button_->setEnabled(picture_.has_value());
}

void PicturePreview::ShowFullSize() {
  if (!picture_) return;
  auto* window = new QDialog(this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setObjectName("fullSizePreview");
  window->setWindowTitle(caption_->text());
  auto* label = new QLabel(window);
  label->setPixmap(QPixmap::fromImage(*picture_));
  auto* area = new QScrollArea(window);
  area->setWidget(label);
  (new QVBoxLayout(window))->addWidget(area);
  window->resize(std::min(picture_->width() + 40, 1000), std::min(picture_->height() + 40, 800));
  window->show();
}

}  // namespace morvexa
