#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace morvexa {

// How a file is named in messages: as the person gave it (typed, or chosen
// in a dialog, which gives it whole), as QuotedName shows it.
std::string ShownPath(const std::filesystem::path& path);

// A file name as it can be shown on one line of a terminal, quoted as GNU
// tools quote names: as it is when it is UTF-8 without control
// characters; otherwise in single quotes, with each control character and
// each byte that is not UTF-8 escaped in $'...' ('a'$'\n''b', ''$'\033''x',
// 'caf'$'\351'), so that it can be pasted back into a shell.
std::string QuotedName(std::string_view name);

}  // namespace morvexa
