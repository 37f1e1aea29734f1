#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "morvexa/picture_options.h"

class QFileDialog;
class QLabel;
class QPushButton;

namespace morvexa {

class PictureSettings;

// What the preview shows of a picture converted with options, at most
// side pixels a side: the cells of its art as the engine previews them
// (ArtPreview), a cell of text drawn twice as tall as wide; with the
// picture's own size and its art's. Nothing when the program does not read
// the file, or when cancelled turns true.
struct PreviewImage {
  QImage image;
  QSize size;
  QSize art;
  // Of an animated picture: every frame previewed (the first is image),
  // with how long each is shown, and how many times through (0: for ever).
  std::vector<QImage> frames;
  std::vector<int> delays;
  int plays = 0;
};
std::optional<PreviewImage> ReadPreviewImage(const QString& path, int side, const PictureOptions& options,
                                             const std::atomic<bool>* cancelled = nullptr);

// The picture beside an open dialog's file list: the highlighted file, when
// the program reads it, scaled to fit, with its size in pixels and a
// "Preview" button that shows it larger; for any other file the area reads
// "(None)" and the button is disabled.
//
// Pictures are read on a thread of their own, from only the rows the
// preview needs, so the dialog never waits for them: the area reads
// "(None)" until the picture is ready, and the work for a file that is no
// longer highlighted is given up. An animated picture plays, as art.
class PicturePreview : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSide = 160;
  // The largest side the "Preview" button shows a picture at.
  static constexpr int kLargestSide = 2048;

  explicit PicturePreview(QWidget* parent = nullptr);
  ~PicturePreview() override;

  // Puts a preview beside the dialog's file list (Qt's own dialog), with
  // the settings of the conversion under it, and follows its highlighted
  // file.
  static PicturePreview* AttachTo(QFileDialog& dialog);
  // The settings under the preview; their options are the conversion's.
  PictureSettings* Settings() const { return settings_; }

  // Starts showing the picture of path ("" for none).
  void ShowFile(const QString& path);

  // The picture shown, once it is ready; waits for it (for the tests).
  const std::optional<QImage>& Picture();
  // Of an animated picture, the frame shown now, from 0.
  std::size_t ShownFrame() const { return shownFrame_; }

 signals:
  void Ready();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Job;
  void Show(const std::shared_ptr<Job>& job, std::optional<PreviewImage> thumbnail);
  void ShowLarger();
  void ShowFrame(std::size_t frame);
  void NextFrame();

  QLabel* image_;
  QLabel* caption_;
  PictureSettings* settings_;
  QPushButton* button_;
  QString path_;
  std::optional<QImage> picture_;
  std::shared_ptr<Job> job_;
  // An animated picture's frames, as shown, and which one is.
  std::vector<QPixmap> frames_;
  std::vector<int> delays_;
  int plays_ = 0, played_ = 0;
  std::size_t shownFrame_ = 0;
  QTimer* frameTimer_;
  QThreadPool pool_;
};

}  // namespace morvexa
