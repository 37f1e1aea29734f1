#pragma once

#include <QGroupBox>
#include <optional>

#include "morvexa/picture_options.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace morvexa {

// The columns of art given columns when drawn in way: Chinese characters
// take two a cell, and an odd one left over stays out.
std::size_t ColumnsDrawn(std::size_t columns, const WayOfDrawing& way);

// The settings of a picture conversion, shown under the open dialog's
// preview: 宽度 (columns; 0 for those the way gives: one a pixel, one for
// 8 pixels with shapes..., the number shown), 颜色 (all, or 2 to 95), 抖动,
// 明暗字符 with its ramp, 形状 (symbols by the shapes of their cells),
// 方块 (the block elements code page 936 holds) or 汉字 (Chinese
// characters, a cell two columns wide: of 常用字, 全部 or the person's own,
// or a text 文字 laid through the picture), each in place of colors or the
// ramp, 填充背景 (a paper color for each cell), and 彩色显示, the output
// area's colored view, which a way whose art means its colors (fill,
// blocks) turns on at once. They are remembered from one use to the next
// (QSettings); at their defaults the conversion is one symbol per pixel
// and color, as it has always been.
class PictureSettings : public QGroupBox {
  Q_OBJECT

 public:
  explicit PictureSettings(QWidget* parent = nullptr);

  PictureOptions Options() const;
  // Sets the boxes (and remembers them), as a person would.
  void SetOptions(const PictureOptions& options);
  // The colored view, as the output area's menu sets it too.
  bool ColoredView() const;
  void SetColoredView(bool on);
  // The picture highlighted (its size in pixels; an empty size for none),
  // whose art's columns 宽度 shows when it is left to the way of drawing.
  void SetPicture(QSize pixels);
  // Turns the colored view on when art drawn in way means its colors (the
  // fill, the blocks: the way fills its cells), as ticking 方块 or 填充背景
  // does; leaves it as it is otherwise.
  void ShowColorsOf(const WayOfDrawing& way);
  // What cannot be drawn of the Chinese characters asked for, and what is
  // drawn instead; empty when all can be, or 汉字 is not the way.
  QString HanziNote() const;

 signals:
  void Changed();
  void ColoredViewChanged(bool on);

 private:
  // What 汉字 asks of the drawing, as it can be drawn: the text, or the
  // characters (those asked for, or 常用字 in place of a set of the
  // person's own that cannot draw); and what could not be.
  struct HanziAsked {
    std::optional<ByteString> characters, text;
    QString note;
  };
  HanziAsked HanziAskedFor() const;
  // Whether 汉字 is the way: ticked, and not greyed out by 形状 or 方块.
  bool HanziChosen() const;
  void Remember() const;
  void Recall();
  void UpdateEnabled();
  // What 宽度 says at 0: the columns the art will have.
  void UpdateAutomaticWidth();

  QSpinBox* width_;
  QComboBox* colors_;
  QCheckBox* dither_;
  QCheckBox* ramp_;
  QLineEdit* rampSymbols_;
  QCheckBox* shapes_;
  QCheckBox* blocks_;
  QCheckBox* hanzi_;
  QComboBox* hanziSet_;
  QLineEdit* hanziCharacters_;
  QLineEdit* hanziText_;
  QLabel* hanziNote_;
  QCheckBox* fill_;
  QCheckBox* coloredView_;
  QSize picture_;
  // The way of Chinese characters last chosen, and what it was chosen for:
  // choosing measures the built-in font's glyph of every character (tens
  // of milliseconds for 常用字), which a change of another box, or the
  // preview after it, need not do again.
  struct ChosenHanzi {
    std::optional<ByteString> characters, text;
    bool fill = false;
    WayOfDrawing way;
  };
  mutable std::optional<ChosenHanzi> chosenHanzi_;
};

}  // namespace morvexa
