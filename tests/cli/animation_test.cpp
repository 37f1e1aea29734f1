// Animated GIFs and WebPs: played in place on a pseudo-terminal, each frame
// in its turn, and left as the terminal was however the playing ends; a
// frame asked for by number in a pipe; a page that plays them, in a real
// browser (headless Chromium from Debian).
#include "../support/imagemagick.h"
#include "../support/sanitized.h"
#include "cli_fixture.h"
#include "on_terminal.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::ReadFile;
using testing_support::RunOnTerminal;
using testing_support::Screen;
using testing_support::SentSignal;
using testing_support::TerminalRun;

// Truecolor escapes of a cell's paper in each frame's color.
const std::string kRed = "48;2;255;0;0m", kGreen = "48;2;0;255;0m", kBlue = "48;2;0;0;255m";

class Animations : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    if (!testing_support::HaveImageMagick())
      GTEST_FAIL() << "ImageMagick is not installed, though scripts/test installs it";
    // Three frames of one color each, red, green and blue, 0.2 s a frame.
    ASSERT_TRUE(testing_support::Convert("-size 64x32 xc:red xc:lime xc:blue -set delay 20 -loop 0 " +
                                         Quote(dir_ / "three.gif")));
    ASSERT_TRUE(testing_support::Convert(Quote(dir_ / "three.gif") + " -coalesce " + Quote(dir_ / "f%d.png")));
    ASSERT_EQ(RunShell("img2webp -loop 0 -d 200 -lossless " + Quote(dir_ / "f0.png") + " " + Quote(dir_ / "f1.png") +
                       " " + Quote(dir_ / "f2.png") + " -o " + Quote(dir_ / "three.webp"))
                  .status,
              0)
        << "img2webp, from Debian's webp package";
  }

  TerminalRun Play(const std::vector<std::string>& args, const SentSignal& sent = {}) {
    return RunOnTerminal(args, 80, 24, {{"COLORTERM", "truecolor"}}, {}, sent);
  }
  TerminalRun PlaySignalled(const std::vector<std::string>& args, const std::vector<SentSignal>& signals) {
    return testing_support::RunOnTerminalSignalled(args, 80, 24, {{"COLORTERM", "truecolor"}}, {}, signals);
  }

  // Ten frames of 0.2 s on a gray field of 40 x 20: in frame k (from 1), a
  // red square of 4 pixels at 4 (k - 1) pixels from the left of its top.
  // Each frame is its own, and changes only the top of the one before.
  // ImageMagick takes seconds over a GIF of ten frames: it is made once.
  std::string TenFrames() {
    static std::string made;
    const std::filesystem::path gif = dir_ / "ten.gif";
    if (made.empty()) {
      std::string frames;
      for (int k = 0; k < 10; ++k) {
        frames += " \\( -size 40x20 xc:gray \\( -size 4x4 xc:red \\) -geometry +" + std::to_string(4 * k) +
                  "+0 -composite \\)";
      }
      EXPECT_TRUE(testing_support::Convert(frames + " -set delay 20 -loop 0 " + Quote(gif)));
      made = ReadFile(gif);
    } else {
      testing_support::WriteFile(gif, made);
    }
    return gif.string();
  }

  // Three frames of 0.2 s on a gray field of 64 x 32: the field, a red
  // square of 8 pixels in its top left corner, and the field again.
  std::string SquareComesAndGoes() {
    const std::filesystem::path gif = dir_ / "square.gif";
    EXPECT_TRUE(testing_support::Convert(
        "-size 64x32 xc:gray \\( -size 64x32 xc:gray \\( -size 8x8 xc:red \\) -composite \\) -size 64x32 xc:gray "
        "-set delay 20 -loop 0 " +
        Quote(gif)));
    return gif.string();
  }

  // What the still of frame n shows on the same terminal, as the player
  // would draw it with the options.
  std::string StillOnTerminal(const std::string& file, int n, const std::vector<std::string>& options) {
    std::vector<std::string> args = {"picture", file, "--frame", std::to_string(n)};
    args.insert(args.end(), options.begin(), options.end());
    const TerminalRun still = Play(args);
    EXPECT_EQ(still.status, 0);
    return still.shown;
  }
  // The rows the still of each of its first frames shows on the terminal.
  std::vector<std::vector<Screen::Row>> Stills(const std::string& file, int frames,
                                               const std::vector<std::string>& options) {
    std::vector<std::vector<Screen::Row>> stills;
    for (int n = 1; n <= frames; ++n) {
      const Screen still = testing_support::ScreenOf(StillOnTerminal(file, n, options));
      stills.push_back(still.Above(still.row));
    }
    return stills;
  }
};

// What arrived before the time, or from it on.
std::string ArrivedBefore(const TerminalRun& run, long time) {
  std::string arrived;
  for (const auto& [when, bytes] : run.arrivals) {
    if (when < time) arrived += bytes;
  }
  return arrived;
}
std::string ArrivedFrom(const TerminalRun& run, long time) {
  std::string arrived;
  for (const auto& [when, bytes] : run.arrivals) {
    if (when >= time) arrived += bytes;
  }
  return arrived;
}

// Which of the frames' stills the rows are (from 1); 0: none of them.
std::size_t WhichStill(const std::vector<std::vector<Screen::Row>>& stills, const std::vector<Screen::Row>& rows) {
  const auto found = std::find(stills.begin(), stills.end(), rows);
  return found == stills.end() ? 0 : static_cast<std::size_t>(found - stills.begin()) + 1;
}

// Where each frame after the first begins: its move up over the one before.
std::vector<std::size_t> Redraws(const std::string& shown) {
  std::vector<std::size_t> redraws;
  for (std::size_t at = 0; (at = shown.find("A\r", at)) != std::string::npos; ++at) {
    redraws.push_back(shown.rfind("\x1b[", at));
  }
  return redraws;
}

TEST_F(Animations, ArePlayedInPlaceFrameByFrameUntilCtrlC) {
  for (const char* file : {"three.gif", "three.webp"}) {
    SCOPED_TRACE(file);
    const TerminalRun run = Play({"picture", (dir_ / file).string()}, {SIGINT, 1500});
    EXPECT_EQ(run.status, 0) << "Ctrl-C ends the playing as its end does";
    // Each frame drawn in turn, from the first, within 1.5 s.
    std::string order;
    for (const auto& [when, bytes] : run.arrivals) {
      for (const auto& [color, name] : {std::pair{kRed, 'r'}, std::pair{kGreen, 'g'}, std::pair{kBlue, 'b'}}) {
        if (bytes.find(color) != std::string::npos && when < 1500 && (order.empty() || order.back() != name)) {
          order += name;
        }
      }
    }
    EXPECT_EQ(order.substr(0, 4), "rgbr");
    // In place: every frame after the first begins by going back up over
    // the one before, which fits the terminal, and nothing scrolls.
    const std::string& shown = run.shown;
    EXPECT_TRUE(shown.starts_with("\x1b[?25l")) << "the cursor hidden";
    EXPECT_TRUE(shown.ends_with("\x1b[0m\x1b[?25h")) << "the cursor shown again and the colors reset at the end";
    const std::size_t up = shown.find("A\r");
    ASSERT_NE(up, std::string::npos);
    const int lines = std::stoi(shown.substr(shown.rfind('[', up) + 1));
    EXPECT_GT(lines, 0);
    EXPECT_LT(lines, 24);
    EXPECT_EQ(std::count(shown.begin(), shown.begin() + static_cast<long>(up), '\n'), lines);
  }
}

TEST_F(Animations, EndAsAskedAndLeaveTheTerminalAsItWas) {
  // Played twice through: six frames, then the end.
  const TerminalRun twice = Play({"picture", (dir_ / "three.gif").string(), "--loops", "2"});
  EXPECT_EQ(twice.status, 0);
  EXPECT_EQ(std::count(twice.shown.begin(), twice.shown.end(), '\r') -
                std::count(twice.shown.begin(), twice.shown.end(), '\n'),
            5)
      << "five redraws in place after the first frame";
  EXPECT_TRUE(twice.shown.ends_with("\x1b[0m\x1b[?25h"));
  // --duration stops an endless one; SIGTERM and SIGHUP leave the terminal
  // as it was, and say they ended it.
  const TerminalRun short_ = Play({"picture", (dir_ / "three.gif").string(), "--duration", "0.5"});
  EXPECT_EQ(short_.status, 0);
  EXPECT_LT(short_.arrivals.back().first, 1400);
  for (const int signal : {SIGTERM, SIGHUP}) {
    const TerminalRun ended = Play({"picture", (dir_ / "three.webp").string()}, {signal, 500});
    EXPECT_EQ(ended.status, 128 + signal);
    EXPECT_TRUE(ended.shown.ends_with("\x1b[0m\x1b[?25h")) << signal;
  }
}

TEST_F(Animations, OnlyTheLinesThatChangedAreWrittenAgain) {
  // A field gray from left to right, a red square in its top corner, then
  // in its bottom one, then the field again: played once, the screen ends
  // as the first frame left it, though each later frame wrote only the
  // lines of the square, in far fewer bytes than a whole frame.
  const std::string gray = "-size 48x64 gradient:gray20-gray80 -rotate 90 -posterize 6",
                    square = " -fill red -draw 'rectangle ";
  ASSERT_TRUE(testing_support::Convert(gray + " \\( " + gray + square + "0,0 7,7' \\) \\( " + gray + square +
                                       "0,40 7,47' \\) \\( " + gray + " \\) -set delay 20 -loop 1 " +
                                       Quote(dir_ / "moving.gif")));
  const TerminalRun run = Play({"picture", (dir_ / "moving.gif").string(), "--loops", "1"});
  ASSERT_EQ(run.status, 0);
  const std::string& shown = run.shown;
  std::vector<std::size_t> redraws;  // where each frame after the first begins
  for (std::size_t at = 0; (at = shown.find("A\r", at)) != std::string::npos; ++at) {
    redraws.push_back(shown.rfind("\x1b[", at));
  }
  ASSERT_EQ(redraws.size(), 3u) << "three frames drawn over the first";
  Screen first, last;
  first.Feed(std::string_view(shown).substr(0, redraws[0]));
  last.Feed(shown);
  ASSERT_GT(first.rows.size(), 10u);
  EXPECT_EQ(last.rows, first.rows) << "the field again";
  const std::size_t whole = redraws[0];
  for (std::size_t k = 0; k < 3; ++k) {
    const std::size_t bytes = (k + 1 < 3 ? redraws[k + 1] : shown.rfind("\x1b[0m")) - redraws[k];
    EXPECT_LT(bytes * 2, whole) << "frame " << k + 2 << ": " << bytes << " bytes beside " << whole;
  }
}

TEST_F(Animations, PlayedFramesAreDrawnOnThePaperOfTheirStills) {
  // Ink chosen for white paper is shown on white paper, played or still:
  // each frame's bytes are its still's, and the screen ends as the last
  // frame's still shows it.
  const std::string ten = TenFrames();
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"--width", "20"}, {"--width", "20", "--colors", "4"}, {"--original"}}) {
    SCOPED_TRACE(options.back());
    std::vector<std::string> args = {"picture", ten, "--loops", "1"};
    args.insert(args.end(), options.begin(), options.end());
    const TerminalRun played = Play(args);
    ASSERT_EQ(played.status, 0);
    const std::string first = StillOnTerminal(ten, 1, options), last = StillOnTerminal(ten, 10, options);
    const std::size_t lines = static_cast<std::size_t>(std::count(first.begin(), first.end(), '\n'));
    ASSERT_GE(lines, 5u);
    for (std::size_t at = 0, end; (end = first.find('\n', at)) != std::string::npos; at = end + 1) {
      EXPECT_NE(first.substr(at, end - at).find("\x1b[48;2;255;255;255m"), std::string::npos)
          << "each line of the still on white paper";
    }
    const std::vector<std::size_t> redraws = Redraws(played.shown);
    ASSERT_FALSE(redraws.empty());
    ASSERT_TRUE(played.shown.starts_with("\x1b[?25l"));
    EXPECT_EQ(played.shown.substr(6, redraws[0] - 6), first) << "the first frame";
    const Screen still = testing_support::ScreenOf(last), screen = testing_support::ScreenOf(played.shown);
    EXPECT_EQ(screen.row, lines) << "the cursor below the art";
    EXPECT_EQ(screen.Above(lines), still.Above(lines)) << "the last frame";
  }
}

TEST_F(Animations, FramesWhoseTimeHasPassedAreDroppedNotDrawnInABurst) {
  // Stopped for a second, as a loaded machine or a suspended terminal
  // stops it, the player goes on from the frame due now.
  const TerminalRun run =
      testing_support::RunOnTerminalSignalled({"picture", (dir_ / "three.gif").string(), "--duration", "2.5"}, 80, 24,
                                              {{"COLORTERM", "truecolor"}}, {}, {{SIGSTOP, 500}, {SIGCONT, 1500}});
  EXPECT_EQ(run.status, 0);
  int redrawsAfterResuming = 0, redraws = 0;
  for (const auto& [when, bytes] : run.arrivals) {
    for (std::size_t at = 0; (at = bytes.find("A\r", at)) != std::string::npos; ++at) {
      ++redraws;
      if (when >= 1500 && when < 1600) ++redrawsAfterResuming;
    }
  }
  EXPECT_LE(redrawsAfterResuming, 1) << "late frames drawn in a burst";
  EXPECT_GE(redraws, 4) << "it goes on playing";
}

TEST_F(Animations, CtrlZLeavesTheShellItsCursorAndFgDrawsAWholeFrame) {
  // Stopped by Ctrl-Z, the player shows the cursor and resets the colors
  // before it stops, and writes nothing more until it goes on. Then the
  // shell has written below the art and the cursor is where the shell
  // left it: the next frame is drawn whole from there, the cursor hidden
  // again, with no move up over what the shell wrote.
  const std::string ten = TenFrames();
  const std::vector<std::string> options = {"--width", "20"};
  const std::vector<std::vector<Screen::Row>> stills = Stills(ten, 10, options);
  testing_support::TerminalLook underShell;
  underShell.underShell = true;
  const TerminalRun run = testing_support::RunOnTerminalSignalled({"picture", ten, "--width", "20", "--duration", "3"},
                                                                  80, 24, {{"COLORTERM", "truecolor"}}, underShell,
                                                                  {{SIGTSTP, 500}, {SIGCONT, 1500}});
  EXPECT_EQ(run.status, 0);
  const std::string stopped = ArrivedBefore(run, 1500), resumed = ArrivedFrom(run, 1500);
  EXPECT_TRUE(stopped.ends_with("\x1b[0m\x1b[?25h")) << "the cursor shown and the colors reset, and then stopped";
  ASSERT_TRUE(resumed.starts_with("\x1b[?25l")) << "the cursor hidden again";
  const std::vector<std::size_t> redraws = Redraws(resumed);
  ASSERT_FALSE(redraws.empty()) << "it goes on playing";
  const Screen fresh = testing_support::ScreenOf(resumed.substr(0, redraws[0]));
  EXPECT_NE(WhichStill(stills, fresh.Above(fresh.row)), 0u) << "a whole frame first, from where the cursor is";
  EXPECT_EQ(fresh.rows.size(), fresh.row);
  EXPECT_TRUE(run.shown.ends_with("\x1b[0m\x1b[?25h"));
}

TEST_F(Animations, TheLastFrameDueIsOnTheScreenWhenThePlayingEnds) {
  // Stopped during its fifth frame and gone on long after its end, the
  // player drops the late frames but not the one the playing ends on: the
  // last of its last play, or the one due when --duration ends it.
  const std::string ten = TenFrames();
  const std::vector<std::string> options = {"--width", "20"};
  const std::vector<std::vector<Screen::Row>> stills = Stills(ten, 10, options);
  const std::pair<std::vector<std::string>, std::size_t> cases[] = {{{"--loops", "1"}, 10}, {{"--duration", "1.5"}, 8}};
  for (const auto& [limit, last] : cases) {
    SCOPED_TRACE(limit.front());
    std::vector<std::string> args = {"picture", ten, "--width", "20"};
    args.insert(args.end(), limit.begin(), limit.end());
    const TerminalRun run = PlaySignalled(args, {{SIGSTOP, 900}, {SIGCONT, 4900}});
    EXPECT_EQ(run.status, 0);
    const std::size_t lines = stills[0].size();
    const Screen screen = testing_support::ScreenOf(run.shown);
    EXPECT_EQ(WhichStill(stills, screen.Above(lines)), last);
    EXPECT_FALSE(screen.cursorHidden);
  }
}

TEST_F(Animations, EachFrameLeavesTheCursorBelowTheArt) {
  // The frame of the square writes only the lines of the square, and goes
  // back down over the others: each frame goes up over the one before
  // from the line below the art.
  const TerminalRun run = Play({"picture", SquareComesAndGoes(), "--loops", "1"});
  ASSERT_EQ(run.status, 0);
  // The cursor's row from the art's first line: a line feed moves it down
  // one, ESC [ n B down n, ESC [ n A up n; each move up begins a frame.
  const std::string& shown = run.shown;
  long row = 0, highest = 0;
  std::vector<long> ends;  // where each frame left the cursor
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\n') ++row;
    if (shown.compare(i, 2, "\x1b[") != 0) continue;
    std::size_t end = i + 2;
    while (end < shown.size() && std::isdigit(static_cast<unsigned char>(shown[end]))) ++end;
    const long count = end > i + 2 ? std::stol(shown.substr(i + 2, end - i - 2)) : 1;
    if (end < shown.size() && shown[end] == 'A') {
      ends.push_back(row);
      row -= count;
    }
    if (end < shown.size() && shown[end] == 'B') row += count;
    highest = std::min(highest, row);
  }
  ends.push_back(row);
  EXPECT_EQ(ends, std::vector<long>(3, 16)) << "three frames of 16 lines, each ended below the art";
  EXPECT_EQ(highest, 0) << "never above the art";
}

TEST_F(Animations, AResizedTerminalIsFittedFromTheNextFrame) {
  const std::string three = (dir_ / "three.gif").string();
  const TerminalRun run = Play({"picture", three, "--duration", "1.2"}, {SIGWINCH, 500, 40, 12});
  EXPECT_EQ(run.status, 0);
  // How far each redraw goes back up: the lines of the frame before.
  std::vector<int> ups;
  for (std::size_t at = 0; (at = run.shown.find("A\r", at)) != std::string::npos; ++at) {
    ups.push_back(std::stoi(run.shown.substr(run.shown.rfind('[', at) + 1)));
  }
  ASSERT_GE(ups.size(), 4u);
  EXPECT_EQ(ups.front(), 16) << "80 x 24: a 64 x 32 picture in 16 lines";
  EXPECT_EQ(ups.back(), 10) << "40 x 12: in 10 lines";
  EXPECT_NE(run.shown.find("\x1b[J"), std::string::npos) << "what the larger frames left is cleared";
  // Replayed on a screen (which keeps its 24 lines: those the terminal
  // let go of as it shrank are above where the art begins), what is shown
  // in the end is a frame as its still shows it on the smaller terminal,
  // from the art's first line, and nothing of the larger frames.
  std::vector<std::vector<Screen::Row>> stills;
  for (int n = 1; n <= 3; ++n) {
    const TerminalRun still =
        RunOnTerminal({"picture", three, "--frame", std::to_string(n)}, 40, 12, {{"COLORTERM", "truecolor"}});
    const Screen rows = testing_support::ScreenOf(still.shown);
    stills.push_back(rows.Above(rows.row));
  }
  ASSERT_EQ(stills[0].size(), 10u);
  const Screen screen = testing_support::ScreenOf(run.shown);
  EXPECT_EQ(screen.row, 10u) << "the cursor below the art";
  EXPECT_EQ(screen.rows.size(), 10u) << "no line of a larger frame below";
  EXPECT_NE(WhichStill(stills, screen.Above(10)), 0u) << "a frame, and no line of a larger one above";

  // A new size that keeps the art's: the terminal may have moved the lines
  // as it was resized, so the next frame is drawn whole on a cleared
  // screen, not only its lines that changed.
  // (Found by what it writes rather than by when it arrives: under load a
  // frame drawn before the resize may arrive after it.)
  const TerminalRun same = Play({"picture", SquareComesAndGoes(), "--duration", "1.2"}, {SIGWINCH, 500, 90, 30});
  EXPECT_EQ(same.status, 0);
  const std::size_t cleared = same.shown.find("\x1b[16A\r\x1b[J");
  ASSERT_NE(cleared, std::string::npos) << "a redraw on a cleared screen";
  const std::size_t drawn = cleared + std::string_view("\x1b[16A\r\x1b[J").size();
  const std::vector<std::size_t> redraws = Redraws(same.shown.substr(drawn));
  const std::size_t next = redraws.empty() ? same.shown.rfind("\x1b[0m\x1b[?25h") : drawn + redraws.front();
  const std::string redrawn = same.shown.substr(cleared, next - cleared);
  EXPECT_EQ(std::count(redrawn.begin(), redrawn.end(), '\n'), 16) << "all its lines";
}

TEST_F(Animations, AFrameByItsNumberIsDrawnAsTheStillOfThatFrame) {
  // Frames coalesced by ImageMagick, as still pictures.
  for (const char* file : {"three.gif", "three.webp"}) {
    SCOPED_TRACE(file);
    for (int frame = 1; frame <= 3; ++frame) {
      const Outcome ours =
          RunCli({"picture", (dir_ / file).string(), "--frame", std::to_string(frame), "--width", "10"});
      const Outcome still =
          RunCli({"picture", (dir_ / ("f" + std::to_string(frame - 1) + ".png")).string(), "--width", "10"});
      ASSERT_EQ(ours.status, 0) << ours.err;
      EXPECT_EQ(ours.out, still.out) << "frame " << frame;
    }
    // Piped, an animation gives its first frame, as it always did.
    EXPECT_EQ(RunCli({"picture", (dir_ / file).string()}).out, RunCli({"picture", (dir_ / "f0.png").string()}).out);
    // Past the last: refused, naming how many there are, and nothing written.
    testing_support::WriteFile(dir_ / "kept.txt", "kept");
    const Outcome past =
        RunCli({"picture", (dir_ / file).string(), "--frame", "4", "-o", (dir_ / "kept.txt").string()});
    EXPECT_EQ(past.status, 2);
    EXPECT_EQ(past.err, "morvexa-cli: --frame 4: The picture has only 3 frames.\n");
    EXPECT_EQ(ReadFile(dir_ / "kept.txt"), "kept");
  }
  const Outcome still = RunCli({"picture", (dir_ / "f0.png").string(), "--frame", "2"});
  EXPECT_EQ(still.status, 2);
  EXPECT_EQ(still.err, "morvexa-cli: --frame 2: The picture has only 1 frame.\n");
}

TEST_F(Animations, StandardInputIsReadOnceAndDrawnAsTheFileWouldBe) {
  // Still pictures of each format that may hold frames, and the others.
  ASSERT_TRUE(testing_support::Convert("-size 16x8 xc:red " + Quote(dir_ / "still.gif")));
  ASSERT_EQ(RunShell("cwebp -quiet -lossless " + Quote(dir_ / "f0.png") + " -o " + Quote(dir_ / "still.webp")).status,
            0);
  for (const char* file : {"f0.png", "still.gif", "still.webp", "three.gif", "three.webp"}) {
    SCOPED_TRACE(file);
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"--format", "html", "--animate"}, {"--width", "8"}, {"--frame", "1"}}) {
      std::vector<std::string> named = {"picture", (dir_ / file).string()}, piped = {"picture", "-"};
      named.insert(named.end(), options.begin(), options.end());
      piped.insert(piped.end(), options.begin(), options.end());
      const Outcome fromFile = RunCli(named), fromPipe = RunCli(piped, "<" + Quote(dir_ / file));
      ASSERT_EQ(fromFile.status, 0) << fromFile.err;
      EXPECT_EQ(fromPipe.status, 0) << fromPipe.err;
      EXPECT_EQ(fromPipe.err, "");
      // The page's title names the file; the rest is the same.
      const std::string title = "<title>" + std::string(file) + "</title>";
      std::string expected = fromFile.out;
      if (const std::size_t at = expected.find(title); at != std::string::npos) {
        expected.replace(at, title.size(), "<title>Morvexa</title>");
      }
      EXPECT_EQ(fromPipe.out, expected);
    }
  }
  // An animation given on standard input plays on a terminal as its file does.
  const TerminalRun run = RunOnTerminal({"picture", "-"}, 80, 24, {{"COLORTERM", "truecolor"}}, {}, {SIGINT, 1500},
                                        (dir_ / "three.gif").string());
  EXPECT_EQ(run.status, 0);
  std::string order;
  for (const auto& [when, bytes] : run.arrivals) {
    for (const auto& [color, name] : {std::pair{kRed, 'r'}, std::pair{kGreen, 'g'}, std::pair{kBlue, 'b'}}) {
      if (bytes.find(color) != std::string::npos && (order.empty() || order.back() != name)) order += name;
    }
  }
  EXPECT_EQ(order.substr(0, 3), "rgb");
}

TEST_F(Animations, TheMostFramesAFrameNumberTakesAreRead) {
  // A GIF of 1,000,000 white pixels, one a frame, the last one red: --frame
  // at its most draws that last frame.
  std::string gif = "GIF89a" + std::string("\1\0\1\0\x80\0\0\xff\xff\xff\0\0\0", 13);
  const std::string frame = std::string(",\0\0\0\0\1\0\1\0", 9);
  const std::string pixel = std::string("\2\2\x44\1\0", 5);  // clear, 0, end
  for (int i = 1; i < 1000000; ++i) gif += frame + '\0' + pixel;
  gif += frame + std::string("\x80\xff\0\0\0\0\0", 7) + pixel + ";";
  testing_support::WriteFile(dir_ / "million.gif", gif);
  const std::string red = "#ff0000";
  for (const int n : {999999, 1000000}) {
    SCOPED_TRACE(n);
    // In little memory: no record of the frames passed is kept.
    const Outcome run =
        RunCli({"picture", (dir_ / "million.gif").string(), "--frame", std::to_string(n), "--format", "html"},
               "/usr/bin/time -f %M -o " + Quote(dir_ / "peak"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find(red) != std::string::npos, n == 1000000) << run.out;
    if (!testing_support::kSanitized) {
      EXPECT_LT(std::stoull(ReadFile(dir_ / "peak")), 20000u) << "kilobytes at the peak";
    }
  }
}

TEST_F(Animations, APageThatPlaysShowsEachFrameInItsTurnInABrowser) {
  // One second a frame, so that the browser's moments fall well inside them.
  ASSERT_TRUE(testing_support::Convert("-size 64x32 xc:red xc:lime xc:blue -set delay 100 -loop 0 " +
                                       Quote(dir_ / "slow.gif")));
  ASSERT_EQ(RunCli({"picture", (dir_ / "slow.gif").string(), "--width", "20", "--blocks", "--format", "html",
                    "--animate", "-o", (dir_ / "page.html").string()})
                .status,
            0);
  const std::string page = ReadFile(dir_ / "page.html");
  EXPECT_EQ(page.find("<script src"), std::string::npos) << "no script from elsewhere";
  auto colorAt = [&](int milliseconds) {
    const std::filesystem::path shot = dir_ / ("shot" + std::to_string(milliseconds) + ".png");
    const Outcome taken = RunShell(
        "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir=" + Quote(dir_ / "profile") +
        " --window-size=300,200 --virtual-time-budget=" + std::to_string(milliseconds) +
        " --screenshot=" + Quote(shot) + " " + Quote("file://" + (dir_ / "page.html").string()));
    EXPECT_EQ(taken.status, 0) << "chromium, from Debian's chromium package: " << taken.err;
    const Outcome pixel = RunShell(
        "/usr/bin/python3 -c \"from PIL import Image; print('%02x%02x%02x' % "
        "Image.open('" +
        shot.string() + "').convert('RGB').getpixel((12, 12)))\"");
    return pixel.out;
  };
  EXPECT_EQ(colorAt(400), "ff0000\n") << "the first frame first";
  EXPECT_EQ(colorAt(1500), "00ff00\n") << "the second after its delay";
  EXPECT_EQ(colorAt(3500), "ff0000\n") << "and round again";
}

TEST_F(Animations, OptionsOfPlayingAreRefusedWhereNothingPlays) {
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--animate"}, "--animate is for --format html"},
      {{"--format", "html", "--animate", "--frame", "2"}, "--animate and --frame cannot be used together"},
      {{"--frame", "2", "--loops", "3"}, "--loops and --frame cannot be used together"},
      {{"--loops", "x"}, "--loops: \"x\" is not a whole number from 0 to 1000000"},
      {{"--duration", "0"}, "--duration: \"0\" is not a number of seconds from 0.1 to 86400"},
      {{"--frame", "0"}, "--frame: \"0\" is not a whole number from 1 to 1000000"},
      {{"--loops", "2"}, "--loops is for an animation played on a terminal, or a page of --animate"},
  };
  for (const auto& [args, message] : refused) {
    std::vector<std::string> command = {"picture", (dir_ / "three.gif").string()};
    command.insert(command.end(), args.begin(), args.end());
    const Outcome run = RunCli(command);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace morvexa
