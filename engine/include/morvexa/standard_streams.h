#pragma once

namespace morvexa {

// Opens /dev/null, read-only, on each of standard input, output and error
// that the program was started with closed, before anything else is opened:
// a file opened later can then never take their places, and writing to a
// closed standard output fails as a write error instead of landing in
// that file. Returns false when one could not be opened (the program
// should then stop).
bool FillClosedStandardStreams();

}  // namespace morvexa
