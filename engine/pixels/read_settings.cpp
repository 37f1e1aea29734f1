#include "morvexa/read_settings.h"

#include "morvexa/art_size.h"
#include "morvexa/failure.h"

namespace morvexa {

void ReadSettings::CheckSize(std::uint64_t width, std::uint64_t height) const {
  if (width == 0 || height == 0) throw Failure(FailureKind::BitmapNotValid);
  if (!Allows(width, height)) throw PictureTooLarge(width, height, maxPixels, kMaxSide);
}

}  // namespace morvexa
