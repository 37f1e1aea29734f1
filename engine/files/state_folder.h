#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace morvexa {

// The user's own folder for what the programs keep between runs: the
// records of saves in place and the old bytes kept from them.
//
// It is $XDG_STATE_HOME/morvexa, or else ~/.local/state/morvexa when the
// home is a folder of the user's own. When that one cannot be used, there
// is none: the records are not put where the user would not look for them.
// Only with neither (no home, as for a service) it is made in a folder that
// a restart may empty: $XDG_RUNTIME_DIR/morvexa, or morvexa-UID in the
// temporary folder.
//
// A folder is used only when it is the user's own: a folder, not a link,
// owned by the user and writable; and each folder it is in (links followed,
// up to /) is the user's or root's, and not writable by others (its group
// included) unless it keeps each file to its owner (sticky, as /tmp). A
// missing one is made, with the user's own access only (0700), when make is
// true; the home folder itself is never made. One of the user's own that is
// open to others is closed to them.
struct StateFolderChoice {
  std::filesystem::path folder;  // empty when there is none that can be used
  // The folder is one made for want of a home, which a restart may empty.
  bool withoutHome = false;
  // When there is none: the one that could not be used, and why.
  std::filesystem::path refused;
  bool notOwn = false;  // another user's, or in a folder that others may change
  // Why, as messages put it after the folder's name ("is a file", "cannot be
  // made: Permission denied"); for notOwn, what makes it so when that is a
  // folder it is in ("it is in /x, which another user owns"), else empty.
  std::string reason;
};
StateFolderChoice ChooseStateFolder(bool make);

// The state folder ChooseStateFolder finds, or empty.
std::filesystem::path StateFolder(bool make);

// Every folder that is, or was on another run, the state folder and is
// there now: where what earlier runs kept is looked for.
std::vector<std::filesystem::path> StateFoldersInUse();

}  // namespace morvexa
