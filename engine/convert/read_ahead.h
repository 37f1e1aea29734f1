#pragma once

#include <memory>

#include "decode/picture_reader.h"

namespace morvexa {

// The picture's rows read on a thread of their own, a few bands ahead of
// the reader that asks for them, so that decoding (and sizing) a picture
// and drawing its art share the machine's cores. At most kBandsAhead
// bands are held; a failure of the picture is raised where its rows would
// have been. The picture is read on that thread alone from now on.
inline constexpr std::size_t kBandsAhead = 3;
std::unique_ptr<PictureReader> ReadAhead(std::unique_ptr<PictureReader> picture);

}  // namespace morvexa
