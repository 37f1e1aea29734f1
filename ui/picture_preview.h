#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

class QFileDialog;
class QLabel;
class QPushButton;

namespace morvexa {

// The picture beside an open dialog's file list: the highlighted file, when
// the program's own decoder reads it, scaled to fit, with its size in pixels
// and a "Preview" button that shows it at full size; for any other file the
// area reads "(None)" and the button is disabled.
class PicturePreview : public QWidget {
  Q_OBJECT

 public:
  explicit PicturePreview(QWidget* parent = nullptr);

  // Puts a preview beside the dialog's file list (Qt's own dialog) and
  // follows its highlighted file.
  static PicturePreview* AttachTo(QFileDialog& dialog);

  void ShowFile(const QString& path);
  // The picture shown at full size, or nothing.
  const std::optional<QImage>& Picture() const { return picture_; }

 private:
  void ShowFullSize();

  QLabel* image_;
  QLabel* caption_;
  QPushButton* button_;
  std::optional<QImage> picture_;
};

// A decoded BMP file as an image; nothing when the decoder refuses it.
std::optional<QImage> DecodePicture(const QString& path);

}  // namespace morvexa
