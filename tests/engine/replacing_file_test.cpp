// The one writer of saved files, against every kind of target.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <csignal>
#include <functional>
#include <regex>

#include "../support/failure_matchers.h"
#include "../support/files.h"
#include "../support/unwritable.h"
#include "morvexa/replacing_file.h"
#include "morvexa/temporary_files.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;

class Saving : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("morvexa-save-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The names in the folder other than those given.
  std::vector<std::string> Others(std::initializer_list<std::string> known, const fs::path& folder = {}) const {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? dir_ : folder)) {
      const std::string name = entry.path().filename().string();
      if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
    }
    return others;
  }

  static struct stat Stat(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
  }

  fs::path dir_;
  static inline int count_ = 0;
};

// A file-size limit for the length of one save: writes past it fail.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) : previous_(std::signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  void (*previous_)(int);
};

const std::string kNew = "the new art\r\n";
const std::string kBig(1 << 20, '$');

TEST_F(Saving, EveryKindOfTarget) {
  struct Case {
    const char* name;
    std::function<fs::path()> prepare;  // returns the path to save to
    std::string bytes;
    std::string failure;  // empty: the save succeeds
    std::function<void(const fs::path&)> check;
  };
  const fs::path old = dir_ / "old.txt";
  const Case cases[] = {
      {"new file", [&] { return dir_ / "new.txt"; }, kNew, "",
       [&](const fs::path& p) {
         EXPECT_EQ(ReadFile(p), kNew);
         const mode_t mask = umask(0);
         umask(mask);
         EXPECT_EQ(Stat(p).st_mode & 07777, 0666 & ~mask);
       }},
      {"existing file keeps its mode",
       [&] {
         WriteFile(old, "old");
         fs::permissions(old, fs::perms(0640), fs::perm_options::replace);
         return old;
       },
       kNew, "",
       [&](const fs::path& p) {
         EXPECT_EQ(ReadFile(p), kNew);
         EXPECT_EQ(Stat(p).st_mode & 07777, 0640u);
       }},
      {"no such folder", [&] { return dir_ / "none" / "a.txt"; }, kNew,
       "Cannot create file " + (dir_ / "none/a.txt").string(), [&](const fs::path& p) { EXPECT_FALSE(fs::exists(p)); }},
      {"a folder", [&] { return dir_; }, kNew, "Cannot create file " + dir_.string(),
       [&](const fs::path& p) { EXPECT_TRUE(fs::is_directory(p)); }},
      {"FIFO is refused at once",
       [&] {
         mkfifo((dir_ / "fifo.txt").c_str(), 0644);
         return dir_ / "fifo.txt";
       },
       kNew, "Cannot create file " + (dir_ / "fifo.txt").string(),
       [&](const fs::path& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
      {"device behind a link",
       [&] {
         fs::create_symlink("/dev/null", dir_ / "null.txt");
         return dir_ / "null.txt";
       },
       kNew, "Cannot create file " + (dir_ / "null.txt").string(),
       [&](const fs::path& p) { EXPECT_TRUE(fs::is_symlink(p)); }},
      {"link to a file writes the file",
       [&] {
         WriteFile(dir_ / "real.txt", "old");
         fs::create_symlink("real.txt", dir_ / "link.txt");
         return dir_ / "link.txt";
       },
       kNew, "",
       [&](const fs::path& p) {
         EXPECT_TRUE(fs::is_symlink(p));
         EXPECT_EQ(ReadFile(dir_ / "real.txt"), kNew);
       }},
      {"dangling link creates its file",
       [&] {
         fs::create_symlink("made.txt", dir_ / "dangling.txt");
         return dir_ / "dangling.txt";
       },
       kNew, "",
       [&](const fs::path& p) {
         EXPECT_TRUE(fs::is_symlink(p));
         EXPECT_EQ(ReadFile(dir_ / "made.txt"), kNew);
       }},
      {"link loop",
       [&] {
         fs::create_symlink("loop2.txt", dir_ / "loop1.txt");
         fs::create_symlink("loop1.txt", dir_ / "loop2.txt");
         return dir_ / "loop1.txt";
       },
       kNew, "Cannot create file " + (dir_ / "loop1.txt").string(), [](const fs::path&) {}},
      {"250-byte name", [&] { return dir_ / (std::string(246, 'n') + ".txt"); }, kNew, "",
       [&](const fs::path& p) { EXPECT_EQ(ReadFile(p), kNew); }},
      {"hard links all see the new bytes",
       [&] {
         WriteFile(old, "old");
         fs::create_hard_link(old, dir_ / "other.txt");
         return old;
       },
       kNew, "",
       [&](const fs::path& p) {
         EXPECT_EQ(ReadFile(p), kNew);
         EXPECT_EQ(ReadFile(dir_ / "other.txt"), kNew);
         EXPECT_EQ(Stat(p).st_nlink, 2u);
       }},
      {"shorter bytes over a longer file, in place",
       [&] {
         WriteFile(old, std::string(5000, 'o'));
         fs::create_hard_link(old, dir_ / "other.txt");
         return old;
       },
       "short", "", [&](const fs::path& p) { EXPECT_EQ(ReadFile(p), "short"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path target = c.prepare();
    if (c.failure.empty()) {
      WriteFileReplacing(target, c.bytes);
    } else {
      EXPECT_FAILURE(WriteFileReplacing(target, c.bytes), c.failure);
    }
    c.check(target);
    for (const auto& name :
         Others({"new.txt", "old.txt", "fifo.txt", "null.txt", "real.txt", "link.txt", "dangling.txt", "made.txt",
                 "loop1.txt", "loop2.txt", "other.txt", std::string(246, 'n') + ".txt"})) {
      ADD_FAILURE() << "left behind: " << name;
    }
  }
}

TEST_F(Saving, ProtectedFilesAndFoldersKeepWhatTheyHold) {
  // A file that may not be written is not replaced.
  WriteFile(dir_ / "locked.txt", "kept");
  {
    const testing_support::Unwritable locked(dir_ / "locked.txt");
    if (!locked.Active()) GTEST_SKIP() << "this process cannot protect a file from itself";
    EXPECT_FAILURE(WriteFileReplacing(dir_ / "locked.txt", kNew),
                   "Cannot create file " + (dir_ / "locked.txt").string());
  }
  EXPECT_EQ(ReadFile(dir_ / "locked.txt"), "kept");

  // A folder that takes no new file: its writable file is written in
  // place, a new one cannot be made.
  const fs::path folder = dir_ / "folder";
  fs::create_directories(folder);
  WriteFile(folder / "art.txt", std::string(3000, 'o'));
  const ino_t inode = Stat(folder / "art.txt").st_ino;
  {
    const testing_support::Unwritable locked(folder);
    WriteFileReplacing(folder / "art.txt", kNew);
    EXPECT_FAILURE(WriteFileReplacing(folder / "new.txt", kNew), "Cannot create file " + (folder / "new.txt").string());
    // In place, a full disk fails before the file changes.
    const FileSizeLimit limit(100);
    EXPECT_FAILURE(WriteFileReplacing(folder / "art.txt", kBig), "Stream write error");
  }
  EXPECT_EQ(ReadFile(folder / "art.txt"), kNew);
  EXPECT_EQ(Stat(folder / "art.txt").st_ino, inode);
  EXPECT_TRUE(Others({"art.txt"}, folder).empty());
}

TEST_F(Saving, FullDiskKeepsTheOldFileWhole) {
  WriteFile(dir_ / "old.txt", "the old art");
  {
    const FileSizeLimit limit(4096);
    EXPECT_FAILURE(WriteFileReplacing(dir_ / "old.txt", kBig), "Stream write error");
    EXPECT_FAILURE(WriteFileReplacing(dir_ / "new.txt", kBig), "Stream write error");
  }
  EXPECT_EQ(ReadFile(dir_ / "old.txt"), "the old art");
  EXPECT_FALSE(fs::exists(dir_ / "new.txt"));
  EXPECT_TRUE(Others({"old.txt"}).empty()) << "no temporary file left behind";
}

TEST_F(Saving, TemporaryNamesFitAndAreRecognisable) {
  const std::string longName = std::string(251, 'n') + ".txt";  // 255 bytes, the most a name may have
  ReplacingFile file(dir_ / longName);
  file.Write(kNew);
  const auto others = Others({});
  ASSERT_EQ(others.size(), 1u);
  EXPECT_TRUE(std::regex_match(others[0], std::regex(R"(\.morvexa-[0-9a-f]{16}-[A-Za-z0-9]{6}\.tmp)"))) << others[0];
  file.Commit();
  EXPECT_EQ(Others({}), std::vector<std::string>{longName});
  EXPECT_EQ(ReadFile(dir_ / longName), kNew);
}

TEST_F(Saving, SeveralFilesReplaceTheirTargetsOnlyWhenAllAreReady) {
  WriteFile(dir_ / "a.txt", "old a");
  {
    ReplacingFile a(dir_ / "a.txt");
    a.Write("new a");
    a.Finish();
    EXPECT_EQ(ReadFile(dir_ / "a.txt"), "old a") << "ready, not yet in place";
    EXPECT_FAILURE(ReplacingFile(dir_ / "none" / "b.txt"), "Cannot create file " + (dir_ / "none/b.txt").string());
  }
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), "old a") << "a save given up leaves the old file";
  EXPECT_TRUE(Others({"a.txt"}).empty());
}

TEST_F(Saving, SameFileSeesThroughLinksAndSpellings) {
  WriteFile(dir_ / "a.txt", "a");
  fs::create_symlink("a.txt", dir_ / "link.txt");
  fs::create_hard_link(dir_ / "a.txt", dir_ / "hard.txt");
  fs::create_symlink("new.txt", dir_ / "dangling.txt");
  EXPECT_TRUE(SameFile(dir_ / "a.txt", dir_ / "link.txt"));
  EXPECT_TRUE(SameFile(dir_ / "a.txt", dir_ / "hard.txt"));
  EXPECT_TRUE(SameFile(dir_ / "a.txt", dir_ / "." / "a.txt"));
  EXPECT_TRUE(SameFile(dir_ / "new.txt", dir_ / "dangling.txt"));
  EXPECT_FALSE(SameFile(dir_ / "a.txt", dir_ / "new.txt"));
}

// Runs save in a child process that ends by signal (after raising it in the
// middle of a save); returns the signal that ended the child.
int SaveInChildUntil(int signal, const fs::path& target, bool cleanUp) {
  const pid_t child = fork();
  if (child == 0) {
    if (cleanUp) temporary_files::CleanUpOnSignals();
    ReplacingFile file(target);
    file.Write(kNew);
    raise(signal);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}

TEST_F(Saving, InterruptedSavesLeaveNoTemporaryFile) {
  WriteFile(dir_ / "old.txt", "the old art");
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    SCOPED_TRACE(strsignal(signal));
    EXPECT_EQ(SaveInChildUntil(signal, dir_ / "old.txt", true), signal) << "the signal still ends the process";
    EXPECT_EQ(ReadFile(dir_ / "old.txt"), "the old art");
    EXPECT_TRUE(Others({"old.txt"}).empty());
  }

  // A killed process cannot clean up: the next save of the same file does,
  // once the temporary file has been left alone for a while.
  EXPECT_EQ(SaveInChildUntil(SIGKILL, dir_ / "old.txt", true), SIGKILL);
  const auto left = Others({"old.txt"});
  ASSERT_EQ(left.size(), 1u);
  WriteFileReplacing(dir_ / "other.txt", kNew);
  EXPECT_EQ(Others({"old.txt", "other.txt"}), left) << "another file's save leaves it alone";
  WriteFileReplacing(dir_ / "old.txt", kNew);
  EXPECT_EQ(Others({"old.txt", "other.txt"}), left) << "a fresh one may belong to a save in progress";
  const utimbuf aMinuteAgo{time(nullptr) - 60, time(nullptr) - 60};
  utime((dir_ / left[0]).c_str(), &aMinuteAgo);
  WriteFileReplacing(dir_ / "old.txt", kNew);
  EXPECT_TRUE(Others({"old.txt", "other.txt"}).empty());
}

TEST_F(Saving, SaveInProgressIsNotTakenForAStaleOne) {
  ReplacingFile first(dir_ / "a.txt");
  first.Write("first");
  const auto temporary = Others({});
  ASSERT_EQ(temporary.size(), 1u);
  const utimbuf aMinuteAgo{time(nullptr) - 60, time(nullptr) - 60};
  utime((dir_ / temporary[0]).c_str(), &aMinuteAgo);
  WriteFileReplacing(dir_ / "a.txt", "second");
  first.Commit();
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), "first");
}

// As root: the owner, group and set-ID bits of a file survive its
// replacement, and a user who cannot keep them writes the file in place.
TEST_F(Saving, OwnerGroupAndSetIdBitsAreKept) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give files to other users";
  const fs::path file = dir_ / "tool.txt";
  WriteFile(file, "old");
  ASSERT_EQ(chown(file.c_str(), 1234, 5678), 0);
  ASSERT_EQ(chmod(file.c_str(), 06755), 0);
  WriteFileReplacing(file, kNew);
  const struct stat after = Stat(file);
  EXPECT_EQ(after.st_uid, 1234u);
  EXPECT_EQ(after.st_gid, 5678u);
  EXPECT_EQ(after.st_mode & 07777, 06755u);
  EXPECT_EQ(ReadFile(file), kNew);

  // A group-writable file of root's, saved by a member of its group.
  const fs::path shared = dir_ / "shared.txt";
  WriteFile(shared, "old");
  ASSERT_EQ(chown(shared.c_str(), 0, 5678), 0);
  ASSERT_EQ(chmod(shared.c_str(), 0664), 0);
  ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
  const pid_t child = fork();
  if (child == 0) {
    const gid_t group = 5678;
    if (setgroups(1, &group) != 0 || setgid(5678) != 0 || setuid(1234) != 0) _exit(3);
    try {
      WriteFileReplacing(shared, kNew);
    } catch (...) {
      _exit(4);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(shared), kNew);
  EXPECT_EQ(Stat(shared).st_uid, 0u) << "the owner stays";
  EXPECT_EQ(Stat(shared).st_mode & 07777, 0664u);
}

TEST_F(Saving, DeviceNodesAreRefused) {
  if (mknod((dir_ / "x.txt").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "cannot make a device node here";
  EXPECT_FAILURE(WriteFileReplacing(dir_ / "x.txt", kNew), "Cannot create file " + (dir_ / "x.txt").string());
  EXPECT_TRUE(S_ISCHR(Stat(dir_ / "x.txt").st_mode));
}

}  // namespace
}  // namespace morvexa
