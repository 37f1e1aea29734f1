// Nothing a command writes lands where it should not, and nothing is lost:
// closed standard streams, files rewritten in place, the kernel's own
// files, names that could upset a terminal, numbers in every locale.
#include <sys/mount.h>

#include <chrono>

#include "../support/bmp_builder.h"
#include "../support/held_lock.h"
#include "../support/torn_save.h"
#include "cli_fixture.h"
#include "on_terminal.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::ReadFile;
using testing_support::WriteFile;

TEST_F(Cli, AClosedStandardOutputIsAWriteErrorNotAnotherFile) {
  const std::string cli = MORVEXA_CLI;
  // The art would go to standard output, which is closed.
  Outcome closed = RunShell("(" + cli + " text 汉字 --symbols " + Quote(dir_ / "s.txt") + " >&-)");
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.err, "morvexa-cli: Stream write error.\n");
  EXPECT_FALSE(fs::exists(dir_ / "s.txt")) << "a failed command writes no file";

  closed = RunShell("(" + cli + " text 汉字 -o " + Quote(dir_ / "a.txt") + " --symbols - >&-)");
  EXPECT_EQ(closed.status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "a.txt"));

  // Standard input and error closed too: the files still hold only theirs.
  closed = RunShell("(" + cli + " text 汉字 -o " + Quote(dir_ / "a.txt") + " --symbols " + Quote(dir_ / "s.txt") +
                    " <&- 2>&-)");
  EXPECT_EQ(closed.status, 0);
  EXPECT_EQ(ReadFile(dir_ / "s.txt"), "$\r\n \r\n");
  EXPECT_EQ(ReadFile(dir_ / "a.txt").size(), 544u);
}

TEST_F(Cli, BothFilesOrNeitherOnAFullDisk) {
  // The symbols file, with another hard link, is rewritten in place on a
  // disk with no room left; the art file is replaced on another.
  const fs::path small = dir_ / "small";
  fs::create_directories(small);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs (needs root)";
  WriteFile(small / "s.txt", "");
  fs::create_hard_link(small / "s.txt", small / "s.link");
  RunShell("dd if=/dev/zero of=" + Quote(small / "filler") + " bs=4k");
  WriteFile(dir_ / "a.txt", "old art");
  const Outcome full = RunCli({"text", "编程", "-o", dir_ / "a.txt", "--symbols", small / "s.txt"});
  const std::string symbols = ReadFile(small / "s.txt");
  umount2(small.c_str(), MNT_DETACH);
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "morvexa-cli: Stream write error.\n");
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), "old art") << "the art is not put in place when the symbols cannot be";
  EXPECT_EQ(symbols, "");
}

TEST_F(Cli, KilledInPlaceSavesAreSettledByTheNextRun) {
  // A hard-linked art file of about 2 MB, rewritten by a save killed at
  // random moments; the next run puts back what a half-done save broke.
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "编";
  const std::string newArtSize = std::to_string(16u * (4000 * 16 + 2));
  WriteFile(dir_ / "art.txt", "old art");
  fs::create_hard_link(dir_ / "art.txt", dir_ / "art.link");
  std::srand(static_cast<unsigned>(getpid()));
  int undone = 0;
  for (int run = 0; run < 50; ++run) {
    WriteFile(dir_ / "art.txt", "old art");
    const pid_t child = fork();
    if (child == 0) {
      execl(MORVEXA_CLI, MORVEXA_CLI, "text", text.c_str(), "-o", (dir_ / "art.txt").c_str(), nullptr);
      _exit(127);
    }
    usleep(static_cast<useconds_t>(std::rand() % 40000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const Outcome next = RunCli({"text", "字", "-o", "-"});
    EXPECT_EQ(next.status, 0);
    if (next.err.find("its earlier bytes are back") != std::string::npos) ++undone;
    const std::string art = ReadFile(dir_ / "art.txt");
    ASSERT_TRUE(art == "old art" || std::to_string(art.size()) == newArtSize) << "run " << run << ": " << next.err;
  }
  std::cout << undone << " of 50 saves were killed while they wrote their file, and undone\n";
  EXPECT_FALSE(fs::exists(dir_ / "state" / "morvexa") && !fs::is_empty(dir_ / "state" / "morvexa"));
}

// Starts a save in place of a large banner into art.txt (12 MiB of "o",
// with another link) and kills it once the file holds a mix of the two.
bool KilledWhileTorn(const fs::path& art) {
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "编";
  for (int attempt = 0; attempt < 20; ++attempt) {
    WriteFile(art, std::string(12 << 20, 'o'));
    const pid_t child = fork();
    if (child == 0) {
      execl(MORVEXA_CLI, MORVEXA_CLI, "text", text.c_str(), "--fg", "n", "--bg", "n", "--scale", "3", "-o", art.c_str(),
            nullptr);
      _exit(127);
    }
    int status = 0;
    if (testing_support::StopWhenTorn(child, art, 'o', 'n', status)) {
      testing_support::KillNow(child);
      return true;
    }
  }
  return false;
}

TEST_F(Cli, AFileEditedAfterACrashKeepsItsNewerContent) {
  const fs::path art = dir_ / "art.txt", link = dir_ / "art.link";
  WriteFile(art, "");
  fs::create_hard_link(art, link);
  ASSERT_TRUE(KilledWhileTorn(art));
  // Another program writes the file in place before the next run.
  ASSERT_EQ(RunShell("(printf 'NEWER\\r\\n' > " + Quote(art) + ")").status, 0);
  const Outcome next = RunCli({"text", "a"});
  EXPECT_EQ(next.status, 0);
  EXPECT_EQ(ReadFile(art), "NEWER\r\n");
  EXPECT_EQ(ReadFile(link), "NEWER\r\n");
  // The message says where the old bytes are, once.
  const std::string kept = (dir_ / "state" / "morvexa").string() + "/art.";
  EXPECT_NE(
      next.err.find("has changed since; it is left as it is, and its bytes from before that save are kept in " + kept),
      std::string::npos)
      << next.err;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir_ / "state" / "morvexa")) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(ReadFile(files[0]) == std::string(12 << 20, 'o'));
  EXPECT_EQ(RunCli({"text", "a"}).err, "");
}

TEST_F(Cli, NothingWaitsForAFileAnotherProgramHasLocked) {
  const fs::path art = dir_ / "art.txt";
  WriteFile(art, "");
  fs::create_hard_link(art, dir_ / "art.link");
  ASSERT_TRUE(KilledWhileTorn(art));
  // Another program holds a lock on the file, and keeps it.
  const pid_t locker = testing_support::HoldLock(art);
  ASSERT_GT(locker, 0);
  // Each answers at once (timeout would end it with 124).
  EXPECT_EQ(RunCli({"--version"}, "timeout 20").status, 0);
  EXPECT_EQ(RunCli({"text", "a"}, "timeout 20").status, 0);
  const Outcome other = RunCli({"text", "a", "-o", dir_ / "other.txt"}, "timeout 20");
  EXPECT_EQ(other.status, 0);
  EXPECT_EQ(other.err, "");
  testing_support::KillNow(locker);
}

TEST_F(Cli, ASaveWaitsAWhileForAnotherProgramsLockSaysSoAndFailsChangingNothing) {
  const fs::path art = dir_ / "art.txt", link = dir_ / "art.link";
  WriteFile(art, "old art");
  fs::create_hard_link(art, link);
  const pid_t locker = testing_support::HoldLock(art);
  ASSERT_GT(locker, 0);
  const std::string failed =
      "morvexa-cli: Cannot create file " + art.string() + ": another program holds a lock on it.";
  // In a script: no word while it waits, then the failure (timeout would
  // end a wait for ever with 124).
  const Outcome scripted = RunCli({"text", "b", "-o", art}, "timeout 60");
  EXPECT_EQ(scripted.status, 1);
  EXPECT_EQ(scripted.err, failed + "\n");
  // On a terminal, it says what it waits for first.
  const testing_support::TerminalRun watched =
      testing_support::RunOnTerminal({"text", "b", "-o", art.string()}, 80, 24);
  EXPECT_EQ(watched.status, 1);
  EXPECT_NE(watched.shown.find("morvexa-cli: waiting for another program's lock on " + art.string() + "...\r\n" +
                               failed + "\r\n"),
            std::string::npos)
      << watched.shown;
  EXPECT_EQ(ReadFile(art), "old art");
  EXPECT_EQ(ReadFile(link), "old art");
  testing_support::KillNow(locker);
  EXPECT_EQ(RunCli({"text", "b", "-o", art}, "timeout 60").status, 0);
  EXPECT_EQ(ReadFile(link).size(), 16u * 10) << "16 lines of 8 symbols";
}

TEST_F(Cli, AFlockHeldByAnotherProgramIsWaitedForAndTheSaveFailsChangingNothing) {
  const fs::path art = dir_ / "art.txt", link = dir_ / "art.link";
  WriteFile(art, "old art");
  fs::create_hard_link(art, link);
  // The flock command holds its lock on the file while the save runs.
  const std::string save = std::string(MORVEXA_CLI) + " text 编 -o " + Quote(art);
  const Outcome locked = RunShell("timeout 60 flock " + Quote(art) + " " + save);
  EXPECT_EQ(locked.status, 1);
  EXPECT_EQ(locked.err, "morvexa-cli: Cannot create file " + art.string() + ": another program holds a lock on it.\n");
  EXPECT_EQ(ReadFile(art), "old art");
  EXPECT_EQ(ReadFile(link), "old art");
  EXPECT_TRUE(fs::is_empty(dir_ / "state" / "morvexa")) << "no record is left";
  // Once it has let go, the same save goes through.
  EXPECT_EQ(RunShell("timeout 60 " + save).status, 0);
  EXPECT_EQ(ReadFile(link).size(), 16u * 18) << "16 lines of 16 symbols";
}

TEST_F(Cli, AStateFolderThatCannotBeUsedIsNamedWithItsReasonAndNothingChanges) {
  const fs::path art = dir_ / "art.txt", link = dir_ / "art.link", state = dir_ / "state" / "morvexa";
  WriteFile(art, "old art");
  fs::create_hard_link(art, link);
  fs::create_directories(state.parent_path());
  WriteFile(state, "the user's own file");
  // Records that went elsewhere would go to the temporary folder.
  const Outcome refused = RunCli({"text", "编", "-o", art}, "TMPDIR=" + Quote(dir_ / "tmp"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "morvexa-cli: Cannot create file " + art.string() + ": the state folder " + state.string() +
                             " is a file.\n");
  EXPECT_EQ(ReadFile(art), "old art");
  EXPECT_EQ(ReadFile(link), "old art");
  EXPECT_EQ(ReadFile(state), "the user's own file");
  EXPECT_FALSE(fs::exists(dir_ / "tmp"));
}

TEST_F(Cli, WithNoHomeASaveInPlaceSaysWhereItKeepsItsRecords) {
  const fs::path art = dir_ / "art.txt", symbols = dir_ / "symbols.txt";
  for (const fs::path& file : {art, symbols}) {
    WriteFile(file, "old");
    fs::create_hard_link(file, file.string() + ".link");
  }
  const std::string noHome =
      "env -u XDG_STATE_HOME -u XDG_RUNTIME_DIR HOME=" + Quote(dir_ / "no-home") + " TMPDIR=" + Quote(dir_ / "tmp");
  const fs::path folder = dir_ / "tmp" / ("morvexa-" + std::to_string(geteuid()));
  const Outcome saved = RunCli({"text", "编", "-o", art, "--symbols", symbols}, noHome);
  EXPECT_EQ(saved.status, 0);
  EXPECT_EQ(saved.err,
            "morvexa-cli: warning: with no home folder of the user's own, the records of saves in place "
            "are kept in " +
                folder.string() + ", which a restart may empty\n")
      << "once for both files";
  EXPECT_EQ(ReadFile(art.string() + ".link").size(), 16u * 18) << "16 lines of 16 symbols";
  EXPECT_EQ(ReadFile(symbols.string() + ".link"), "$\r\n \r\n");
  EXPECT_TRUE(fs::is_empty(folder));
  // A file replaced by another keeps no record, and nothing is said.
  const Outcome replaced = RunCli({"text", "编", "-o", dir_ / "single.txt"}, noHome);
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.err, "");
}

TEST_F(Cli, RecordsHalfMadeWhereNoUnnamedFileCanBeMadeAreRemovedOnceOld) {
  // A file system that makes no unnamed files: the record of a save in
  // place is made under a name, "partial-", until it is whole.
  const std::string noUnnamed =
      "LD_PRELOAD=" + Quote(MORVEXA_NO_UNNAMED_FILES) + " ASAN_OPTIONS=verify_asan_link_order=0";
  const fs::path art = dir_ / "art.txt", state = dir_ / "state" / "morvexa";
  WriteFile(art, std::string(32 << 20, 'o'));
  fs::create_hard_link(art, dir_ / "art.link");
  auto partials = [&] {
    std::vector<fs::path> found;
    if (fs::exists(state)) {
      for (const auto& entry : fs::directory_iterator(state)) {
        if (entry.path().filename().string().starts_with("partial-")) found.push_back(entry.path());
      }
    }
    return found;
  };
  // A save killed while it made its record.
  bool killed = false;
  for (int attempt = 0; attempt < 20 && !killed; ++attempt) {
    const pid_t child = fork();
    if (child == 0) {
      setenv("LD_PRELOAD", MORVEXA_NO_UNNAMED_FILES, 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
      execl(MORVEXA_CLI, MORVEXA_CLI, "text", "编", "-o", art.c_str(), nullptr);
      _exit(127);
    }
    for (;;) {
      usleep(200);
      kill(child, SIGSTOP);
      int status = 0;
      if (waitpid(child, &status, WUNTRACED) != child || !WIFSTOPPED(status)) break;
      if (!partials().empty()) {
        testing_support::KillNow(child);
        killed = true;
        break;
      }
      kill(child, SIGCONT);
    }
    if (!killed) WriteFile(art, std::string(32 << 20, 'o'));
  }
  ASSERT_TRUE(killed) << "no save was caught making its record";
  ASSERT_EQ(partials().size(), 1u);
  EXPECT_TRUE(ReadFile(art) == std::string(32 << 20, 'o')) << "the file is not touched before its record is whole";
  // Young, it may be a save still at work: left.
  EXPECT_EQ(RunCli({"text", "a"}, noUnnamed).status, 0);
  ASSERT_EQ(partials().size(), 1u);
  // Old and unlocked: removed by the next start.
  fs::last_write_time(partials()[0], fs::file_time_type::clock::now() - std::chrono::minutes(1));
  const Outcome next = RunCli({"text", "a"}, noUnnamed);
  EXPECT_EQ(next.status, 0);
  EXPECT_EQ(next.err, "");
  EXPECT_TRUE(partials().empty());
  // And saves in place work there, leaving nothing behind.
  EXPECT_EQ(RunCli({"text", "b", "-o", art}, noUnnamed).status, 0);
  EXPECT_EQ(ReadFile(dir_ / "art.link").size(), 16u * 10) << "16 lines of 8 symbols";
  EXPECT_TRUE(fs::is_empty(state));
}

TEST_F(Cli, TheKernelsOwnFilesAreNoTargetsAndAreReadNoFurtherThanAPicture) {
  const std::string comm = ReadFile("/proc/self/comm");
  const Outcome proc = RunCli({"text", "编程", "-o", "/proc/self/comm"});
  EXPECT_EQ(proc.status, 1);
  EXPECT_EQ(proc.err, "morvexa-cli: Cannot create file /proc/self/comm.\n");
  const Outcome sys = RunCli({"text", "编程", "--symbols", "/sys/kernel/morvexa.txt"});
  EXPECT_EQ(sys.status, 1);
  EXPECT_EQ(sys.err, "morvexa-cli: Cannot create file /sys/kernel/morvexa.txt.\n");
  // A small file of the kernel's is read, and is no picture.
  const Outcome status = RunCli({"picture", "/proc/self/status"});
  EXPECT_EQ(status.status, 1);
  EXPECT_EQ(status.err,
            "morvexa-cli: /proc/self/status is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP).\n");
}

TEST_F(Cli, NamesAreShownOnOneLineWithTheirControlCharactersEscaped) {
  const Outcome missing = RunCli({"picture", dir_ / "a\x1b[31mb\nc\xff.bmp"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "morvexa-cli: Cannot open file '" + dir_.string() +
                             "/a'$'\\033''[31mb'$'\\n''c'$'\\377''.bmp': No such file or directory.\n");
  const Outcome uncreatable = RunCli({"text", "编程", "-o", dir_ / "none" / "it's\tart.txt"});
  EXPECT_EQ(uncreatable.err, "morvexa-cli: Cannot create file '" + dir_.string() + "/none/it'\\''s'$'\\t''art.txt'\n");
  // Names that need no escape are shown as they are.
  const Outcome plain = RunCli({"picture", dir_ / "图 片.bmp"});
  EXPECT_EQ(plain.err, "morvexa-cli: Cannot open file " + dir_.string() + "/图 片.bmp: No such file or directory.\n");
}

TEST_F(Cli, NumbersAreReadTheSameInEveryLocale) {
  const std::string made = "localedef -i de_DE -f UTF-8 " + Quote(dir_ / "de_DE.UTF-8") + " >/dev/null 2>&1";
  if (std::system(made.c_str()) != 0) GTEST_SKIP() << "localedef cannot make de_DE.UTF-8 here";
  const std::string german = "LOCPATH=" + Quote(dir_) + " LC_ALL=de_DE.UTF-8";
  WriteFile(dir_ / "p.bmp",
            testing_support::BmpBuilder(40, 20, std::vector<unsigned>(800, 1), {0, 0xFFFFFF}).Build({40, 24}));
  const Outcome point = RunCli({"picture", dir_ / "p.bmp", "--width=10", "--aspect=0.25", "-o", "-"}, german);
  EXPECT_EQ(point.status, 0) << point.err;
  EXPECT_EQ(point.out, "          \r\n") << "40 x 20 pixels at 10 columns and a quarter: one line";
  const Outcome comma = RunCli({"picture", dir_ / "p.bmp", "--width=10", "--aspect=0,25"}, german);
  EXPECT_EQ(comma.status, 2);
}

}  // namespace
}  // namespace morvexa
