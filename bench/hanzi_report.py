#!/usr/bin/python3
"""The tables of bench/hanzi_art.sh: --hanzi beside chafa in Chinese
characters, a table for each size, Morvexa's figure beside chafa's, their
ratio and the goal.

Reads what hanzi_art.sh left in its folder: quality.json and the art of
bench/art_quality.py (--json, --save-art), the timings of each photograph
and size (time-PHOTO-COLS.json) and of the large JPEG (large.json), in
hyperfine's form.

Without colors chafa's figures are, on each photograph, those of the better
(by likeness) of chafa -c none and chafa -c none --invert, both drawn black
on white; with ink colors only, the better (by color error) of chafa
--fg-only drawn on white paper and on black.

The characters written are sorted from the text of each art (as
art_quality.py decodes it, a character once however many cells it takes):
"not a character" is a space (U+0020, the full-width U+3000) or a
punctuation mark (Unicode categories Z and P); the rest is "level 1" when
its GB2312 code lies in B0A1..D7F9 (lead bytes B0 to D7, the last D7F9),
else "outside level 1" (GB2312's second level, or not in GB2312 at all).

Usage: hanzi_report.py FOLDER COLS...
"""

import json
import os
import statistics
import sys
import unicodedata
from collections import Counter

import numpy as np

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import art_quality as aq  # noqa: E402

LEVEL1 = (0xB0A1, 0xD7F9)


def kind(ch):
    """"none" (a space or punctuation), "level1" or "outside"."""
    if unicodedata.category(ch)[0] in "ZP":
        return "none"
    try:
        code = ch.encode("gb2312")
    except UnicodeEncodeError:
        return "outside"
    if len(code) == 2 and LEVEL1[0] <= code[0] << 8 | code[1] <= LEVEL1[1]:
        return "level1"
    return "outside"


def characters(path):
    """Counter of the kinds of the characters an art wrote."""
    with open(path, encoding="utf-8", errors="replace") as f:
        rows = aq.parse_ansi(f.read())
    return Counter(kind(cell[0]) for row in rows for cell in row
                   if len(cell[0]) == 1)


class Run:
    """The figures of one size."""

    def __init__(self, folder, cols):
        with open(os.path.join(folder, "quality.json")) as f:
            self.results = [r for r in json.load(f) if r["cols"] == cols]
        self.folder, self.cols = folder, cols
        self.photos = list(dict.fromkeys(r["photo"] for r in self.results))

    def entry(self, tool, photo):
        for r in self.results:
            if r["tool"] == tool and r["photo"] == photo:
                return r
        return None

    def best(self, tools, photo, measure, higher):
        """The entry of the better of tools on photo by measure."""
        found = [e for e in (self.entry(t, photo) for t in tools) if e]
        if not found:
            return None
        return (max if higher else min)(found, key=lambda e: e[measure])

    def entries(self, tools, measure, higher=True):
        """{photo: entry}, the better of tools on each photograph."""
        out = {}
        for photo in self.photos:
            e = self.best(tools, photo, measure, higher)
            if e:
                out[photo] = e
        return out

    def shares(self, entries):
        counts = Counter()
        for photo, e in entries.items():
            stem = os.path.splitext(photo)[0]
            path = os.path.join(self.folder, "art", f"{stem}-{self.cols}-{e['tool']}.txt")
            if os.path.exists(path):
                counts += characters(path)
        total = sum(counts.values()) or 1
        return {k: counts[k] / total for k in ("level1", "outside", "none")}

    def times(self, name):
        """Median over the photographs of each one's median wall time, and
        of its mean processor time (user + system), in seconds."""
        walls, cpus = [], []
        for photo in self.photos:
            path = os.path.join(self.folder, f"time-{os.path.splitext(photo)[0]}-{self.cols}.json")
            if not os.path.exists(path):
                continue
            with open(path) as f:
                for r in json.load(f)["results"]:
                    if r["command"] == name:
                        walls.append(r["median"])
                        cpus.append(r["user"] + r["system"])
        if not walls:
            return None
        return statistics.median(walls), statistics.median(cpus)


def mean(entries, measure):
    return float(np.mean([e[measure] for e in entries.values()]))


def ratio(a, b):
    return a / b if b else float("nan")


def row(figure, ours, peer, digits=3, show_ratio=True, goal="", met=None):
    cells = [figure, f"{ours:.{digits}f}", f"{peer:.{digits}f}",
             f"{ratio(ours, peer):.2f}x" if show_ratio else "", goal,
             "" if met is None else ("yes" if met else "**no**")]
    print("| " + " | ".join(cells) + " |")


def head():
    print("| figure | Morvexa | chafa | ratio | goal | met |")
    print("|---|---:|---:|---:|---|---|")


def share_rows(run, ours, peer):
    a, b = run.shares(ours), run.shares(peer)
    print(f"| characters outside GB2312 level 1 | {a['outside']:.1%} | {b['outside']:.1%} | | | |")
    print(f"| not a character (spaces, punctuation) | {a['none']:.1%} | {b['none']:.1%} | | | |")


def time_rows(run, ours, peer):
    a, b = run.times(ours), run.times(peer)
    if not a or not b:
        return
    r = ratio(a[0], b[0])
    print(f"| time (median of the photographs') | {a[0] * 1e3:.0f} ms | {b[0] * 1e3:.0f} ms | {r:.3f}x "
          f"| <= 0.05x | {'yes' if r <= 0.05 else '**no**'} |")
    print(f"| processor time (user + system) | {a[1] * 1e3:.0f} ms | {b[1] * 1e3:.0f} ms "
          f"| {ratio(a[1], b[1]):.3f}x | | |")


def size_tables(run):
    f = "unifont"
    like, ssim, de = f"likeness_{f}", f"ssim_{f}", f"dE_{f}"
    print(f"## {run.cols} columns, {len(run.photos)} photographs, drawn in Unifont "
          f"(means over the photographs)")
    print()

    ours = run.entries(["morvexa-hanzi"], like)
    peer = run.entries(["chafa-hanzi-mono", "chafa-hanzi-mono-invert"], like)
    inverted = sum(e["tool"].endswith("-invert") for e in peer.values())
    print(f"Without colors: `--hanzi` beside chafa `-c none`, the better of it and `--invert` "
          f"(`--invert` on {inverted} of {len(peer)})")
    print()
    head()
    row("likeness", mean(ours, like), mean(peer, like))
    short_a, short_b = 1 - mean(ours, like), 1 - mean(peer, like)
    row("likeness shortfall (1 - likeness)", short_a, short_b, goal="<= 0.35x",
        met=ratio(short_a, short_b) <= 0.35)
    r = ratio(mean(ours, ssim), mean(peer, ssim))
    row("pixel SSIM", mean(ours, ssim), mean(peer, ssim), goal=">= 1.2x", met=r >= 1.2)
    worst = min(run.photos, key=lambda p: ratio(ours[p][ssim], peer[p][ssim]))
    row(f"pixel SSIM, worst photograph ({worst})", ours[worst][ssim], peer[worst][ssim],
        goal=">= 1.0x on each", met=ratio(ours[worst][ssim], peer[worst][ssim]) >= 1.0)
    row("ssim4 (4 x 4 px averaged)", mean(ours, f"ssim4_{f}"), mean(peer, f"ssim4_{f}"))
    share_rows(run, ours, peer)
    time_rows(run, "morvexa-hanzi", "chafa-hanzi-mono")
    print()

    for title, mine, theirs, higher in [
            ("With ink colors only: `--hanzi --format ansi` beside chafa `-c full --fg-only`, the better of "
             "it on white paper and on black", ["morvexa-hanzi-ansi"], ["chafa-hanzi-fg", "chafa-hanzi-fg-dark"],
             False),
            ("With ink and paper colors: `--hanzi --fill` beside chafa `-c full`",
             ["morvexa-hanzi-fill"], ["chafa-hanzi-color"], False)]:
        ours_c = run.entries(mine, de, higher)
        peer_c = run.entries(theirs, de, higher)
        if len(theirs) > 1:
            dark = sum(e["tool"].endswith("-dark") for e in peer_c.values())
            title += f" (black on {dark} of {len(peer_c)})"
        print(title)
        print()
        head()
        r = ratio(mean(ours_c, de), mean(peer_c, de))
        row("color error (CIEDE2000)", mean(ours_c, de), mean(peer_c, de), 2, goal="<= 0.5x", met=r <= 0.5)
        worst = max(run.photos, key=lambda p: ratio(ours_c[p][de], peer_c[p][de]))
        row(f"color error, worst photograph ({worst})", ours_c[worst][de], peer_c[worst][de], 2)
        row("likeness", mean(ours_c, like), mean(peer_c, like))
        row("pixel SSIM", mean(ours_c, ssim), mean(peer_c, ssim))
        share_rows(run, ours_c, peer_c)
        if mine == ["morvexa-hanzi-fill"]:
            time_rows(run, "morvexa-hanzi-fill", "chafa-hanzi-color")
        print()

    print("Photograph by photograph, Morvexa / chafa:")
    print()
    print("| photograph | likeness | pixel SSIM | color error, ink only | color error, ink and paper |")
    print("|---|---:|---:|---:|---:|")
    ink = run.entries(["morvexa-hanzi-ansi"], de, False)
    ink_peer = run.entries(["chafa-hanzi-fg", "chafa-hanzi-fg-dark"], de, False)
    fill = run.entries(["morvexa-hanzi-fill"], de, False)
    fill_peer = run.entries(["chafa-hanzi-color"], de, False)
    for p in run.photos:
        print(f"| {p} | {ours[p][like]:.3f} / {peer[p][like]:.3f} "
              f"| {ours[p][ssim]:.3f} / {peer[p][ssim]:.3f} = {ratio(ours[p][ssim], peer[p][ssim]):.2f}x "
              f"| {ink[p][de]:.2f} / {ink_peer[p][de]:.2f} = {ratio(ink[p][de], ink_peer[p][de]):.2f}x "
              f"| {fill[p][de]:.2f} / {fill_peer[p][de]:.2f} = {ratio(fill[p][de], fill_peer[p][de]):.2f}x |")
    print()


def large(folder):
    path = os.path.join(folder, "large.json")
    if not os.path.exists(path):
        return
    with open(path) as f:
        r = {x["command"]: x for x in json.load(f)["results"]}
    print("## A 4000 x 3000 JPEG (the astronaut enlarged) to 240 x 90")
    print()
    print("| what | Morvexa | chafa | ratio | goal | met |")
    print("|---|---:|---:|---:|---|---|")
    for what, ours, peer in [("without colors", "morvexa-hanzi", "chafa-hanzi-mono"),
                             ("ink and paper", "morvexa-hanzi-fill", "chafa-hanzi-color")]:
        a, b = r[ours], r[peer]
        q = ratio(a["median"], b["median"])
        print(f"| {what}, time | {a['median'] * 1e3:.0f} ms | {b['median'] * 1e3:.0f} ms | {q:.3f}x | <= 0.05x "
              f"| {'yes' if q <= 0.05 else '**no**'} |")
        ca, cb = a["user"] + a["system"], b["user"] + b["system"]
        print(f"| {what}, processor time | {ca * 1e3:.0f} ms | {cb * 1e3:.0f} ms | {ratio(ca, cb):.3f}x | | |")
    print()


def main():
    folder = sys.argv[1]
    for cols in sys.argv[2:]:
        size_tables(Run(folder, int(cols)))
    large(folder)


if __name__ == "__main__":
    main()
