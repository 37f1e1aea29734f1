#include "files/state_folder.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "morvexa/failure.h"
#include "morvexa/shown_path.h"

namespace morvexa {

namespace {

namespace fs = std::filesystem;

// An absolute path from the environment variable, or none.
fs::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? fs::path(value).lexically_normal() : fs::path();
}

// Why a folder cannot be the state folder: nothing when it can.
struct Unfit {
  bool notOwn = false;
  std::string reason;
  bool Fits() const { return !notOwn && reason.empty(); }
};

Unfit NotOwn(std::string reason = {}) { return {true, std::move(reason)}; }
Unfit Because(std::string reason) { return {false, std::move(reason)}; }

// Whether group is the user's own group that no one else is in: a folder
// its group may write in is then the user's alone (as with the umask 002
// of systems that give each user a group of their own).
bool GroupOfTheUserAlone(gid_t group) {
  if (group != getegid()) return false;
  std::vector<char> buffer(16384);
  passwd user{};
  passwd* foundUser = nullptr;
  struct group entry {};
  struct group* foundGroup = nullptr;
  if (getpwuid_r(geteuid(), &user, buffer.data(), buffer.size() / 2, &foundUser) != 0 || !foundUser ||
      getgrgid_r(group, &entry, buffer.data() + buffer.size() / 2, buffer.size() / 2, &foundGroup) != 0 ||
      !foundGroup) {
    return false;
  }
  for (char** member = entry.gr_mem; member && *member; ++member) {
    if (std::string_view(*member) != user.pw_name) return false;
  }
  return true;
}

// Whether the folders that folder is in, as far as they are there, can be
// changed by no one but the user and root: each (links followed, up to /)
// owned by one of them, and writable by no one else (but a group of the
// user's alone) unless it keeps each file to its owner (sticky). Another user who could change one of them
// could put a folder of theirs in place of the state folder.
Unfit CheckFoldersAround(const fs::path& folder) {
  fs::path at = folder.parent_path();
  struct stat info {};
  while (stat(at.c_str(), &info) != 0 && at != at.root_path()) at = at.parent_path();
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(at.c_str(), nullptr), &std::free);
  if (!real) return {};  // then the folder itself cannot be made or used either
  for (fs::path around = real.get();; around = around.parent_path()) {
    if (stat(around.c_str(), &info) != 0) break;
    if (info.st_uid != 0 && info.st_uid != geteuid()) {
      return NotOwn("it is in " + ShownPath(around) + ", which another user owns");
    }
    const bool othersWrite =
        (info.st_mode & S_IWOTH) != 0 || ((info.st_mode & S_IWGRP) != 0 && !GroupOfTheUserAlone(info.st_gid));
    if (othersWrite && (info.st_mode & S_ISVTX) == 0) {
      return NotOwn("it is in " + ShownPath(around) + ", which others may write in");
    }
    if (around == around.root_path()) break;
  }
  return {};
}

// Makes the missing folders of folder, each with the user's own access
// only, none of them home (the home folder is the system's to make): 0, or
// the errno value of the failure.
int MakeFolders(const fs::path& folder, const fs::path& home) {
  std::vector<fs::path> missing;
  for (fs::path at = folder; !at.empty() && at != at.root_path(); at = at.parent_path()) {
    struct stat info {};
    if (stat(at.c_str(), &info) == 0) break;
    if (errno != ENOENT) return errno;
    if (!home.empty() && at == home) return ENOENT;
    missing.push_back(at);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

// Whether folder can be the state folder; made first when make is true,
// and closed to others when it is open to them.
Unfit Check(const fs::path& folder, const fs::path& home, bool make) {
  // Before anything is made in them.
  if (Unfit around = CheckFoldersAround(folder); !around.Fits()) return around;
  if (make) {
    if (const int error = MakeFolders(folder, home); error != 0)
      return Because("cannot be made: " + SystemReason(error));
  }
  struct stat info {};
  if (lstat(folder.c_str(), &info) != 0) return Because(errno == ENOENT ? "is missing" : SystemReason(errno));
  if (S_ISLNK(info.st_mode)) return Because("is a link");
  if (S_ISREG(info.st_mode)) return Because("is a file");
  if (!S_ISDIR(info.st_mode)) return Because("is not a folder");
  if (info.st_uid != geteuid()) return NotOwn();
  if (access(folder.c_str(), W_OK | X_OK) != 0) return Because("is not writable");
  // It holds the bytes of the user's files.
  if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
    return Because("is open to others and cannot be closed to them: " + SystemReason(errno));
  }
  return {};
}

// Whether folder is a folder of the user's own, not a link, that the user
// may write in.
bool Ours(const fs::path& folder) {
  struct stat info {};
  return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
         access(folder.c_str(), W_OK | X_OK) == 0;
}

// The folder the user looks in for what programs keep: the one
// XDG_STATE_HOME names, or the one in the home when there is a home of the
// user's own; or none.
fs::path Preferred(const fs::path& home) {
  if (const fs::path state = FromEnvironment("XDG_STATE_HOME"); !state.empty()) return state / "morvexa";
  struct stat info {};
  if (!home.empty() && stat(home.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()) {
    return home / ".local/state/morvexa";
  }
  return {};
}

// The folders for want of a home, in the order they are preferred.
std::vector<fs::path> WithoutHome() {
  std::vector<fs::path> folders;
  if (const fs::path runtime = FromEnvironment("XDG_RUNTIME_DIR"); !runtime.empty() && Ours(runtime)) {
    folders.push_back(runtime / "morvexa");
  }
  fs::path temporary = FromEnvironment("TMPDIR");
  if (temporary.empty()) temporary = "/tmp";
  folders.push_back(temporary / ("morvexa-" + std::to_string(geteuid())));
  return folders;
}

}  // namespace

StateFolderChoice ChooseStateFolder(bool make) {
  const fs::path home = FromEnvironment("HOME");
  if (const fs::path preferred = Preferred(home); !preferred.empty()) {
    Unfit unfit = Check(preferred, home, make);
    if (unfit.Fits()) return {.folder = preferred};
    return {.refused = preferred, .notOwn = unfit.notOwn, .reason = std::move(unfit.reason)};
  }
  // The first that could not be used is the one named.
  StateFolderChoice choice;
  for (const fs::path& folder : WithoutHome()) {
    Unfit unfit = Check(folder, home, make);
    if (unfit.Fits()) return {.folder = folder, .withoutHome = true};
    if (choice.refused.empty()) choice = {.refused = folder, .notOwn = unfit.notOwn, .reason = std::move(unfit.reason)};
  }
  return choice;
}

fs::path StateFolder(bool make) { return ChooseStateFolder(make).folder; }

std::vector<fs::path> StateFoldersInUse() {
  const fs::path home = FromEnvironment("HOME");
  // Every folder that may have been the state folder, whatever the home
  // is now.
  std::vector<fs::path> folders;
  if (const fs::path state = FromEnvironment("XDG_STATE_HOME"); !state.empty()) {
    folders.push_back(state / "morvexa");
  } else if (!home.empty()) {
    folders.push_back(home / ".local/state/morvexa");
  }
  for (fs::path& folder : WithoutHome()) folders.push_back(std::move(folder));
  std::vector<fs::path> inUse;
  for (const fs::path& folder : folders) {
    if (Check(folder, home, false).Fits()) inUse.push_back(folder);
  }
  return inUse;
}

}  // namespace morvexa
