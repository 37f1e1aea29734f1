#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "pixels/picture_reader.h"

namespace morvexa {

// A band of a picture's rows and the art text made of them: each line
// followed by CR LF.
struct Band {
  RowBand rows;
  std::vector<char> art;
  std::size_t count = 0;  // how many rows; 0: the picture has ended
  bool mapped = false;    // whether art holds the band's lines
};

// What a conversion does with the bands of RunBandPipeline.
//
// Mapping may be sequential in essence (a color's symbol can depend on
// every pixel before it), but a band that needs nothing learnt from the
// bands before it maps the same whenever it is mapped: such bands are
// mapped ahead of their turn, with what was known when they were read, and
// the others in their turn.
class BandMapping {
 public:
  virtual ~BandMapping() = default;
  // A way to map bands ahead of their turn with what is known now: it
  // returns false for a band that must wait its turn. Asked for under the
  // pipeline's lock; called on any thread, outside it.
  virtual std::function<bool(Band&)> Ahead() const = 0;
  // Maps a band in its turn, learning from it (on the writing thread).
  virtual void MapInTurn(Band& band) = 0;
  // Makes what MapInTurn learnt known to later Ahead calls (under the
  // pipeline's lock).
  virtual void Publish() = 0;
  // Hands a mapped band on, in order (on the writing thread).
  virtual void Write(const Band& band) = 0;
};

// Reads every band of the picture, in order, maps and writes each. A
// picture of more than a few megabytes is read and mapped ahead on a second
// thread while the calling one maps in turn what could not be and writes
// every band in order; a smaller one is done on the calling thread alone.
// A failure of the reader propagates once the bands before it are written.
void RunBandPipeline(PictureReader& picture, BandMapping& mapping);

}  // namespace morvexa
