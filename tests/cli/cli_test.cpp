// The command-line program, run as a script would run it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/bmp_builder.h"
#include "../support/data.h"
#include "../support/files.h"
#include "../support/imagemagick.h"
#include "../support/unwritable.h"
#include "cli_fixture.h"
#include "morvexa/cp936.h"
#include "morvexa_version.h"

namespace morvexa {
namespace {

namespace fs = std::filesystem;
using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::ReadFile;
using testing_support::WriteFile;

TEST_F(Cli, DrawsTheDefaultArtAsSavedTextOrAsUtf8) {
  const Outcome saved = RunCli({"text", "编程", "-o", "-"});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, ReadFile(testing_support::DataPath("text/bian_cheng.txt")));

  const Outcome shown = RunCli({"text", "编程"});
  ASSERT_EQ(shown.status, 0);
  std::string expected = saved.out;
  for (std::size_t at; (at = expected.find("\r\n")) != std::string::npos;) expected.erase(at, 1);
  EXPECT_EQ(shown.out, expected);

  const Outcome self = RunCli({"text", "字", "--fg", "字", "--bg", ".", "-o", "-"});
  ASSERT_EQ(self.status, 0);
  EXPECT_EQ(self.out.substr(0, 34), "............\xD7\xD6..................\r\n");
}

TEST_F(Cli, WritesArtAndSymbolsToFiles) {
  const Outcome run =
      RunCli({"text", "编", "--fg", "#", "--bg", "%", "-o", dir_ / "art.txt", "--symbols", dir_ / "sym.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFile(dir_ / "art.txt").size(), 16u * 18u);
  EXPECT_EQ(ReadFile(dir_ / "sym.txt"), "#\r\n%\r\n");

  const Outcome symbolsOnly = RunCli({"text", "编", "--symbols", "-"});
  ASSERT_EQ(symbolsOnly.status, 0);
  EXPECT_EQ(symbolsOnly.out, "$\r\n \r\n");
}

TEST_F(Cli, RefusalsAndFailuresWriteNoArt) {
  WriteFile(dir_ / "keep.txt", "precious");
  struct Case {
    std::string text;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"", 2, "morvexa-cli: 输入不能为空\n"},
      // Characters no glyph source covers: the private use area, a control,
      // named by their code points; one an installed font lacks, with it.
      {"\xEE\x80\x80", 1, "morvexa-cli: Stream read error: the built-in font has no glyph for U+E000.\n"},
      {"编\t", 1, "morvexa-cli: Stream read error: the built-in font has no glyph for U+0009.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    for (const fs::path& target : {dir_ / "new.txt", dir_ / "keep.txt"}) {
      const Outcome run = RunCli({"text", c.text, "-o", target.string()});
      EXPECT_EQ(run.status, c.status);
      EXPECT_EQ(run.err, c.message);
    }
    EXPECT_FALSE(fs::exists(dir_ / "new.txt"));
    EXPECT_EQ(ReadFile(dir_ / "keep.txt"), "precious");
  }
  const std::string dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";  // fonts-dejavu-core
  const Outcome lacking = RunCli({"text", "a你", "--font", dejavu, "--size", "24", "-o", (dir_ / "keep.txt").string()});
  EXPECT_EQ(lacking.status, 1);
  EXPECT_EQ(lacking.err, "morvexa-cli: Stream read error: " + dejavu + " has no glyph for 你 (U+4F60).\n");
  EXPECT_EQ(ReadFile(dir_ / "keep.txt"), "precious");
}

TEST_F(Cli, WrongCommandLinesAreUsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"draw"},
                                             {"text"},
                                             {"text", "编", "--fg"},
                                             {"text", "编", "-x"},
                                             {"text", "编", "程"},
                                             {"text", "编", "-o", "-", "--symbols", "-"},
                                             // The saved art text holds code page 936 alone.
                                             {"text", "编", "--bg", "😀", "-o", "-"},
                                             {"text", "한", "--fg", "字", "-o", "-"}}) {
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
    EXPECT_NE(run.err, "");
    EXPECT_EQ(run.out, "");
  }
  const Outcome help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("morvexa-cli text [OPTION]... TEXT"), std::string::npos);
}

TEST_F(Cli, UncreatableFileIsAFailureNamingThePath) {
  WriteFile(dir_ / "plain", "x");
  const fs::path target = dir_ / "plain" / "art.txt";
  const Outcome run = RunCli({"text", "编", "-o", target});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "morvexa-cli: Cannot create file " + target.string() + ".\n");

  WriteFile(dir_ / "locked.txt", "kept");
  {
    const testing_support::Unwritable locked(dir_ / "locked.txt");
    if (!locked.Active()) GTEST_SKIP() << "this process cannot protect a file from itself";
    const Outcome refused = RunCli({"text", "编", "-o", dir_ / "locked.txt"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "morvexa-cli: Cannot create file " + (dir_ / "locked.txt").string() + ".\n");
  }
  EXPECT_EQ(ReadFile(dir_ / "locked.txt"), "kept");
}

TEST_F(Cli, BothFilesOrNeither) {
  WriteFile(dir_ / "a.txt", "old art");
  const Outcome missingFolder = RunCli({"text", "编程", "-o", dir_ / "a.txt", "--symbols", dir_ / "none" / "s.txt"});
  EXPECT_EQ(missingFolder.status, 1);
  EXPECT_EQ(missingFolder.err, "morvexa-cli: Cannot create file " + (dir_ / "none/s.txt").string() + ".\n");
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), "old art");

  fs::create_symlink("a.txt", dir_ / "link.txt");
  for (const auto& [art, symbols] : {std::pair{dir_ / "a.txt", dir_ / "a.txt"},
                                     {dir_ / "a.txt", dir_ / "link.txt"},
                                     {dir_ / "b.txt", dir_ / "." / "b.txt"}}) {
    const Outcome same = RunCli({"text", "编程", "-o", art, "--symbols", symbols});
    EXPECT_EQ(same.status, 2) << symbols;
    EXPECT_EQ(same.err.substr(0, same.err.find('\n')), "morvexa-cli: -o and --symbols name the same file");
  }
  EXPECT_EQ(ReadFile(dir_ / "a.txt"), "old art");
  EXPECT_FALSE(fs::exists(dir_ / "b.txt"));
}

TEST_F(Cli, KilledWhileSavingLeavesNoTemporaryFile) {
  // A long text makes a save of about 2 MB, killed at random moments.
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "编";
  WriteFile(dir_ / "art.txt", "old art");
  std::srand(static_cast<unsigned>(getpid()));
  for (int run = 0; run < 40; ++run) {
    const int signal = std::vector<int>{SIGINT, SIGTERM, SIGHUP}[run % 3];
    const pid_t child = fork();
    if (child == 0) {
      execl(MORVEXA_CLI, MORVEXA_CLI, "text", text.c_str(), "-o", (dir_ / "art.txt").c_str(), nullptr);
      _exit(127);
    }
    usleep(static_cast<useconds_t>(std::rand() % 12000));
    kill(child, signal);
    waitpid(child, nullptr, 0);
    const std::string art = ReadFile(dir_ / "art.txt");
    ASSERT_TRUE(art == "old art" || art.size() == 16u * (4000 * 16 + 2)) << "the file is whole, old or new";
  }
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "art.txt" || name == "stdout" || name == "stderr" || name == "state")
        << "left behind: " << name;
  }
}

TEST_F(Cli, SymbolsThatMakeLineBreaksSplitLinesAsTheWindowDoes) {
  // 编 drawn with CR and LF: wherever a CR is followed by an LF the art has
  // a line break, which a replacement of CR leaves alone.
  const Outcome drawn = RunCli({"text", "编", "--fg", "\r", "--bg", "\n", "-o", "-"});
  ASSERT_EQ(drawn.status, 0);
  std::string expected = drawn.out;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] == '\r' && (i + 1 == expected.size() || expected[i + 1] != '\n')) expected[i] = 'x';
  }
  const Outcome replaced = RunCli({"text", "编", "--fg", "\r", "--bg", "\n", "--replace", "\r", "x", "-o", "-"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(replaced.out, expected);
}

TEST_F(Cli, ConvertsPicturesAndReplacesSymbols) {
  const testing_support::BmpBuilder picture(3, 2, {0, 1, 1, 2, 0, 0}, {0xFFFFFF, 0x000000, 0xFF0000});
  WriteFile(dir_ / "p.bmp", picture.Build({40, 8, 1}));
  const Outcome art = RunCli({"picture", dir_ / "p.bmp", "-o", "-"});
  ASSERT_EQ(art.status, 0) << art.err;
  EXPECT_EQ(art.out, " !!\r\n\"  \r\n");

  const Outcome replaced = RunCli({"picture", dir_ / "p.bmp", "--replace", "!", "#", "--replace", " ", ".", "-o",
                                   dir_ / "art.txt", "--symbols", "-"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(ReadFile(dir_ / "art.txt"), ".##\r\n\"..\r\n");
  EXPECT_EQ(replaced.out, "\"\r\n#\r\n.\r\n");

  const Outcome text = RunCli({"text", "编", "--replace", " ", ".", "-o", "-"});
  ASSERT_EQ(text.status, 0);
  EXPECT_EQ(text.out.find(' '), std::string::npos);

  // An empty file is no picture here (the window takes it as one of 0 x 0
  // pixels).
  WriteFile(dir_ / "empty.bmp", "");
  const Outcome empty = RunCli({"picture", dir_ / "empty.bmp", "-o", "-"});
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err, "morvexa-cli: Bitmap image is not valid: It is empty.\n");
  EXPECT_EQ(empty.out, "");
}

TEST_F(Cli, EveryBmpFormGivesTheExpectedArtAndSymbols) {
  int forms = 0;
  for (const auto& entry : fs::directory_iterator(testing_support::DataPath("bmp"))) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".bmp") continue;
    SCOPED_TRACE(name);
    ++forms;
    const std::string colors = name.find("_1bpp") != std::string::npos ? "2"
                               : name.find("_4bpp") != std::string::npos || name.find("rle4") != std::string::npos
                                   ? "16"
                                   : "100";
    const Outcome run = RunCli({"picture", entry.path(), "-o", "-", "--symbols", dir_ / "symbols.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadFile(testing_support::DataPath("bmp/" + colors + "_colors.art.txt")));
    EXPECT_EQ(ReadFile(dir_ / "symbols.txt"),
              ReadFile(testing_support::DataPath("bmp/" + colors + "_colors.symbols.txt")));
  }
  EXPECT_EQ(forms, 76);
}

TEST_F(Cli, OptionsAreReadAsGnuToolsReadThem) {
  const std::string expected = RunCli({"text", "编", "--fg", "#", "--bg", ".", "-o", "-"}).out;
  ASSERT_FALSE(expected.empty());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"text", "--fg=#", "--bg=.", "编", "-o", "-"},
           {"text", "-o-", "编", "--bg", ".", "--fg", "#"},
           {"text", "--output=-", "--fg", "#", "--bg=.", "--", "编"},
       }) {
    SCOPED_TRACE(testing::PrintToString(args));
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
  }
  // After "--" a word that looks like an option is the text.
  const Outcome dashed = RunCli({"text", "-o", "-", "--", "-x"});
  EXPECT_EQ(dashed.status, 0) << dashed.err;
  EXPECT_EQ(dashed.out.size(), 16u * (8 + 8 + 2)) << "two characters of 8 columns";
  // A value may begin with "-".
  EXPECT_EQ(RunCli({"text", "编", "--fg", "-", "--symbols", "-"}).out, "-\r\n \r\n");
}

TEST_F(Cli, HelpAndVersion) {
  const Outcome version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "morvexa-cli (Morvexa) " MORVEXA_VERSION);
  EXPECT_NE(version.out.find("License GPLv3+"), std::string::npos);
  EXPECT_EQ(RunCli({"-V"}).out, version.out);
  for (const char* command : {"text", "picture"}) {
    SCOPED_TRACE(command);
    const Outcome help = RunCli({command, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.find("Usage: morvexa-cli " + std::string(command)), 0u);
    EXPECT_NE(help.out.find("--replace"), std::string::npos);
    EXPECT_EQ(RunCli({command, "-h"}).out, help.out);
  }
  // Help that cannot be written is a failure.
  const Outcome full = RunCli({"--help"}, "", "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "morvexa-cli: Stream write error.\n");
  const Outcome wrong = RunCli({"picture", "--bogus", "x.bmp"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.err, "morvexa-cli: unknown option --bogus\nTry 'morvexa-cli picture --help' for more information.\n");
}

TEST_F(Cli, PicturesComeFromStandardInputToo) {
  const auto bytes =
      testing_support::BmpBuilder(3, 2, {0, 1, 1, 2, 0, 0}, {0xFFFFFF, 0x000000, 0xFF0000}).Build({40, 8});
  WriteFile(dir_ / "p.bmp", bytes);
  const Outcome file = RunCli({"picture", "-", "-o", "-"}, "<" + Quote(dir_ / "p.bmp"));
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(file.out, " !!\r\n\"  \r\n");
  const Outcome pipe = RunCli({"picture", "-", "-o", "-"}, "cat " + Quote(dir_ / "p.bmp") + " |");
  EXPECT_EQ(pipe.out, file.out);
  const Outcome empty = RunCli({"picture", "-", "-o", "-"}, "</dev/null");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.out, "");
  const Outcome text = RunCli({"picture", "-"}, "echo not a picture |");
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.err, "morvexa-cli: Standard input is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP).\n");
}

// A Chinese locale of the national character set, made for the test.
class ChineseLocale : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    const std::string made = "localedef -i zh_CN -f GBK " + Quote(dir_ / "zh_CN.GBK") + " >/dev/null 2>&1";
    if (std::system(made.c_str()) != 0) GTEST_SKIP() << "localedef cannot make zh_CN.GBK here";
    prefix_ = "LOCPATH=" + Quote(dir_) + " LC_ALL=zh_CN.GBK";
  }
  std::string prefix_;
};

TEST_F(ChineseLocale, ArgumentsAndMessagesAreInTheLocalesCharacterSet) {
  const std::string bian = "\xB1\xE0";                                                 // 编 in GBK
  const Outcome art = RunCli({"text", bian, "--fg", "\xA3\xA4", "-o", "-"}, prefix_);  // ＄
  EXPECT_EQ(art.status, 0) << art.err;
  EXPECT_EQ(art.out, RunCli({"text", "编", "--fg", cp936::ToUtf8("\xA3\xA4"), "-o", "-"}).out);
  const Outcome shown = RunCli({"text", bian, "--fg", "\xA3\xA4"}, prefix_);
  EXPECT_EQ(shown.out, art.out) << "the art shown as the terminal's own bytes";
  const Outcome refused = RunCli({"text", ""}, prefix_);
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "morvexa-cli: \xCA\xE4\xC8\xEB\xB2\xBB\xC4\xDC\xCE\xAA\xBF\xD5\n");  // 输入不能为空 in GBK
}

TEST_F(Cli, CharactersOutsideGb2312AreDrawnWithTheirOwnGlyphs) {
  // 編 (0xBE 0x8E in code page 936) is not in GB2312: it was drawn with the
  // glyph its code reached in the GB2312 font (堪's), with a warning.
  const Outcome run = RunCli({"text", "編", "-o", "-"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_NE(run.out, RunCli({"text", "堪", "-o", "-"}).out);
}

TEST_F(Cli, PicturesOfEveryFormatAreSizedReducedAndRamped) {
  if (!testing_support::HaveImageMagick())
    GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
  const std::string source = Quote(dir_ / "source.png");
  ASSERT_TRUE(testing_support::Convert("-size 1000x500 -seed 3 plasma:fractal -depth 8 " + source));
  for (const char* extension : {"png", "jpg", "gif", "webp", "bmp"}) {
    SCOPED_TRACE(extension);
    // The name says nothing: the first bytes tell the format.
    const fs::path file = dir_ / (std::string("picture-") + extension + ".dat");
    ASSERT_TRUE(testing_support::Convert(source + " " + std::string(extension) + ":" + Quote(file)));
    const Outcome sized = RunCli({"picture", file, "--width", "100", "-o", "-", "--symbols", dir_ / "symbols.txt"});
    ASSERT_EQ(sized.status, 0) << sized.err;
    ASSERT_EQ(sized.out.size(), 25u * 102u) << "100 columns and 25 lines";
    const std::string symbols = ReadFile(dir_ / "symbols.txt");
    EXPECT_LE(std::count(symbols.begin(), symbols.end(), '\n'), 95);
    const Outcome reduced = RunCli({"picture", file, "--height", "10", "--colors=3", "--dither", "--symbols", "-"});
    EXPECT_EQ(reduced.status, 0) << reduced.err;
    EXPECT_LE(reduced.out.size(), 3u * 3u) << "at most three symbols listed";
    const Outcome ramp = RunCli({"picture", file, "--width=40", "--ramp=.@", "-o", "-"});
    EXPECT_EQ(ramp.out.find_first_not_of(".@\r\n"), std::string::npos);
  }
}

TEST_F(Cli, PictureOptionsAreCheckedBeforeAnything) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"--colors", "1"},
                                                                                    {"--colors", "96"},
                                                                                    {"--colors", "x"},
                                                                                    {"--width", "-1"},
                                                                                    {"--width", "2000000"},
                                                                                    {"--aspect", "0"},
                                                                                    {"--ramp=a"},
                                                                                    {"--ramp=a\tb"},
                                                                                    {"--ramp", "--colors", "4"},
                                                                                    {"--invert"},
                                                                                    {"--background", "nocolor"},
                                                                                    {"--background", "#12345"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    std::vector<std::string> full = {"picture", "x.bmp"};
    full.insert(full.end(), args.begin(), args.end());
    const Outcome run = RunCli(full);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err, "");
  }
  // Of text, --width is the widest a banner's line may be.
  EXPECT_EQ(RunCli({"text", "编", "--width", "10"}).status, 0);
}

TEST_F(Cli, PictureOptionsAtTheirMostAreTaken) {
  // A black and a white pixel: each cell is the area average of what it
  // covers, the first color met drawn as a space, the second as "!".
  WriteFile(dir_ / "two.bmp", testing_support::BmpBuilder(2, 1, {0, 1}, {0x000000, 0xFFFFFF}).Build({40, 24}));
  const struct {
    const char* name;
    std::vector<std::string> size;
    std::string art;
  } cases[] = {
      {"the most columns",
       {"--width", "1048576", "--height", "1"},
       std::string(524288, ' ') + std::string(524288, '!') + "\r\n"},
      {"the most lines",
       {"--width", "2", "--height", "1048576"},
       [] {
         std::string lines;
         for (int i = 0; i < 1048576; ++i) lines += " !\r\n";
         return lines;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"picture", dir_ / "two.bmp", "-o", dir_ / "art.txt"};
    args.insert(args.end(), c.size.begin(), c.size.end());
    const Outcome run = RunCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadFile(dir_ / "art.txt") == c.art);
  }
}

TEST_F(Cli, FilesThatAreNotPicturesFailAtOnce) {
  ASSERT_EQ(mkfifo((dir_ / "p.bmp").c_str(), 0644), 0);
  const Outcome fifo = RunCli({"picture", dir_ / "p.bmp"});
  EXPECT_EQ(fifo.status, 1);
  EXPECT_EQ(fifo.err, "morvexa-cli: Cannot open file " + (dir_ / "p.bmp").string() +
                          ": It is a pipe (FIFO), not a regular file.\n");
  const Outcome proc = RunCli({"picture", "/proc/self/status"});
  EXPECT_EQ(proc.status, 1);
  EXPECT_EQ(proc.err, "morvexa-cli: /proc/self/status is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP).\n");
}

// A picture cut short by another program while it is converted: the
// command fails cleanly (never killed by a signal) or finishes first, and
// a failed command leaves no art file.
TEST_F(Cli, APictureThatShrinksWhileReadFailsCleanly) {
  std::vector<unsigned> indices(1024 * 1024);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<unsigned>(i * 7 % 5);
  const auto bytes =
      testing_support::BmpBuilder(1024, 1024, indices, {0, 0xFF, 0xFF00, 0xFF0000, 0xFFFFFF}).Build({40, 32});
  int failed = 0;
  for (int run = 0; run < 12; ++run) {
    WriteFile(dir_ / "p.bmp", bytes);
    fs::remove(dir_ / "art.txt");
    const pid_t child = fork();
    if (child == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      execl(MORVEXA_CLI, MORVEXA_CLI, "picture", (dir_ / "p.bmp").c_str(), "-o", (dir_ / "art.txt").c_str(), nullptr);
      _exit(127);
    }
    usleep(static_cast<useconds_t>(run * 400));
    fs::resize_file(dir_ / "p.bmp", 1000);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    ASSERT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1);
    if (WEXITSTATUS(status) == 1) {
      ++failed;
      EXPECT_FALSE(fs::exists(dir_ / "art.txt"));
    } else {
      EXPECT_EQ(fs::file_size(dir_ / "art.txt"), 1024u * 1026u);
    }
  }
  EXPECT_GT(failed, 0) << "the file never shrank in time";
}

TEST_F(Cli, PictureFailuresAndReplaceRefusalsWriteNoArt) {
  WriteFile(dir_ / "keep.txt", "precious");
  WriteFile(dir_ / "text.bmp", "this is a plain text file, not a picture");
  const testing_support::BmpBuilder picture(2, 1, {0, 1}, {0xFFFFFF, 0x000000});
  WriteFile(dir_ / "good.bmp", picture.Build({40, 24}));
  auto cut = picture.Build({40, 24});
  cut.resize(cut.size() - 1);
  WriteFile(dir_ / "cut.bmp", cut);

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"picture", dir_ / "text.bmp"},
       1,
       "morvexa-cli: " + (dir_ / "text.bmp").string() +
           " is not a picture Morvexa reads (BMP, PNG, JPEG, GIF or WebP).\n"},
      {{"picture", dir_ / "cut.bmp"}, 1, "morvexa-cli: Stream read error.\n"},
      {{"picture", dir_ / "none.bmp"},
       1,
       "morvexa-cli: Cannot open file " + (dir_ / "none.bmp").string() + ": No such file or directory.\n"},
      {{"picture", dir_ / "good.bmp", "--replace", "x", "#"}, 2, "morvexa-cli: 请先选择需替换的字符\n"},
      {{"picture", dir_ / "good.bmp", "--replace", "!", "##"}, 2, "morvexa-cli: 字符长度必须相同\n"},
      {{"picture", dir_ / "good.bmp", "--replace", "!", ""}, 2, "morvexa-cli: 字符长度必须相同\n"},
      {{"text", "编", "--replace", "$", "#", "--replace", "$", "#"}, 2, "morvexa-cli: 请先选择需替换的字符\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1]);
    for (const fs::path& target : {dir_ / "new.txt", dir_ / "keep.txt"}) {
      auto args = c.args;
      args.insert(args.end(), {"-o", target});
      const Outcome run = RunCli(args);
      EXPECT_EQ(run.status, c.status);
      EXPECT_EQ(run.err, c.message);
    }
    EXPECT_FALSE(fs::exists(dir_ / "new.txt"));
    EXPECT_EQ(ReadFile(dir_ / "keep.txt"), "precious");
  }
}

}  // namespace
}  // namespace morvexa
