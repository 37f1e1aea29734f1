#pragma once

#include <memory>

#include "pixels/picture_reader.h"

namespace morvexa {

// The picture's rows read on a second thread, a few bands ahead of the
// reader that asks for them (see BandsAhead), so that decoding (and sizing)
// a picture and drawing its art share the machine's cores. At most
// kBandsAhead bands are held besides the one being handed out; a failure
// of the picture is raised where its rows would have been. The picture is
// read only through the result from now on.
inline constexpr std::size_t kBandsAhead = 3;
std::unique_ptr<PictureReader> ReadAhead(std::unique_ptr<PictureReader> picture);

}  // namespace morvexa
