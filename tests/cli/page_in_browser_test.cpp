// The pages the program writes, drawn by a real browser (headless Chromium
// from Debian): a picture's cells, and a banner's paper, tile with no
// stripe of the page between the lines.
#include "../support/bmp_builder.h"
#include "cli_fixture.h"

namespace morvexa {
namespace {

using testing_support::Cli;
using testing_support::Outcome;
using testing_support::Quote;
using testing_support::WriteFile;
using PageInBrowser = Cli;

// Rows of the screenshot, down the column x, that show the page's own white
// between the first and the last row of the art's color: "" when none.
const char kStripes[] = R"(
import sys
from PIL import Image
shot = Image.open(sys.argv[1]).convert("RGB")
x, color = int(sys.argv[2]), tuple(int(sys.argv[3][i:i + 2], 16) for i in (0, 2, 4))
rows = [y for y in range(shot.height) if shot.getpixel((x, y)) == color]
if not rows:
    print("no art")
else:
    print(",".join(str(y) for y in range(rows[0], rows[-1]) if shot.getpixel((x, y)) == (255, 255, 255)))
)";

TEST_F(PageInBrowser, CellsTileWithNoStripeBetweenTheLines) {
  WriteFile(dir_ / "stripes.py", kStripes);
  // A picture of one color, and a banner on a paper of its own.
  WriteFile(dir_ / "red.bmp",
            testing_support::BmpBuilder(64, 64, std::vector<unsigned>(64 * 64, 0), {0xC81E1E}).Build({40, 24}));
  const std::pair<std::vector<std::string>, std::string> pages[] = {
      {{"picture", (dir_ / "red.bmp").string(), "--width", "30", "--shapes", "--fill"}, "c81e1e"},
      {{"picture", (dir_ / "red.bmp").string(), "--width", "30", "--blocks"}, "c81e1e"},
      {{"picture", (dir_ / "red.bmp").string(), "--width", "30", "--fill"}, "c81e1e"},
      {{"text", "编", "--fg", "#", "--bg-color", "#1e1ec8"}, "1e1ec8"},
  };
  for (const auto& [args, color] : pages) {
    SCOPED_TRACE(testing::PrintToString(args));
    std::vector<std::string> page = args;
    page.insert(page.end(), {"--format", "html", "-o", (dir_ / "page.html").string()});
    ASSERT_EQ(RunCli(page).status, 0);
    const Outcome shot = RunShell(
        "chromium --headless --no-sandbox --disable-gpu --hide-scrollbars "
        "--user-data-dir=" +
        Quote(dir_ / "profile") + " --window-size=400,400 --screenshot=" + Quote(dir_ / "shot.png") + " " +
        Quote("file://" + (dir_ / "page.html").string()));
    ASSERT_EQ(shot.status, 0) << "chromium, from Debian's chromium package: " << shot.err;
    const Outcome stripes =
        RunShell("/usr/bin/python3 " + Quote(dir_ / "stripes.py") + " " + Quote(dir_ / "shot.png") + " 12 " + color);
    ASSERT_EQ(stripes.status, 0) << stripes.err;
    EXPECT_EQ(stripes.out, "\n") << "white rows in the art";
  }
}

}  // namespace
}  // namespace morvexa
