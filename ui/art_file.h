#pragma once

#include <QString>

#include "byte_string.h"

namespace morvexa {

// Writes the art text to path byte for byte. The bytes go to a temporary
// file in the same folder that replaces the target only once all of them
// are written, so a save that fails part way leaves the old file as it was.
//
// Fails with "Cannot create file %s" (the full path) when the file cannot
// be created, or exists but may not be written (the replacement does not
// get round a protection that writing the file directly would meet), and
// with "Stream write error" when the bytes cannot all be written.
void SaveArtFile(const QString& path, ByteStringView art);

}  // namespace morvexa
