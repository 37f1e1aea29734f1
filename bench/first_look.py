#!/usr/bin/python3
"""The first look: what `morvexa-cli picture PHOTO` shows on a person's own
terminal, beside what chafa shows on the same terminal with its defaults.

Each terminal is simulated on a pseudo-terminal of 80 x 24 and of 200 x 60
that answers the questions a real one answers: its background color
(OSC 11), its sixteen colors (OSC 4), and its attributes (DA1, the fence
every terminal answers), or only some of them, as that terminal does.  Both
programs are run there as a person types them, with no option; chafa is
told only what its own detection would miss about the terminal's colors
(`-c 256`, `-c 16`, `-c none`, and `--invert` on a light terminal without
colors), so that it draws for that terminal as it would if it could tell.

What each wrote is drawn as that terminal shows it: 8 x 16 pixels a cell,
in DejaVu Sans Mono (bench/art_quality.py's model font, block elements from
their geometry), in the terminal's own palette and default colors.  Each
drawing is scored against the photograph resized to its size, as
art_quality.py scores: pixel SSIM (crisp structure: letter noise lowers
it), likeness (tones from a reading distance) and the color error of the
cells (mean CIEDE2000; not for terminals without colors).  The table gives
Morvexa's mean over the photographs and sizes beside chafa's, and their
ratio, for each terminal, with the goal of each.

--sheets DIR draws a sheet for each terminal: the portraits at 80 x 24, the
photograph beside Morvexa's first look and chafa's, as that terminal shows
them (DIR/first-look-TERMINAL.png).  --speed also times the first look of a
4000 x 3000 JPEG on a 200 x 60 truecolor terminal beside chafa's, with
hyperfine.

Usage: first_look.py CLI [--sheets DIR] [--json FILE] [--only NAMES]
                         [--sizes 80x24,200x60] [--speed] [PHOTO...]
"""

import argparse
import fcntl
import json
import os
import pty
import re
import select
import struct
import subprocess
import sys
import tempfile
import termios
import time

import numpy as np
from PIL import Image, ImageDraw, ImageFont

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_quality as aq  # noqa: E402

SKIMAGE = "/usr/lib/python3/dist-packages/skimage/data"
MATPLOTLIB = "/usr/share/matplotlib/mpl-data/sample_data"
# Photographs with faces and without: a face is where a person looks first.
PHOTOS = [f"{SKIMAGE}/astronaut.png", f"{MATPLOTLIB}/grace_hopper.jpg", f"{SKIMAGE}/chelsea.png",
          f"{SKIMAGE}/coffee.png", f"{SKIMAGE}/motorcycle_left.png", f"{SKIMAGE}/rocket.jpg"]
PORTRAITS = [f"{SKIMAGE}/astronaut.png", f"{MATPLOTLIB}/grace_hopper.jpg", f"{SKIMAGE}/chelsea.png"]


def hexes(*colors):
    return [tuple(int(c[i:i + 2], 16) for i in (0, 2, 4)) for c in colors]


# The sixteen colors of the terminals simulated.
XTERM = hexes("000000", "cd0000", "00cd00", "cdcd00", "0000ee", "cd00cd", "00cdcd", "e5e5e5",
              "7f7f7f", "ff0000", "00ff00", "ffff00", "5c5cff", "ff00ff", "00ffff", "ffffff")
LINUX = hexes("000000", "aa0000", "00aa00", "aa5500", "0000aa", "aa00aa", "00aaaa", "aaaaaa",
              "555555", "ff5555", "55ff55", "ffff55", "5555ff", "ff55ff", "55ffff", "ffffff")
TANGO = hexes("2e3436", "cc0000", "4e9a06", "c4a000", "3465a4", "75507b", "06989a", "d3d7cf",
              "555753", "ef2929", "8ae234", "fce94f", "729fcf", "ad7fa8", "34e2e2", "eeeeec")
DARK, LIGHT = ((229, 229, 229), (0, 0, 0)), ((0, 0, 0), (255, 255, 255))


class Terminal:
    """A terminal: its environment, what it answers, and how it shows text."""

    def __init__(self, name, env, sixteen, defaults, colors, chafa=(), answers_background=True,
                 answers_palette=True, goal=None):
        self.name, self.env, self.sixteen, self.defaults = name, env, sixteen, defaults
        self.colors = colors  # whether it shows colors
        self.chafa = list(chafa)
        self.answers_background, self.answers_palette = answers_background, answers_palette
        self.goal = goal or {}
        palette = aq.xterm_palette().copy()
        palette[:16] = np.array(sixteen, np.uint8)
        self.palette = palette

    def answer(self, question):
        """The terminal's answer to one question it was asked, or b""."""
        if question.startswith(b"\x1b[") and question.endswith(b"c"):
            return b"\x1b[?62;22c"
        if question.startswith(b"\x1b]11;?") and self.answers_background:
            return b"\x1b]11;" + rgb_answer(self.defaults[1]) + b"\x1b\\"
        if question.startswith(b"\x1b]10;?") and self.answers_background:
            return b"\x1b]10;" + rgb_answer(self.defaults[0]) + b"\x1b\\"
        if question.startswith(b"\x1b]4;") and self.answers_palette:
            answers = b""
            fields = question[4:].rstrip(b"\x07").rstrip(b"\x1b\\").rstrip(b"\x1b").split(b";")
            for index, asked in zip(fields[::2], fields[1::2]):
                if asked == b"?" and index.isdigit() and int(index) < 16:
                    answers += b"\x1b]4;" + index + b";" + rgb_answer(self.sixteen[int(index)]) + b"\x1b\\"
            return answers
        return b""


def rgb_answer(color):
    return ("rgb:%04x/%04x/%04x" % tuple(c * 257 for c in color)).encode()


SSIM_LIKENESS_COLOR = {"ssim": 1.05, "likeness": 1.0, "dE": 0.5}
FEW_COLORS = {"ssim": 1.0, "likeness": 1.0, "dE": 0.75}
NO_COLORS = {"ssim": 1.0, "likeness": 1.05}
TERMINALS = [
    Terminal("truecolor", {"TERM": "xterm-256color", "COLORTERM": "truecolor"}, XTERM, DARK, True,
             goal=SSIM_LIKENESS_COLOR),
    Terminal("256", {"TERM": "xterm-256color"}, XTERM, DARK, True, chafa=["-c", "256"], goal=SSIM_LIKENESS_COLOR),
    Terminal("16-xterm", {"TERM": "xterm"}, XTERM, LIGHT, True, chafa=["-c", "16"], goal=FEW_COLORS),
    # The Linux console answers none of the questions: TERM says which it is.
    Terminal("16-linux", {"TERM": "linux"}, LINUX, ((170, 170, 170), (0, 0, 0)), True, answers_background=False,
             answers_palette=False, goal=FEW_COLORS),
    Terminal("16-tango", {"TERM": "xterm"}, TANGO, ((211, 215, 207), (46, 52, 54)), True,
             chafa=["-c", "16"], goal=FEW_COLORS),
    Terminal("none-dark", {"TERM": "xterm-256color", "NO_COLOR": "1"}, XTERM, DARK, False, chafa=["-c", "none"],
             goal=NO_COLORS),
    Terminal("none-light", {"TERM": "xterm-256color", "NO_COLOR": "1"}, XTERM, LIGHT, False,
             chafa=["-c", "none", "--invert"], goal=NO_COLORS),
    # tmux by default: the questions go unanswered, but for the fence.
    Terminal("none-tmux", {"TERM": "tmux-256color", "TMUX": "/tmp/tmux-0/default,1,0", "NO_COLOR": "1"}, XTERM,
             DARK, False, chafa=["-c", "none"], answers_background=False, answers_palette=False),
]

QUESTION = re.compile(rb"\x1b\](?:4|10|11);[^\x07\x1b]*(?:\x07|\x1b\\)|\x1b\[[0-9;?>]*c")
# What a multiplexer keeps for itself: questions passed through to the
# terminal outside it (tmux's, escapes doubled; GNU screen's), which tmux
# here, as by default, does not pass on.
PASSTHROUGH = re.compile(rb"\x1bPtmux;(?:\x1b\x1b|[^\x1b])*\x1b\\|\x1bP\x1b\][^\x07\x1b]*(?:\x07|\x1b\\)\x1b\\")


def run_on_terminal(command, columns, rows, terminal):
    """What command wrote to the terminal (its questions answered and left
    out), and how long it took."""
    env = {k: v for k, v in os.environ.items() if k not in ("COLORTERM", "COLORFGBG", "NO_COLOR", "TMUX")}
    env.update(terminal.env)
    start = time.perf_counter()
    pid, fd = pty.fork()
    if pid == 0:
        os.execvpe(command[0], command, env)
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
    out, pending = bytearray(), b""
    while True:
        ready, _, _ = select.select([fd], [], [], 30)
        if not ready:
            break
        try:
            data = os.read(fd, 1 << 16)
        except OSError:
            break
        if not data:
            break
        pending += data
        # Questions are answered as they come; a question cut between two
        # reads waits for its end.
        pending = PASSTHROUGH.sub(b"", pending)
        while True:
            found = QUESTION.search(pending)
            if not found:
                break
            out += pending[:found.start()]
            answer = terminal.answer(found.group())
            if answer:
                os.write(fd, answer)
            pending = pending[found.end():]
        cut = pending.rfind(b"\x1b")
        if cut >= 0 and len(pending) - cut < 64:
            out += pending[:cut]
            pending = pending[cut:]
        else:
            out += pending
            pending = b""
    out += pending
    _, status = os.waitpid(pid, 0)
    return bytes(out), time.perf_counter() - start, os.waitstatus_to_exitcode(status)


def draw(text, terminal, font):
    rows = aq.parse_ansi(text, terminal.palette)
    if not rows:
        return None, rows
    return aq.render(rows, font, defaults=terminal.defaults), rows


def measure(photo, drawing):
    ref = aq.resize_photo(photo, drawing.shape[1], drawing.shape[0])
    like, ssim, _, de = aq.score(ref, drawing)
    return {"likeness": like, "ssim": ssim, "dE": de}


def programs(cli, terminal, photo):
    return {"morvexa": [cli, "picture", photo], "chafa": ["chafa"] + terminal.chafa + [photo]}


def label_font(size):
    return ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", size)


def sheet(terminal, entries, path):
    """The portraits at 80 x 24: photograph, Morvexa, chafa, a row each."""
    pad, label = 12, 44
    rows = []
    for photo_path, drawings in entries:
        photo = aq.load_photo(photo_path)
        height = max(d.shape[0] for d, _ in drawings.values())
        scale = height / photo.height
        shown = photo.resize((max(1, round(photo.width * scale)), height), Image.LANCZOS)
        cells = [("photograph", shown)]
        for name, (drawing, figures) in drawings.items():
            cells.append((f"{'Morvexa' if name == 'morvexa' else name}\nSSIM {figures['ssim']:.3f}, "
                          f"likeness {figures['likeness']:.3f}"
                          + (f", color error {figures['dE']:.1f}" if terminal.colors else ""),
                          Image.fromarray(np.clip(drawing * 255 + 0.5, 0, 255).astype(np.uint8))))
        rows.append(cells)
    width = max(sum(im.width for _, im in r) + pad * (len(r) + 1) for r in rows)
    height = sum(max(im.height for _, im in r) + label + pad for r in rows) + pad + 40
    canvas = Image.new("RGB", (width, height), (208, 208, 208))
    pen = ImageDraw.Draw(canvas)
    pen.text((pad, 8), f"The first look on a terminal: {terminal.name}, 80 x 24", fill=(0, 0, 0), font=label_font(22))
    y = 40 + pad
    for r in rows:
        x = pad
        for text, im in r:
            pen.multiline_text((x, y), text, fill=(0, 0, 0), font=label_font(14), spacing=4)
            canvas.paste(im, (x, y + label))
            x += im.width + pad
        y += max(im.height for _, im in r) + label + pad
    canvas.save(path, optimize=True)


def speed(cli, work):
    """The first look of a 4000 x 3000 JPEG on a 200 x 60 truecolor
    terminal, beside chafa's, medians of paired runs by hyperfine."""
    jpeg = os.path.join(work, "photo.jpg")
    subprocess.run(["convert", "-size", "4000x3000", "-seed", "9", "plasma:fractal", "-blur", "0x3", "-quality", "90",
                    jpeg], check=True)
    runner = os.path.join(os.path.dirname(os.path.abspath(__file__)), "on_terminal.py")
    report = os.path.join(work, "speed.json")
    env = dict(os.environ, TERM="xterm-256color", COLORTERM="truecolor")
    subprocess.run(["hyperfine", "-N", "--warmup", "2", "--runs", "15", "--style", "basic", "--export-json", report,
                    "-n", "morvexa", f"{runner} 200 60 {cli} picture {jpeg}",
                    "-n", "chafa", f"{runner} 200 60 chafa {jpeg}"], check=True, env=env,
                   stdout=subprocess.DEVNULL)
    ours, theirs = [r["median"] for r in json.load(open(report))["results"]]
    print(f"\nThe first look of a 4000 x 3000 JPEG on a 200 x 60 truecolor terminal: Morvexa {ours * 1e3:.0f} ms, "
          f"chafa {theirs * 1e3:.0f} ms: {ours / theirs:.2f}x (goal: at most 0.5x)")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("cli")
    ap.add_argument("photos", nargs="*")
    ap.add_argument("--sheets", metavar="DIR")
    ap.add_argument("--json", metavar="FILE")
    ap.add_argument("--only", help="terminals, comma separated")
    ap.add_argument("--sizes", default="80x24,200x60")
    ap.add_argument("--speed", action="store_true")
    ap.add_argument("--save", metavar="DIR", help="keep each drawing as a PNG there")
    args = ap.parse_args()
    photos = args.photos or PHOTOS
    sizes = [tuple(int(v) for v in s.split("x")) for s in args.sizes.split(",")]
    font = aq.ModelFont("dejavu", aq.load_unifont_hex(aq.DEFAULT_UNIFONT_HEX))
    terminals = [t for t in TERMINALS if not args.only or t.name in args.only.split(",")]
    results = []
    for terminal in terminals:
        portraits = []
        for photo_path in photos:
            photo = aq.load_photo(photo_path)
            for columns, rows in sizes:
                drawings = {}
                for name, command in programs(args.cli, terminal, photo_path).items():
                    out, seconds, status = run_on_terminal(command, columns, rows, terminal)
                    text = out.decode("utf-8", errors="replace")
                    drawing, grid = draw(text, terminal, font)
                    if status != 0 or drawing is None:
                        print(f"{terminal.name}: {name} failed on {photo_path} ({status})", file=sys.stderr)
                        continue
                    figures = measure(photo, drawing)
                    entry = {"terminal": terminal.name, "photo": os.path.basename(photo_path),
                             "size": f"{columns}x{rows}", "tool": name, "seconds": round(seconds, 3),
                             "grid": [max(len(r) for r in grid), len(grid)], **figures}
                    results.append(entry)
                    drawings[name] = (drawing, figures)
                    if args.save:
                        os.makedirs(args.save, exist_ok=True)
                        stem = f"{terminal.name}-{os.path.splitext(entry['photo'])[0]}-{entry['size']}-{name}"
                        Image.fromarray(np.clip(drawing * 255 + 0.5, 0, 255).astype(np.uint8)).save(
                            os.path.join(args.save, stem + ".png"))
                        with open(os.path.join(args.save, stem + ".txt"), "wb") as f:
                            f.write(out)
                if (columns, rows) == (80, 24) and photo_path in PORTRAITS and len(drawings) == 2:
                    portraits.append((photo_path, drawings))
        if args.sheets and portraits and terminal.goal:
            os.makedirs(args.sheets, exist_ok=True)
            sheet(terminal, portraits, os.path.join(args.sheets, f"first-look-{terminal.name}.png"))
    report(results, terminals)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    if args.speed:
        with tempfile.TemporaryDirectory() as work:
            speed(args.cli, work)


def report(results, terminals):
    print("The first look beside chafa's on the same terminal: means over the photographs at each size,")
    print("Morvexa / chafa = ratio (pixel SSIM and likeness: higher is better; color error: lower is better)")
    print()
    print("| terminal | pixel SSIM | likeness | color error | goal |")
    print("|---|---|---|---|---|")
    for terminal in terminals:
        cells = []
        for measure_name in ("ssim", "likeness", "dE"):
            if measure_name == "dE" and not terminal.colors:
                cells.append("–")
                continue
            ours = [r[measure_name] for r in results if r["terminal"] == terminal.name and r["tool"] == "morvexa"]
            theirs = [r[measure_name] for r in results if r["terminal"] == terminal.name and r["tool"] == "chafa"]
            if not ours or not theirs:
                cells.append("-")
                continue
            a, b = np.mean(ours), np.mean(theirs)
            digits = 2 if measure_name == "dE" else 3
            ratio = a / b if b else float("nan")
            goal = terminal.goal.get(measure_name)
            met = "" if goal is None else (" ✓" if (ratio <= goal if measure_name == "dE" else ratio >= goal) else " ✗")
            cells.append(f"{a:.{digits}f} / {b:.{digits}f} = **{ratio:.2f}x**{met}")
        goal = ", ".join(f"{k} {'<=' if k == 'dE' else '>='} {v}x" for k, v in terminal.goal.items()) or "-"
        print(f"| {terminal.name} | " + " | ".join(cells) + f" | {goal} |")


if __name__ == "__main__":
    main()
