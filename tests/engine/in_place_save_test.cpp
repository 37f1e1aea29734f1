// Saves that rewrite their file in place: hard-linked files, folders that
// take no new file or let none be removed, files mounted where they are;
// against full disks, each other, signals and SIGKILL.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <random>
#include <thread>

#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "../support/held_lock.h"
#include "../support/torn_save.h"
#include "../support/unwritable.h"
#include "morvexa/replacing_file.h"
#include "morvexa/save_recovery.h"
#include "morvexa/shown_path.h"
#include "morvexa/temporary_files.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::HoldLock;
using testing_support::LockKind;
using testing_support::LockName;
using testing_support::ReadFile;
using testing_support::WriteFile;

// Each test in a folder of its own, with its own folder for the copies of
// files rewritten in place.
class InPlace : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("morvexa-in-place-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
    fs::create_directories(dir_ / "files");
    state_ = dir_ / "state";
    setenv("XDG_STATE_HOME", state_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_STATE_HOME");
    fs::remove_all(dir_);
  }

  // A file with another hard link, so that saves rewrite it in place.
  fs::path Linked(const std::string& name, const std::string& bytes) const {
    const fs::path file = dir_ / "files" / name;
    WriteFile(file, bytes);
    fs::create_hard_link(file, dir_ / "files" / (name + ".link"));
    return file;
  }

  // Whatever is left in the folder for copies.
  std::vector<std::string> Copies() const {
    std::vector<std::string> names;
    if (!fs::exists(state_ / "morvexa")) return names;
    for (const auto& entry : fs::directory_iterator(state_ / "morvexa")) names.push_back(entry.path().filename());
    return names;
  }

  std::vector<std::string> FilesIn(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_, state_;
  static inline int count_ = 0;
};

// A small file system of its own (tmpfs), for a disk that is full; only
// root may mount one.
class SmallDisk {
 public:
  SmallDisk(const fs::path& where, const char* size) : where_(where) {
    fs::create_directories(where);
    mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) umount2(where_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }

 private:
  fs::path where_;
  bool mounted_ = false;
};

// Fills the file system of folder to its last byte.
void Fill(const fs::path& folder) {
  const int fd = open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
  std::string block(4096, 'f');
  while (write(fd, block.data(), block.size()) > 0) {
  }
  close(fd);
}

TEST_F(InPlace, EveryFileOfACommandIsReadyBeforeAnyIsPutInPlace) {
  SmallDisk disk(dir_ / "small", "64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  // The art is replaced by rename on a disk with room; the symbols are
  // rewritten in place on a full one.
  const fs::path art = dir_ / "files" / "art.txt";
  WriteFile(art, "the old art");
  const fs::path symbols = dir_ / "small" / "symbols.txt";
  WriteFile(symbols, "");
  fs::create_hard_link(symbols, dir_ / "small" / "symbols.link");
  Fill(dir_ / "small");
  {
    ReplacingFile newArt(art), newSymbols(symbols);
    newArt.Write("the new art");
    newSymbols.Write("$\r\n \r\n");
    newArt.Finish();
    EXPECT_FAILURE(newSymbols.Finish(), "Stream write error");
  }
  EXPECT_EQ(ReadFile(art), "the old art");
  EXPECT_EQ(ReadFile(symbols), "");
  EXPECT_EQ(FilesIn(dir_ / "files"), std::vector<std::string>{"art.txt"});
  EXPECT_TRUE(Copies().empty());
}

TEST_F(InPlace, HardLinkedFilesAreRewrittenWholeAndLeaveNothingBehind) {
  const fs::path file = Linked("art.txt", std::string(100000, 'o'));
  for (const std::string& bytes : {std::string("short"), std::string(300000, 'n'), std::string()}) {
    WriteFileReplacing(file, bytes);
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), bytes);
  }
  EXPECT_EQ(FilesIn(dir_ / "files"), (std::vector<std::string>{"art.txt", "art.txt.link"}));
  EXPECT_TRUE(Copies().empty());
}

TEST_F(InPlace, ConcurrentSavesFollowOneAnother) {
  const fs::path file = Linked("art.txt", "old");
  constexpr int kSavers = 6, kRounds = 300;
  // Each saver's result is one byte repeated, of a length of its own.
  auto result = [](int saver) { return std::string(20000 + 1000 * saver, static_cast<char>('a' + saver)); };
  int mixed = 0;
  for (int round = 0; round < kRounds; ++round) {
    pid_t children[kSavers];
    for (int saver = 0; saver < kSavers; ++saver) {
      children[saver] = fork();
      if (children[saver] == 0) {
        try {
          WriteFileReplacing(file, result(saver));
        } catch (...) {
          _exit(1);
        }
        _exit(0);
      }
    }
    for (pid_t child : children) {
      int status = 0;
      waitpid(child, &status, 0);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string now = ReadFile(file);
    bool whole = false;
    for (int saver = 0; saver < kSavers; ++saver) whole = whole || now == result(saver);
    if (!whole) ++mixed;
  }
  EXPECT_EQ(mixed, 0) << "rounds whose file mixes two saves";
  EXPECT_TRUE(Copies().empty());
}

// Saves in place in a child process, which signal ends after delay.
int SaveKilledAfter(const fs::path& file, const std::string& bytes, int signal, std::chrono::microseconds delay) {
  const pid_t child = fork();
  if (child == 0) {
    temporary_files::CleanUpOnSignals();
    try {
      WriteFileReplacing(file, bytes);
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  std::this_thread::sleep_for(delay);
  kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
}

TEST_F(InPlace, KilledSavesAreSettledByTheNextRun) {
  const std::string old(8 << 20, 'o'), fresh(6 << 20, 'n');
  const fs::path file = Linked("art.txt", old);
  // How long a save takes here, to spread the kills over it.
  const auto start = std::chrono::steady_clock::now();
  WriteFileReplacing(file, old);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::mt19937 random(7);
  int damaged = 0, undone = 0;
  for (int run = 0; run < 50; ++run) {
    WriteFile(file, old);
    const std::chrono::microseconds delay(random() % (took.count() + 1));
    SaveKilledAfter(file, fresh, SIGKILL, delay);
    // The next run settles what the killed one left behind.
    for (const InterruptedSave& save : RecoverInterruptedSaves()) {
      EXPECT_NE(save.outcome, InterruptedSave::Outcome::Kept);
      EXPECT_NE(save.outcome, InterruptedSave::Outcome::Damaged);
      if (save.outcome == InterruptedSave::Outcome::Undone) ++undone;
    }
    const std::string now = ReadFile(file);
    if (now != old && now != fresh) ++damaged;
    EXPECT_TRUE(Copies().empty()) << "run " << run;
  }
  EXPECT_EQ(damaged, 0);
  std::cout << undone << " of 50 saves were killed while they wrote their file, and undone\n";
}

// Saves in place in a child process, and stops it once the file holds a
// mix of its old bytes and new ones; -1 when it finished first.
pid_t StoppedWhileTorn(const fs::path& file, const std::string& fresh, char oldByte) {
  const pid_t child = fork();
  if (child == 0) {
    temporary_files::CleanUpOnSignals();
    try {
      WriteFileReplacing(file, fresh);
    } catch (...) {
      _exit(1);
    }
    _exit(0);
  }
  int status = 0;
  return testing_support::StopWhenTorn(child, file, oldByte, fresh[0], status) ? child : -1;
}

TEST_F(InPlace, SignalsDuringTheRewritePutTheOldBytesBack) {
  const std::string old(16 << 20, 'o'), fresh(16 << 20, 'n');
  const fs::path file = Linked("art.txt", old);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    pid_t child = -1;
    for (int attempt = 0; attempt < 20 && child < 0; ++attempt) {
      WriteFile(file, old);
      child = StoppedWhileTorn(file, fresh, 'o');
    }
    ASSERT_GT(child, 0) << "no stop landed while the file was rewritten";
    // Stopped with the file part old and part new: the signal comes then.
    kill(child, signal);
    kill(child, SIGCONT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "the signal still ends the process";
    EXPECT_TRUE(ReadFile(file) == old) << "the old bytes are back";
    EXPECT_TRUE(Copies().empty());
  }
  EXPECT_TRUE(RecoverInterruptedSaves().empty());
}

// Sets an inode flag (append-only, immutable) where the process may: root
// on most Linux file systems.
bool SetFlag(const fs::path& path, int flag, bool on) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | flag : flags & ~flag;
  done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  close(fd);
  return done;
}

TEST_F(InPlace, FoldersThatLetNothingBeRemovedGetNoTemporaryFile) {
  const fs::path folder = dir_ / "files" / "kept";
  fs::create_directories(folder);
  WriteFile(folder / "art.txt", std::string(5000, 'o'));
  if (!SetFlag(folder, FS_APPEND_FL, true)) GTEST_SKIP() << "cannot make a folder append-only here";
  WriteFileReplacing(folder / "art.txt", "the new art");
  WriteFileReplacing(folder / "new.txt", "a new file");
  EXPECT_FAILURE(WriteFileReplacing(folder / "none" / "x.txt", "x"),
                 "Cannot create file " + (folder / "none/x.txt").string());
  SetFlag(folder, FS_APPEND_FL, false);
  EXPECT_EQ(ReadFile(folder / "art.txt"), "the new art");
  EXPECT_EQ(ReadFile(folder / "new.txt"), "a new file");
  EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{"art.txt", "new.txt"})) << "no temporary file that cannot go";

  // An append-only or immutable file may not be rewritten at all.
  WriteFile(dir_ / "files" / "log.txt", "kept");
  ASSERT_TRUE(SetFlag(dir_ / "files" / "log.txt", FS_APPEND_FL, true));
  EXPECT_FAILURE(WriteFileReplacing(dir_ / "files" / "log.txt", "new"),
                 "Cannot create file " + (dir_ / "files/log.txt").string());
  SetFlag(dir_ / "files" / "log.txt", FS_APPEND_FL, false);
  EXPECT_EQ(ReadFile(dir_ / "files" / "log.txt"), "kept");
}

TEST_F(InPlace, AFileMountedWhereItIsIsRewritten) {
  const fs::path source = dir_ / "files" / "source.txt", target = dir_ / "files" / "target.txt";
  WriteFile(source, "the old art");
  WriteFile(target, "");
  if (mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount a file here (needs root)";
  }
  WriteFileReplacing(target, "the new art");
  const std::string seen = ReadFile(target);
  umount2(target.c_str(), MNT_DETACH);
  EXPECT_EQ(seen, "the new art");
  EXPECT_EQ(ReadFile(source), "the new art");
  EXPECT_EQ(FilesIn(dir_ / "files"), (std::vector<std::string>{"source.txt", "target.txt"}));
}

TEST_F(InPlace, FilesTheKernelMakesUpAreRefused) {
  const std::string comm = ReadFile("/proc/self/comm");
  EXPECT_FAILURE(WriteFileReplacing("/proc/self/comm", "changed\n"), "Cannot create file /proc/self/comm");
  EXPECT_EQ(ReadFile("/proc/self/comm"), comm);
  EXPECT_FAILURE(WriteFileReplacing("/sys/kernel/morvexa-art.txt", "x"),
                 "Cannot create file /sys/kernel/morvexa-art.txt");
  EXPECT_FAILURE(WriteFileReplacing("/proc/morvexa-art.txt", "x"), "Cannot create file /proc/morvexa-art.txt");
}

TEST_F(InPlace, RecordsOfOtherFilesAreLeftToTheirOwnSaves) {
  const std::string old(4 << 20, 'o');
  const fs::path file = Linked("art.txt", old), other = Linked("other.txt", old);
  // A save of another file killed while it rewrote it.
  pid_t child = -1;
  for (int attempt = 0; attempt < 20 && child < 0; ++attempt) {
    WriteFile(other, old);
    child = StoppedWhileTorn(other, std::string(4 << 20, 'n'), 'o');
  }
  ASSERT_GT(child, 0) << "no stop landed while the file was rewritten";
  testing_support::KillNow(child);
  std::vector<InterruptedSave> told;
  OnInterruptedSaveSettled([&told](const InterruptedSave& save) { told.push_back(save); });
  WriteFileReplacing(file, "new");
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(Copies().size(), 1u);
  // The next save of that file puts its old bytes back first.
  WriteFileReplacing(other, "newer");
  OnInterruptedSaveSettled({});
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].target, other.string());
  EXPECT_EQ(told[0].outcome, InterruptedSave::Outcome::Undone);
  EXPECT_TRUE(Copies().empty());
  EXPECT_EQ(ReadFile(other), "newer");
}

TEST_F(InPlace, ALockAnotherProgramKeepsIsWaitedForAWhileAndThenTheSaveFailsChangingNothing) {
  const fs::path file = Linked("art.txt", "old art");
  std::vector<std::string> told;
  OnWaitingForLock([&told](const std::string& shown) { told.push_back(shown); });
  for (const LockKind kind : {LockKind::Posix, LockKind::OpenFileDescription, LockKind::Flock}) {
    SCOPED_TRACE(LockName(kind));
    told.clear();
    const pid_t locker = HoldLock(file, kind);
    ASSERT_GT(locker, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FAILURE(WriteFileReplacing(file, "new art"),
                   "Cannot create file " + ShownPath(file) + ": another program holds a lock on it");
    const auto waited = std::chrono::steady_clock::now() - start;
    testing_support::KillNow(locker);
    EXPECT_EQ(told, std::vector<std::string>{ShownPath(file)}) << "told once that it waits";
    EXPECT_EQ(ReadFile(file), "old art");
    EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "old art");
    EXPECT_TRUE(Copies().empty()) << "no record is made for a save that never began";
    // About five seconds, as the messages promise: the lock is never let
    // go, so the wait ends only by giving up.
    EXPECT_GE(waited, std::chrono::seconds(4));
    EXPECT_LE(waited, std::chrono::seconds(7));
  }
  told.clear();
  WriteFileReplacing(file, "new art");
  EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "new art");
  EXPECT_TRUE(told.empty()) << "a lock that is free is not waited for";
  OnWaitingForLock({});
}

// The environment's variables as they were, put back at the end of a scope.
class SavedEnvironment {
 public:
  explicit SavedEnvironment(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const char* value = getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~SavedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name, value->c_str(), 1);
      } else {
        unsetenv(name);
      }
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Every file and folder under folder, with its kind, owner, mode and size.
std::vector<std::string> Tree(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    found.push_back(entry.path().string() + " " + std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) +
                    " " + std::to_string(S_ISREG(info.st_mode) ? info.st_size : 0));
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The failure's own text (what the window shows) and the reason the
// command line adds to it, or "no failure".
std::pair<std::string, std::string> FailureAndReason(const std::function<void()>& save) {
  try {
    save();
  } catch (const Failure& failure) {
    return {failure.what(), failure.Cause().reason};
  }
  return {"no failure", ""};
}

TEST_F(InPlace, AStateFolderThatCannotBeUsedIsNamedWithItsReasonAndNothingChanges) {
  const SavedEnvironment saved({"XDG_STATE_HOME", "XDG_RUNTIME_DIR", "HOME", "TMPDIR"});
  unsetenv("XDG_RUNTIME_DIR");
  // Records that went elsewhere would go to the temporary folder.
  setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
  const fs::path home = dir_ / "home", shared = dir_ / "shared", temporary = dir_ / "tmp";
  const fs::path inTemporary = temporary / ("morvexa-" + std::to_string(geteuid()));
  const fs::path ofState = state_ / "morvexa", ofHome = home / ".local/state/morvexa";
  const fs::path inShared = shared / "state/morvexa";
  const fs::path file = Linked("art.txt", "old art");
  const std::string cannotCreate = "Cannot create file " + ShownPath(file);
  auto notOwn = [&](const fs::path& folder) {
    return cannotCreate + ": the state folder " + ShownPath(folder) + " is not the user's own";
  };
  auto stateIn = [](const fs::path& folder) {
    setenv("XDG_STATE_HOME", folder.c_str(), 1);
    return true;
  };
  auto giveAway = [](const fs::path& folder, mode_t mode) {
    fs::create_directories(folder);
    chmod(folder.c_str(), mode);
    return chown(folder.c_str(), 65534, 65534) == 0 && geteuid() != 65534;
  };
  std::optional<testing_support::Unwritable> unwritable;
  struct Case {
    const char* name;
    std::function<bool()> take;  // false when this process cannot make it so
    std::string failure;         // the failure's own text
    std::string reason;          // what the command line adds
  };
  const Case cases[] = {
      {"a file",
       [&] {
         stateIn(state_);
         fs::create_directories(state_);
         WriteFile(ofState, "the user's own file");
         return true;
       },
       cannotCreate, "the state folder " + ShownPath(ofState) + " is a file"},
      {"a folder that may not be written",
       [&] {
         stateIn(state_);
         fs::create_directories(ofState);
         chmod(ofState.c_str(), 0700);
         unwritable.emplace(ofState);
         return unwritable->Active();
       },
       cannotCreate, "the state folder " + ShownPath(ofState) + " is not writable"},
      {"in a file",
       [&] {
         stateIn(state_);
         WriteFile(state_, "the user's own file");
         return true;
       },
       cannotCreate, "the state folder " + ShownPath(ofState) + " cannot be made: Not a directory"},
      {"a link",
       [&] {
         stateIn(state_);
         fs::create_directories(state_);
         fs::create_directories(dir_ / "elsewhere");
         fs::create_directory_symlink(dir_ / "elsewhere", ofState);
         return true;
       },
       cannotCreate, "the state folder " + ShownPath(ofState) + " is a link"},
      {"another user's", [&] { return stateIn(state_) && giveAway(ofState, 0700); }, notOwn(ofState), ""},
      {"a file in the home",
       [&] {
         unsetenv("XDG_STATE_HOME");
         fs::create_directories(ofHome.parent_path());
         WriteFile(ofHome, "the user's own file");
         return true;
       },
       cannotCreate, "the state folder " + ShownPath(ofHome) + " is a file"},
      {"in another user's folder open to all", [&] { return stateIn(shared / "state") && giveAway(shared, 0777); },
       notOwn(inShared), "it is in " + ShownPath(shared) + ", which another user owns"},
      {"in another user's folder open to all that keeps each file to its owner",
       [&] { return stateIn(shared / "state") && giveAway(shared, 01777); }, notOwn(inShared),
       "it is in " + ShownPath(shared) + ", which another user owns"},
      {"in a folder of the user's open to all",
       [&] {
         stateIn(shared / "state");
         fs::create_directories(shared);
         return chmod(shared.c_str(), 0777) == 0;
       },
       notOwn(inShared), "it is in " + ShownPath(shared) + ", which others may write in"},
      {"in a folder of the user's open to a group of others",
       [&] {
         stateIn(shared / "state");
         fs::create_directories(shared);
         return chmod(shared.c_str(), 0770) == 0 && chown(shared.c_str(), geteuid(), 65534) == 0 && getegid() != 65534;
       },
       notOwn(inShared), "it is in " + ShownPath(shared) + ", which others may write in"},
      {"with no home, a link in the temporary folder",
       [&] {
         unsetenv("XDG_STATE_HOME");
         fs::create_directories(temporary);
         fs::create_directories(dir_ / "elsewhere");
         fs::create_directory_symlink(dir_ / "elsewhere", inTemporary);
         return true;
       },
       cannotCreate, "the state folder " + ShownPath(inTemporary) + " is a link"},
      {"with no home, another user's folder in the temporary folder",
       [&] {
         unsetenv("XDG_STATE_HOME");
         return giveAway(inTemporary, 0777);
       },
       notOwn(inTemporary), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unwritable.reset();
    for (const fs::path& path : {state_, home, shared, temporary, dir_ / "elsewhere"}) fs::remove_all(path);
    // A home only where the case makes one.
    setenv("HOME", home.c_str(), 1);
    if (!c.take()) {
      std::cout << "skipped \"" << c.name << "\": only root can give a folder to another user\n";
      continue;
    }
    if (!fs::exists(home)) setenv("HOME", (dir_ / "no-home").c_str(), 1);
    WriteFile(file, "old art");
    const std::vector<std::string> before = Tree(dir_);
    const auto [failure, reason] = FailureAndReason([&] { WriteFileReplacing(file, "new art"); });
    EXPECT_EQ(failure, c.failure);
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(ReadFile(file), "old art");
    EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "old art");
    // No folder made elsewhere for the records, none opened or closed.
    EXPECT_EQ(Tree(dir_), before);
  }
  unwritable.reset();
  // A folder its group may write in, where the group is the user's alone
  // (a umask of 002 with a group for each user), is the user's own.
  for (const fs::path& path : {state_, home, shared}) fs::remove_all(path);
  stateIn(shared / "state");
  fs::create_directories(shared);
  ASSERT_EQ(chmod(shared.c_str(), 0770), 0);
  ASSERT_EQ(chown(shared.c_str(), geteuid(), getegid()), 0);
  const group* own = getgrgid(getegid());
  ASSERT_NE(own, nullptr);
  if (own->gr_mem == nullptr || own->gr_mem[0] == nullptr) {
    WriteFile(file, "old art");
    WriteFileReplacing(file, "new art");
    EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "new art");
  } else {
    ADD_FAILURE() << "the user's group has other members here: " << own->gr_mem[0];
  }
  // A file replaced by another needs no state folder.
  WriteFileReplacing(dir_ / "files" / "single.txt", "saved");
  EXPECT_EQ(ReadFile(dir_ / "files" / "single.txt"), "saved");
}

TEST_F(InPlace, WithNoHomeTheRecordsGoWhereARestartMayEmptyThemAndThatIsTold) {
  const SavedEnvironment saved({"XDG_STATE_HOME", "XDG_RUNTIME_DIR", "HOME", "TMPDIR"});
  unsetenv("XDG_STATE_HOME");
  unsetenv("XDG_RUNTIME_DIR");
  setenv("HOME", (dir_ / "no-home").c_str(), 1);
  setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
  std::vector<std::string> told;
  OnStateFolderWithoutHome([&told](const std::string& folder) { told.push_back(folder); });
  const fs::path art = Linked("art.txt", "old art"), symbols = Linked("symbols.txt", "old symbols");
  WriteFileReplacing(art, "new art");
  WriteFileReplacing(symbols, "new symbols");
  EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "new art");
  EXPECT_EQ(ReadFile(dir_ / "files" / "symbols.txt.link"), "new symbols");
  EXPECT_EQ(told, std::vector<std::string>{ShownPath(dir_ / "tmp" / ("morvexa-" + std::to_string(geteuid())))})
      << "once for the two saves";
  // With a home, the records are kept in it, and nothing is told.
  told.clear();
  fs::create_directories(dir_ / "home");
  setenv("HOME", (dir_ / "home").c_str(), 1);
  WriteFileReplacing(art, "newer art");
  EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "newer art");
  EXPECT_TRUE(fs::is_directory(dir_ / "home" / ".local/state/morvexa"));
  EXPECT_TRUE(told.empty());
  OnStateFolderWithoutHome({});
}

TEST_F(InPlace, AStateFolderInAFolderOpenToAllThatKeepsEachFileToItsOwnerIsUsed) {
  // As the temporary folder is: the user's own, or root's.
  const SavedEnvironment saved({"XDG_STATE_HOME"});
  const fs::path shared = dir_ / "shared";
  fs::create_directories(shared);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  setenv("XDG_STATE_HOME", (shared / "state").c_str(), 1);
  const fs::path file = Linked("art.txt", "old art");
  WriteFileReplacing(file, "new art");
  EXPECT_EQ(ReadFile(dir_ / "files" / "art.txt.link"), "new art");
  EXPECT_TRUE(fs::is_directory(shared / "state" / "morvexa"));
}

}  // namespace
}  // namespace morvexa
