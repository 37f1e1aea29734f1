// What the next run makes of a save in place that was killed: the old
// bytes go back only into a file that provably holds what that save left;
// anything else is left as it is, with the old bytes kept beside it. And
// nothing waits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "../support/files.h"
#include "../support/held_lock.h"
#include "../support/torn_save.h"
#include "files/save_record.h"
#include "files/state_folder.h"
#include "morvexa/replacing_file.h"
#include "morvexa/save_recovery.h"
#include "morvexa/temporary_files.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::HoldLock;
using testing_support::ReadFile;
using testing_support::WriteFile;
using Outcome = InterruptedSave::Outcome;

class Recovery : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("morvexa-recovery-" + std::to_string(getpid()) + "-" + std::to_string(++count_));
    fs::create_directories(dir_ / "files");
    state_ = dir_ / "state";
    setenv("XDG_STATE_HOME", state_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_STATE_HOME");
    fs::remove_all(dir_);
  }

  // A file with another hard link, so that saves rewrite it in place.
  fs::path Linked(const std::string& bytes) const {
    const fs::path file = dir_ / "files" / "art.txt";
    WriteFile(file, bytes);
    fs::create_hard_link(file, Link());
    return file;
  }
  fs::path Link() const { return dir_ / "files" / "art.txt.link"; }

  // The names in the state folder that start with start.
  std::vector<fs::path> InState(const std::string& start = "") const {
    std::vector<fs::path> found;
    if (!fs::exists(state_ / "morvexa")) return found;
    for (const auto& entry : fs::directory_iterator(state_ / "morvexa")) {
      if (entry.path().filename().string().starts_with(start)) found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
  }
  std::vector<fs::path> Records() const { return InState("save-"); }

  // A save of file from old to fresh, killed while the file held a mix of
  // the two. False when no stop landed in the rewrite.
  bool KilledWhileTorn(const fs::path& file, const std::string& old, const std::string& fresh) const {
    for (int attempt = 0; attempt < 20; ++attempt) {
      WriteFile(file, old);
      const pid_t child = fork();
      if (child == 0) {
        try {
          WriteFileReplacing(file, fresh);
        } catch (...) {
          _exit(1);
        }
        _exit(0);
      }
      int status = 0;
      if (testing_support::StopWhenTorn(child, file, old.back(), fresh.front(), status)) {
        testing_support::KillNow(child);
        return true;
      }
    }
    return false;
  }

  fs::path dir_, state_;
  static inline int count_ = 0;
};

// A torn save of 12 MiB of "o" (and a tail of "t") to 12 MiB of "n".
const std::string kOld = std::string(12 << 20, 'o') + "tail t";
const std::string kNew = std::string(12 << 20, 'n');

TEST_F(Recovery, AFileLeftTornGetsItsOldBytesBack) {
  const fs::path file = Linked(kOld);
  ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
  ASSERT_EQ(Records().size(), 1u);
  const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
  ASSERT_EQ(settled.size(), 1u);
  EXPECT_EQ(settled[0].outcome, Outcome::Undone);
  EXPECT_EQ(settled[0].target, file.string());
  EXPECT_TRUE(ReadFile(file) == kOld);
  EXPECT_TRUE(ReadFile(Link()) == kOld);
  EXPECT_TRUE(InState().empty()) << "the record goes once the file is whole again";
}

TEST_F(Recovery, ContentWrittenAfterACrashIsNeverReverted) {
  const fs::path file = Linked(kOld);
  ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
  // Another program writes the file in place, as editors do with a file of
  // several links: printf 'NEWER\r\n' > art.txt
  WriteFile(file, "NEWER\r\n");
  const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
  ASSERT_EQ(settled.size(), 1u);
  EXPECT_EQ(settled[0].outcome, Outcome::Kept);
  EXPECT_EQ(ReadFile(file), "NEWER\r\n");
  EXPECT_EQ(ReadFile(Link()), "NEWER\r\n");
  // The old bytes are kept in a file the message names, after the file and
  // the time of the save.
  ASSERT_EQ(InState().size(), 1u);
  const fs::path kept = InState()[0];
  EXPECT_EQ(settled[0].kept, kept.string());
  EXPECT_TRUE(kept.filename().string().starts_with("art.20")) << kept;
  EXPECT_EQ(kept.extension(), ".txt");
  EXPECT_TRUE(ReadFile(kept) == kOld);
  EXPECT_NE(Describe(settled[0]).find(kept.string()), std::string::npos) << Describe(settled[0]);
  EXPECT_TRUE(RecoverInterruptedSaves().empty()) << "told once";
}

TEST_F(Recovery, AFileGoneReplacedOrMadeALinkIsLeftAlone) {
  struct Case {
    const char* name;
    void (*change)(const fs::path& file, const fs::path& elsewhere);
  };
  const Case cases[] = {
      {"deleted", [](const fs::path& file, const fs::path&) { fs::remove(file); }},
      {"renamed over",
       [](const fs::path& file, const fs::path& elsewhere) {
         WriteFile(elsewhere, "replaced");
         fs::rename(elsewhere, file);
       }},
      {"made a link",
       [](const fs::path& file, const fs::path& elsewhere) {
         WriteFile(elsewhere, "elsewhere");
         fs::remove(file);
         fs::create_symlink(elsewhere, file);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_ / "files");
    fs::remove_all(state_);
    fs::create_directories(dir_ / "files");
    const fs::path file = Linked(kOld), elsewhere = dir_ / "files" / "elsewhere.txt";
    ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
    const std::string torn = ReadFile(Link());
    c.change(file, elsewhere);
    const std::string now = fs::exists(file) ? ReadFile(file) : "";
    const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].outcome, Outcome::Kept);
    EXPECT_TRUE(ReadFile(Link()) == torn) << "the other link is not touched";
    if (fs::exists(file)) {
      EXPECT_EQ(ReadFile(file), now);
    }
    ASSERT_EQ(InState().size(), 1u);
    EXPECT_TRUE(ReadFile(InState()[0]) == kOld) << "the only old bytes are kept";
  }
}

// The record's bytes damaged in each way a disk or a person could.
TEST_F(Recovery, ADamagedRecordLeavesTheFileAloneAndIsKept) {
  struct Case {
    const char* name;
    void (*damage)(const fs::path& record);
    bool targetKnown;
  };
  const Case cases[] = {
      {"a byte of the old bytes flipped",
       [](const fs::path& record) {
         const int fd = open(record.c_str(), O_RDWR);
         const off_t at = lseek(fd, 0, SEEK_END) - 3;
         char c = 0;
         ASSERT_EQ(pread(fd, &c, 1, at), 1);
         c = static_cast<char>(c ^ 0x20);
         ASSERT_EQ(pwrite(fd, &c, 1, at), 1);
         close(fd);
       },
       true},
      {"a byte short", [](const fs::path& record) { fs::resize_file(record, fs::file_size(record) - 1); }, true},
      {"a bad header",
       [](const fs::path& record) {
         const int fd = open(record.c_str(), O_RDWR);
         ASSERT_EQ(pwrite(fd, "XX", 2, 0), 2);
         close(fd);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_ / "files");
    fs::remove_all(state_);
    fs::create_directories(dir_ / "files");
    const fs::path file = Linked(kOld);
    ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
    const std::string torn = ReadFile(file);
    ASSERT_EQ(Records().size(), 1u);
    c.damage(Records()[0]);
    const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].outcome, Outcome::Damaged);
    EXPECT_EQ(settled[0].target, c.targetKnown ? file.string() : "");
    EXPECT_TRUE(ReadFile(file) == torn) << "nothing is restored from a damaged copy";
    ASSERT_EQ(InState().size(), 1u) << "the copy is kept, not deleted";
    EXPECT_EQ(settled[0].kept, InState()[0].string());
    EXPECT_FALSE(InState()[0].filename().string().starts_with("save-"));
  }
}

TEST_F(Recovery, ALockedFileKeepsItsRecordAndNothingWaitsForIt) {
  const fs::path file = Linked(kOld);
  ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
  const pid_t locker = HoldLock(file);
  ASSERT_GT(locker, 0);
  // Neither the start nor a save of another file waits for the lock.
  EXPECT_TRUE(RecoverInterruptedSaves().empty());
  EXPECT_TRUE(RecoverInterruptedSavesOf(file).empty());
  WriteFileReplacing(dir_ / "files" / "other.txt", "other");
  EXPECT_EQ(Records().size(), 1u) << "kept for a later start";
  testing_support::KillNow(locker);
  const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
  ASSERT_EQ(settled.size(), 1u);
  EXPECT_EQ(settled[0].outcome, Outcome::Undone);
  EXPECT_TRUE(ReadFile(file) == kOld);
}

TEST_F(Recovery, ASaveFinishedWhileARecoveryHoldsTheRecordIsNotReverted) {
  const fs::path file = Linked(kOld);
  ASSERT_TRUE(KilledWhileTorn(file, kOld, kNew));
  ASSERT_EQ(Records().size(), 1u);
  {
    // A recovery that has taken the record and not yet the file: another
    // save of the file runs to its end meanwhile.
    const int held = open(Records()[0].c_str(), O_RDWR);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(held, F_OFD_SETLK, &lock), 0);
    WriteFileReplacing(file, "saved whole");
    close(held);
  }
  const std::vector<InterruptedSave> settled = RecoverInterruptedSaves();
  ASSERT_EQ(settled.size(), 1u);
  EXPECT_EQ(settled[0].outcome, Outcome::Kept);
  EXPECT_EQ(ReadFile(file), "saved whole");
  EXPECT_EQ(ReadFile(Link()), "saved whole");
}

// Records made directly, for each state a file may be found in: the save
// recorded changes old into fresh; the file is then set to a state.
class FileStates : public Recovery {
 protected:
  // Records a save of file from its bytes now to fresh, and leaves the
  // record as a killed save would.
  void Record(const fs::path& file, const std::string& fresh) const {
    const fs::path spool = dir_ / "spool";
    WriteFile(spool, fresh);
    const int newBytes = open(spool.c_str(), O_RDONLY);
    const int target = open(file.c_str(), O_RDWR);
    struct stat info {};
    ASSERT_EQ(fstat(target, &info), 0);
    save_record::Record record(target, info, fs::absolute(file), newBytes, fresh.size());
    record.Keep();
    close(target);
    close(newBytes);
  }
};

TEST_F(FileStates, OnlyStatesTheSaveCouldLeaveAreRestored) {
  constexpr std::size_t kBlock = save_record::kBlockBytes;
  const std::string old = std::string(5 * kBlock + 100, 'o') + "end";
  const std::string shorter = std::string(2 * kBlock + 7, 'n'), longer = std::string(7 * kBlock + 9, 'n');
  struct Case {
    const char* name;
    std::string fresh;  // what the save was writing
    std::string found;  // what the file holds when the next run comes
    Outcome outcome;
  };
  const Case cases[] = {
      {"untouched", longer, old, Outcome::NotBegun},
      {"written whole, longer", longer, longer, Outcome::Completed},
      {"written whole, shorter", shorter, shorter, Outcome::Completed},
      {"two blocks new", longer, longer.substr(0, 2 * kBlock) + old.substr(2 * kBlock), Outcome::Undone},
      {"past the old end", longer, longer.substr(0, 6 * kBlock), Outcome::Undone},
      {"shorter, written, not yet cut", shorter, shorter + old.substr(shorter.size()), Outcome::Undone},
      {"shorter, written, then a changed byte in its last block", shorter,
       shorter + "x" + old.substr(shorter.size() + 1), Outcome::Kept},
      {"shorter, written, then a changed byte in a later block", shorter,
       shorter + old.substr(shorter.size(), 2 * kBlock) + "x" + old.substr(shorter.size() + 2 * kBlock + 1),
       Outcome::Kept},
      {"new bytes ending inside a block", longer, longer.substr(0, kBlock + 10) + old.substr(kBlock + 10),
       Outcome::Kept},
      {"a byte of the old bytes changed", longer, "x" + old.substr(1), Outcome::Kept},
      {"a byte of the new bytes changed", longer, "x" + longer.substr(1, 2 * kBlock - 1) + old.substr(2 * kBlock),
       Outcome::Kept},
      {"emptied", longer, "", Outcome::Kept},
      {"grown past both", longer, longer + "more", Outcome::Kept},
      {"cut inside the old bytes", longer, old.substr(0, 3 * kBlock), Outcome::Kept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(state_);
    const fs::path file = dir_ / "files" / "art.txt";
    WriteFile(file, old);
    Record(file, c.fresh);
    WriteFile(file, c.found);  // in place: the same file
    const std::vector<InterruptedSave> settled = RecoverInterruptedSavesOf(file);
    ASSERT_EQ(settled.size(), 1u);
    EXPECT_EQ(settled[0].outcome, c.outcome);
    const bool restored = c.outcome == Outcome::Undone;
    EXPECT_TRUE(ReadFile(file) == (restored ? old : c.found));
    if (c.outcome == Outcome::Kept) {
      ASSERT_EQ(InState().size(), 1u);
      EXPECT_TRUE(ReadFile(InState()[0]) == old);
    } else {
      EXPECT_TRUE(InState().empty());
    }
  }
}

TEST_F(FileStates, AStartSettlesOnlyAFewRecords) {
  const fs::path file = dir_ / "files" / "art.txt";
  WriteFile(file, "old");
  for (int i = 0; i < 10; ++i) Record(file, "new");
  std::size_t left = Records().size(), told = 0;
  ASSERT_EQ(left, 10u);
  while (left > 0) {
    const std::size_t settled = RecoverInterruptedSaves().size();
    EXPECT_GE(settled, 1u);
    EXPECT_LE(settled, 4u);
    told += settled;
    ASSERT_EQ(Records().size(), left - settled);
    left -= settled;
  }
  EXPECT_EQ(told, 10u);
  // The saves of the file itself settle every one of its records.
  for (int i = 0; i < 10; ++i) Record(file, "new");
  EXPECT_EQ(RecoverInterruptedSavesOf(file).size(), 10u);
  EXPECT_EQ(ReadFile(file), "old");
}

TEST_F(Recovery, HalfMadeRecordsLeftBehindAreRemovedOnceOldAndUnlocked) {
  // Records a killed save was still making, where the folder could not
  // make them unnamed: many of them old, one new, one old but locked by
  // the save that is making it.
  const fs::path folder = state_ / "morvexa";
  fs::create_directories(folder);
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  std::vector<fs::path> stale;
  for (int i = 0; i < 500; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "partial-%06d.old", i);
    stale.push_back(folder / name);
    WriteFile(stale.back(), std::string(4096, 'o'));
    fs::last_write_time(stale.back(), old);
  }
  const fs::path fresh = folder / "partial-fresh1.old", held = folder / "partial-held01.old";
  WriteFile(fresh, "being made");
  WriteFile(held, "being made");
  fs::last_write_time(held, old);
  const pid_t maker = HoldLock(held);
  ASSERT_GT(maker, 0);
  EXPECT_TRUE(RecoverInterruptedSaves().empty()) << "nothing to tell of: they held no save";
  for (const fs::path& path : stale) EXPECT_FALSE(fs::exists(path)) << path;
  EXPECT_TRUE(fs::exists(fresh)) << "one being made now is left alone";
  EXPECT_TRUE(fs::exists(held)) << "one whose save still lives is left alone";
  testing_support::KillNow(maker);
  RecoverInterruptedSaves();
  EXPECT_FALSE(fs::exists(held)) << "its save is gone";
}

TEST_F(Recovery, AStateFolderOpenToOthersIsClosedToThem) {
  fs::create_directories(state_ / "morvexa");
  chmod((state_ / "morvexa").c_str(), 0755);
  const fs::path file = Linked("old");
  WriteFileReplacing(file, "new");
  struct stat info {};
  ASSERT_EQ(stat((state_ / "morvexa").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(ReadFile(Link()), "new");
}

TEST_F(Recovery, TheStateFolderIsMadeForASaveOnlyAndNeverMakesAHome) {
  unsetenv("XDG_STATE_HOME");
  const char* givenHome = getenv("HOME");
  const std::string savedHome = givenHome ? givenHome : "/";
  const std::string home = (dir_ / "no-home").string();
  setenv("HOME", home.c_str(), 1);
  setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
  unsetenv("XDG_RUNTIME_DIR");
  fs::create_directories(dir_ / "tmp");
  const fs::path file = dir_ / "files" / "art.txt";
  WriteFile(file, "old");
  // Replaced by another file: nothing kept anywhere.
  WriteFileReplacing(file, "new");
  EXPECT_TRUE(StateFolder(false).empty());
  // Rewritten in place: a private folder of the temporary one.
  fs::create_hard_link(file, Link());
  WriteFileReplacing(file, "newer");
  EXPECT_EQ(ReadFile(Link()), "newer");
  EXPECT_FALSE(fs::exists(home)) << "the home folder is never made";
  const fs::path folder = StateFolder(false);
  EXPECT_EQ(folder, dir_ / "tmp" / ("morvexa-" + std::to_string(geteuid())));
  struct stat info {};
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  // With a runtime folder, that one.
  fs::create_directories(dir_ / "run");
  fs::permissions(dir_ / "run", fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
  EXPECT_EQ(StateFolder(true), dir_ / "run" / "morvexa");
  // And with a home, the state folder in it, each folder made private.
  fs::create_directories(home);
  EXPECT_EQ(StateFolder(true), fs::path(home) / ".local/state/morvexa");
  ASSERT_EQ(stat((fs::path(home) / ".local").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  unsetenv("XDG_RUNTIME_DIR");
  unsetenv("TMPDIR");
  setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace morvexa
