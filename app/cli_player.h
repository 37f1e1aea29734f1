#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli_terminal.h"
#include "morvexa/picture_file.h"

namespace morvexa::cli {

// How long an animation plays: how many times through (0: for ever) and
// for how many seconds at most; by default, as the file says.
struct PlayLimits {
  std::optional<std::size_t> plays;
  std::optional<double> seconds;
};

// The art of one frame as the terminal shows it, fitted to its size: lines
// each ending in a line feed, fewer than the terminal's rows.
using FrameArt = std::function<std::string(Picture frame, TerminalSize terminal)>;

// Plays the animation in place on the terminal standard output shows: each
// frame drawn over the one before for as long as its delay, only its lines
// that changed written again, with the cursor hidden. Frames are due by
// the clock from the start, so a frame whose time has passed before it is
// drawn is dropped rather than the animation drift; but not the frame the
// playing ends on (the last of the last play, or the one due when the
// seconds are up), which is on the screen at its end. A change of the
// terminal's size refits the art from the next frame. Ctrl-Z (SIGTSTP)
// stops it once the frame at hand is written, the cursor shown and the
// colors reset for the shell; gone on (SIGCONT), it hides the cursor and
// draws the next frame whole from where the cursor stands. Ctrl-C
// (SIGINT), SIGTERM and SIGHUP end it as its end does: the cursor shown
// again, below the art, and the colors reset. Returns the exit status: 0,
// or 128 and the signal for SIGTERM and SIGHUP.
int PlayOnTerminal(PictureFile& animation, const PlayLimits& limits, const FrameArt& art);

}  // namespace morvexa::cli
