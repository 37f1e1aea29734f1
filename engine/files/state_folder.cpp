#include "files/state_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace morvexa {

namespace {

namespace fs = std::filesystem;

// An absolute path from the environment variable, or none.
fs::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? fs::path(value).lexically_normal() : fs::path();
}

// Whether folder is a folder of the user's own, not a link, that the user
// may write in.
bool Ours(const fs::path& folder) {
  struct stat info {};
  return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         access(folder.c_str(), W_OK | X_OK) == 0;
}

// Makes the missing folders of folder, each with the user's own access
// only, none of them home (the home folder is the system's to make).
bool MakeFolders(const fs::path& folder, const fs::path& home) {
  std::vector<fs::path> missing;
  for (fs::path at = folder; !at.empty() && at != at.root_path(); at = at.parent_path()) {
    struct stat info {};
    if (stat(at.c_str(), &info) == 0) break;
    if (errno != ENOENT || (!home.empty() && at == home)) return false;
    missing.push_back(at);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// The folder, when it can be used; made first when make is true.
bool Usable(const fs::path& folder, const fs::path& home, bool make) {
  if (folder.empty()) return false;
  if (make && !MakeFolders(folder, home)) return false;
  if (!Ours(folder)) return false;
  struct stat info {};
  // A folder of ours open to others is closed to them: it holds the bytes
  // of the user's files.
  if (stat(folder.c_str(), &info) == 0 && (info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) return false;
  return true;
}

// The folders that may be the state folder, in the order they are
// preferred.
std::vector<fs::path> Candidates(const fs::path& home) {
  std::vector<fs::path> folders;
  if (const fs::path state = FromEnvironment("XDG_STATE_HOME"); !state.empty()) {
    folders.push_back(state / "morvexa");
  } else if (!home.empty()) {
    folders.push_back(home / ".local/state/morvexa");
  }
  if (const fs::path runtime = FromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty() && Ours(runtime)) {
    folders.push_back(runtime / "morvexa");
  }
  fs::path temporary = FromEnvironment("TMPDIR");
  if (temporary.empty()) temporary = "/tmp";
  folders.push_back(temporary / ("morvexa-" + std::to_string(geteuid())));
  return folders;
}

}  // namespace

fs::path StateFolder(bool make) {
  const fs::path home = FromEnvironment("HOME");
  for (const fs::path& folder : Candidates(home)) {
    if (Usable(folder, home, make)) return folder;
  }
  return {};
}

fs::path ForeignStateFolder() {
  for (const fs::path& folder : Candidates(FromEnvironment("HOME"))) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) == 0 && !Ours(folder)) return folder;
  }
  return {};
}

std::vector<fs::path> StateFoldersInUse() {
  const fs::path home = FromEnvironment("HOME");
  std::vector<fs::path> folders;
  for (const fs::path& folder : Candidates(home)) {
    if (Usable(folder, home, false)) folders.push_back(folder);
  }
  return folders;
}

}  // namespace morvexa
