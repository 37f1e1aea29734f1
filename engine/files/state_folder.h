#pragma once

#include <filesystem>
#include <vector>

namespace morvexa {

// The user's own folder for what the programs keep between runs: the
// records of saves in place and the old bytes kept from them.
//
// It is $XDG_STATE_HOME/morvexa, by default ~/.local/state/morvexa. Where
// there is no home (or it cannot be used), $XDG_RUNTIME_DIR/morvexa, or
// morvexa-UID in the temporary folder. A folder that is missing is made,
// with the user's own access only (0700), when make is true; the home
// folder itself is never made. Empty when there is none that can be used.
std::filesystem::path StateFolder(bool make);

// The folder that would be the state folder but is not the user's own (it
// belongs to another user, or is a link or not a folder): named when a save
// needs a state folder and has none. Empty when there is no such folder.
std::filesystem::path ForeignStateFolder();

// Every folder that is, or was on another run, the state folder and is
// there now: where what earlier runs kept is looked for.
std::vector<std::filesystem::path> StateFoldersInUse();

}  // namespace morvexa
