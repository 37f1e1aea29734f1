#pragma once

#include <filesystem>
#include <string>

namespace morvexa {

// How a file is named in messages: its absolute path, lexically normal
// ("/tmp/../x/./a.bmp" is "/x/a.bmp"). Links are not followed: the path is
// the one the user gave, tidied.
std::string ShownPath(const std::filesystem::path& path);

}  // namespace morvexa
