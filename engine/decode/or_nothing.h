#pragma once

#include <new>

#include "morvexa/art_size.h"
#include "morvexa/failure.h"

namespace morvexa {

// What read gives, or nothing when the picture cannot be read: one the
// program does not read, one larger than a picture may be, or one that
// takes more memory than there is. For what only glances at a picture.
template <typename Read>
auto OrNothing(Read read) -> decltype(read()) {
  try {
    return read();
  } catch (const Failure&) {
    return {};
  } catch (const PictureTooLarge&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace morvexa
