#include "files/shown_path.h"

#include <system_error>

namespace morvexa {

std::string ShownPath(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  std::string shown = absolute.lexically_normal().string();
  // "/x/dir/" names the same folder as "/x/dir".
  if (shown.size() > 1 && shown.back() == '/') shown.pop_back();
  return shown;
}

}  // namespace morvexa
