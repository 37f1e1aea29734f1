// Inputs the command line refuses at once, leaving everything as it was:
// empty pictures, streams of no picture, outputs that name the picture
// being read, fonts that are no files, pictures larger than a picture may
// be, art larger than art may be. And
// the memory a banner takes, whatever its size.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "../support/bmp_builder.h"
#include "../support/large_pictures.h"
#include "../support/sanitized.h"
#include "cli_fixture.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::ReadFile;
using testing_support::WriteFile;

using testing_support::kSanitized;

TEST_F(Cli, RefusedInputsChangeNothing) {
  const auto bmp = testing_support::BmpBuilder(2, 1, {0, 1}, {0xFFFFFF, 0x000000}).Build({40, 24});
  const fs::path picture = dir_ / "p.bmp", keep = dir_ / "keep.txt";
  WriteFile(picture, bmp);
  fs::create_hard_link(picture, dir_ / "p.link");
  WriteFile(dir_ / "empty.png", "");
  WriteFile(dir_ / "notes.txt", "Not a picture but a line of text.\n");
  WriteFile(dir_ / "short.txt", "Hello\n");
  // A GIF of 4 x 4 pixels whose frame's data holds a clear code and ends:
  // with the trailer after it, and cut off there.
  const std::string gif = std::string("GIF89a\4\0\4\0\x80\0\0\xff\xff\xff\0\0\0,\0\0\0\0\4\0\4\0\0\2\1\4", 29);
  WriteFile(dir_ / "cut.gif", gif + std::string("\0;", 2));
  WriteFile(dir_ / "ended.gif", gif);
  const auto cutShort = [&](const char* name) {
    return (dir_ / name).string() + " is cut short: a GIF frame's data ends before the frame is whole.";
  };
  // 16385 x 16384 pixels, 16,384 more than a picture may have.
  const std::string large = testing_support::BlackPng(16385, 16384);
  ASSERT_FALSE(large.empty());
  WriteFile(dir_ / "large.png", large);
  WriteFile(dir_ / "large.gif", testing_support::ScreenGif(16385, 16384));
  const std::string tooLarge =
      "The picture has 268451840 pixels (16385 by 16384), more than the 268435456 it may have.";
  ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
  // 8 pixels a letter, 16 x 128 symbols a pixel: past 2^28 symbols at the
  // 16,385th letter.
  const std::string wide(17000, 'W');
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string prefix;  // before the program on the shell's line
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"an empty file", {"picture", dir_ / "empty.png", "-o", keep}, "", 1, "Bitmap image is not valid: It is empty."},
      {"an empty stream", {"picture", "-", "-o", keep}, "</dev/null", 1, "Bitmap image is not valid: It is empty."},
      {"a text file",
       {"picture", dir_ / "notes.txt", "-o", keep},
       "",
       1,
       (dir_ / "notes.txt").string() + " is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP)."},
      {"a text file shorter than a BMP file's header",
       {"picture", dir_ / "short.txt", "-o", keep},
       "",
       1,
       (dir_ / "short.txt").string() + " is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP)."},
      {"a GIF whose frame's data is cut short", {"picture", dir_ / "cut.gif", "-o", keep}, "", 1, cutShort("cut.gif")},
      {"a GIF cut short in its frame's data",
       {"picture", dir_ / "ended.gif", "-o", keep},
       "",
       1,
       cutShort("ended.gif")},

      {"-o naming the picture",
       {"picture", picture, "-o", picture},
       "",
       2,
       "-o names the picture being read (" + picture.string() + "): the art would take its place"},
      {"-o naming another link of it",
       {"picture", picture, "-o", dir_ / "p.link"},
       "",
       2,
       "-o names the picture being read (" + picture.string() + "): the art would take its place"},
      {"--symbols naming the picture",
       {"picture", picture, "--symbols", picture},
       "",
       2,
       "--symbols names the picture being read (" + picture.string() + "): the symbol list would take its place"},
      {"-o naming the picture on standard input",
       {"picture", "-", "-o", picture},
       "<" + Quote(picture),
       2,
       "-o names the picture being read (standard input): the art would take its place"},
      {"a FIFO as the font",
       {"text", "a", "--font", dir_ / "fifo", "-o", keep},
       "timeout 20",
       1,
       "Cannot open font " + (dir_ / "fifo").string() + ": It is a pipe (FIFO), not a regular file."},
      {"a device as the font",
       {"text", "a", "--font", "/dev/zero", "-o", keep},
       "timeout 20",
       1,
       "Cannot open font /dev/zero: It is a device, not a regular file."},
      {"a folder as the font",
       {"text", "a", "--font", dir_, "-o", keep},
       "",
       1,
       "Cannot open font " + dir_.string() + ": Is a directory."},
      {"a banner larger than art may be",
       {"text", wide, "--scale", "8", "--square", "-o", keep},
       "",
       2,
       "The art would have at least 268451840 symbols (2097280 columns by 128 lines), more than the 268435456 it may "
       "have."},
      {"a picture larger than a picture may be", {"picture", dir_ / "large.png", "-o", keep}, "", 2, tooLarge},
      {"a picture larger than a picture may be, on standard input",
       {"picture", "-", "-o", keep},
       "<" + Quote(dir_ / "large.gif"),
       2,
       tooLarge},
      {"a picture's art larger than art may be",
       {"picture", picture, "--width", "1048576", "--height", "1048576"},
       "",
       2,
       "The art would have 1099511627776 symbols (1048576 columns by 1048576 lines), more than the 268435456 it "
       "may have."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(keep, "precious");
    const Outcome run = RunCli(c.args, c.prefix);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, "morvexa-cli: " + c.message + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(keep), "precious");
    EXPECT_TRUE(ReadFile(picture) == std::string(bmp.begin(), bmp.end()));
  }
}

TEST_F(Cli, AStreamOfNoPictureIsRefusedFromItsFirstBytes) {
  // Zeros without end, as from /dev/zero: how many the program takes before
  // it stops reading.
  const std::string writer =
      "/usr/bin/python3 -c 'import sys\nn = 0\ntry:\n    while n < 1 << 31:\n        "
      "sys.stdout.buffer.write(bytes(65536)); "
      "sys.stdout.flush(); n += 65536\nexcept BrokenPipeError:\n    pass\nopen(sys.argv[1], \"w\").write(str(n))' " +
      Quote(dir_ / "taken");
  const Outcome zeros = RunCli({"picture", "-"}, writer + " |");
  EXPECT_EQ(zeros.status, 1);
  EXPECT_EQ(zeros.err, "morvexa-cli: Standard input is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP).\n");
  EXPECT_LT(std::stoll(ReadFile(dir_ / "taken")), 1 << 20);
  // A stream that starts as a picture is read as one.
  const auto bmp = testing_support::BmpBuilder(2, 1, {0, 1}, {0xFFFFFF, 0x000000}).Build({40, 24});
  WriteFile(dir_ / "p.bmp", bmp);
  EXPECT_EQ(RunCli({"picture", "-", "-o", "-"}, "<" + Quote(dir_ / "p.bmp")).out, " !\r\n");
}

TEST_F(Cli, AnEndlessPictureStreamIsRefusedAtTheLargestFileWithinItsMemory) {
  if (kSanitized) GTEST_SKIP() << "the address sanitizer takes memory of its own beyond any limit";
  // Headers that pass the first look, then zeros without end. The stream
  // is held up to the largest picture file (1 GiB and 1 MiB) and refused
  // there, in an address space of 1.5 GB: room for what it holds, not for
  // twice that.
  const struct {
    const char* name;
    const char* header;
  } cases[] = {{"GIF", "GIF89a\\020\\0\\020\\0\\0\\0\\0"}, {"BMP", "BM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = RunCli({"picture", "-", "-o", dir_ / "a.txt"},
                               "ulimit -v 1464843; (printf '" + std::string(c.header) + "'; exec cat /dev/zero) |");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "morvexa-cli: Standard input is larger than the 1025 MiB a picture file may have.\n");
    EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
  }
}

// Runs the program on args, its output to /dev/null, under GNU time; its
// peak resident memory in bytes as time tells it, and its exit status.
std::pair<std::uint64_t, int> PeakOf(const std::vector<std::string>& args, const fs::path& told) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    std::vector<std::string> words = {"/usr/bin/time", "-f", "%M", "-o", told.string(), MORVEXA_CLI};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  const std::string kilobytes = ReadFile(told);
  return {kilobytes.empty() ? ~std::uint64_t{0} : std::stoull(kilobytes) * 1024,
          WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST_F(Cli, BannersAreDrawnInLittleMemoryWhateverTheirSize) {
  // The longest argument the system takes (MAX_ARG_STRLEN, 128 KiB), of
  // the widest ASCII letter, near the most symbols art may have.
  const std::string longest(131000, 'W');
  const std::string dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  ASSERT_TRUE(fs::exists(dejavu)) << "fonts-dejavu-core is not installed";
  const std::vector<std::vector<std::string>> cases = {
      {"--format", "ansi", "--color=always"},
      {"--format", "html", "--fg", "字", "--scale", "2"},
      {"--font", dejavu, "--size", "4", "--scale", "8", "--format", "ansi", "--color=always"},
  };
  for (const auto& options : cases) {
    std::vector<std::string> args = {"text", longest, "-o", "-"};
    args.insert(args.end(), options.begin(), options.end());
    SCOPED_TRACE(options[1]);
    const auto [peak, status] = PeakOf(args, dir_ / "peak");
    EXPECT_EQ(status, 0);
    if (!kSanitized) {
      EXPECT_LT(peak, std::uint64_t{64} << 20);
    }
  }
}

TEST_F(Cli, RunningOutOfMemoryIsToldInASentence) {
  if (kSanitized) GTEST_SKIP() << "the address sanitizer takes memory of its own beyond any limit";
  std::vector<unsigned> indices(64 * 64);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<unsigned>(i % 200);
  std::vector<unsigned> palette;
  for (unsigned i = 0; i < 200; ++i) palette.push_back(i * 0x010203);
  WriteFile(dir_ / "p.bmp", testing_support::BmpBuilder(64, 64, indices, palette).Build({40, 32}));
  // Reducing colors takes the whole art: far more than the limit.
  const Outcome run = RunCli({"picture", dir_ / "p.bmp", "--width", "16000", "--colors", "8", "-o", dir_ / "a.txt"},
                             "ulimit -v 150000;");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "morvexa-cli: Not enough memory to convert the picture.\n");
  EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
}

}  // namespace
}  // namespace morvexa
