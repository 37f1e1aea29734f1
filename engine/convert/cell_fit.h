#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "convert/cell_cache.h"
#include "morvexa/color.h"
#include "morvexa/terminal_palette.h"

namespace morvexa {

// The samples a fitted cell is seen as: 8 x 16, a pixel of a terminal's
// cell of 8 x 16 pixels each, row by row from the top.
inline constexpr int kFitSamplesWide = 8, kFitSamplesHigh = 16;
inline constexpr int kFitSamples = kFitSamplesWide * kFitSamplesHigh;

// A shape a cell can be drawn with: the share (0-1) of each sample that
// its symbol's ink covers.
using FitShape = std::array<float, kFitSamples>;

// Chooses how to draw a cell in two colors, ink and paper, with one of a
// set of shapes, so that the drawn cell is like the cell's samples: the
// shape whose ink follows the samples' tones best (luma, as the eye sees
// structure first; their colors count a tenth as much), drawn in the ink
// and paper that fit the samples by least squares. So a smooth cell gets
// close colors or plain paper, an edge the shape along it, and never
// contrast the samples lack; the cell keeps its mean color.
//
// For a terminal of 256 or 16 colors the ink and paper are its palette's:
// for the few shapes that fit best, the pairs around the least squares
// colors (of 16: every pair) are tried, by the same measure, and, with
// lookWeight, by how far the cell's mixed color seen from afar lies from
// its mean color (in CIELAB), which weighs color accuracy against crisp
// structure.
class CellFit {
 public:
  // With the look weight that suits the palette (LookWeightOf).
  CellFit(std::vector<FitShape> shapes, const TerminalPalette& palette);
  CellFit(std::vector<FitShape> shapes, const TerminalPalette& palette, float lookWeight);

  // How much a cell's color seen from afar counts beside its structure:
  // at 256 colors, whose cube lies too far apart to mix in a cell unseen, a
  // little; at 16, barely, enough to leave no cell far from its own color.
  // (Measured by bench/first_look.py beside chafa: structure and color at
  // once.)
  static float LookWeightOf(const TerminalPalette& palette);

  struct Drawn {
    std::size_t shape = 0;
    Rgb ink = 0, paper = 0;
  };
  // The cell of kFitSamples samples, each channel 0-255 in whole numbers
  // (a cell with the same samples as one before gets the same answer at
  // once, so a CellFit serves one thread).
  Drawn Fit(const float* red, const float* green, const float* blue);

  std::size_t Shapes() const { return shapes_.size(); }

 private:
  Drawn FitAnew(const float* red, const float* green, const float* blue) const;
  struct Measured {
    float sum = 0, squares = 0;  // of the shape's ink
  };
  std::vector<FitShape> shapes_;
  std::vector<Measured> measured_;
  // The shapes side by side, sample by sample: lanes_ values a sample (the
  // shapes, then zeros to a whole number of blocks), so that the sums of
  // a cell with every shape are made a vector at a time.
  std::size_t lanes_ = 0;
  std::vector<float> bySample_;
  TerminalPalette palette_;
  float lookWeight_;
  CellCache<3 * kFitSamples, Drawn> seen_;
};

// Which shape of a set ink alone on paper draws a cell of tones best,
// without colors: tones are the share of ink each sample asks for (0-1);
// the shape nearest them, with the cell's share of ink from afar counting
// as much as toneWeight of its samples each.
std::size_t NearestShape(const std::vector<FitShape>& shapes, const float* tones, float toneWeight);

}  // namespace morvexa
