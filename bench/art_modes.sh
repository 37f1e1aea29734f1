#!/usr/bin/env bash
# The art modes beside the tools users would otherwise pick, run by
# scripts/bench:
#  - quality: bench/art_quality.py draws each art in 8 x 16 cells (Unifont,
#    and DejaVu Sans Mono) and scores it against the photograph by likeness
#    (the correlation of the two, blurred), by SSIM and by the color error
#    of the cells (CIEDE2000), on the photographs of Debian's
#    python3-skimage at 80 and 120 columns, beside chafa and jp2a (the
#    goals are printed beside each mode); then bench/art_sheets.py draws
#    a sheet for each mode: four photographs at 80 columns, each beside the
#    mode's art and its peer's;
#  - fonts: bench/art_fonts.sh, the art without colors matched to each of
#    four terminal fonts and drawn in it, beside chafa and jp2a drawn in it
#    too, with a sheet for each font;
#  - speed: a 4000 x 3000 JPEG to 160 columns, --shapes --fill beside
#    chafa's ASCII mode in full color (goal: at most 0.5x its time), and
#    --shapes and --blocks beside their chafa counterparts;
#  - the first look: a 512 x 512 photograph shown on an 80 x 24 terminal,
#    beside the terminal alone (goal: well under a second).
#
# Usage: art_modes.sh BUILD_DIR [SHEETS_DIR]
# The sheets go to SHEETS_DIR, else to $ART_SHEETS, else to a new folder
# under /tmp (named at the end), so that a plain run leaves docs/ alone.
# With ART_QUALITY_ONLY=1 the speed and first-look parts are left out; so
# the sheets of docs/art are made anew from a build with
#   ART_QUALITY_ONLY=1 bench/art_modes.sh BUILD_DIR docs/art
set -euo pipefail
build=${1:?usage: art_modes.sh BUILD_DIR [SHEETS_DIR]}
cli="$build/app/morvexa-cli"
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/art_common.sh
source "$here/art_common.sh"
sheets=$(art_sheets_dir "${2:-}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
colors="$cli picture {photo} $art_size --format ansi --color=always"
/usr/bin/python3 "$here/art_quality.py" "${art_photos[@]}" --peers --json "$work/quality.json" --save-art "$work/art" \
  --tool "morvexa-shapes=$cli picture {photo} $art_size --shapes --format utf8" \
  --tool "morvexa-ramp=$cli picture {photo} $art_size --ramp --format utf8" \
  --tool "morvexa-shapes-fill=$colors --palette=truecolor --shapes --fill" \
  --tool "morvexa-blocks=$colors --palette=truecolor --blocks" \
  --tool "morvexa-shapes-fill-256=$colors --palette=256 --shapes --fill" \
  --tool "morvexa-blocks-256=$colors --palette=256 --blocks" \
  --tool "morvexa-blocks-16=$colors --palette=16 --blocks" \
  --tool "morvexa-braille=$colors --palette=truecolor --blocks=braille" \
  --tool "morvexa-ramp-fill=$colors --palette=truecolor --ramp --fill" 2>"$work/quality.log" | sed -n '/^average/,$p'
if grep -E ' failed: |: no art$' "$work/quality.log" >&2; then
  echo "art_modes.sh: the tools above made no art; their figures are missing" >&2
fi

# Each mode beside its peer: the sheet it is drawn in, the mode, morvexa's
# tool and the peer's (names as above), and the goal if it has one.
comparisons=(
  "shapes-mono|--shapes|morvexa-shapes|chafa-ascii-mono|likeness >= 1.1x and SSIM >= 1.0x"
  "ramp|--ramp|morvexa-ramp|jp2a-mono|likeness >= 1.1x"
  "shapes-fill|--shapes --fill|morvexa-shapes-fill|chafa-ascii-color|no worse on likeness or color error"
  "blocks|--blocks|morvexa-blocks|chafa-default-color|no worse on likeness or color error"
  "shapes-fill-256|--shapes --fill --palette=256|morvexa-shapes-fill-256|chafa-ascii-256|color error <= 0.5x, likeness >= 1.0x"
  "blocks-256|--blocks --palette=256|morvexa-blocks-256|chafa-default-256|color error <= 0.5x, likeness >= 1.0x"
  "blocks-16|--blocks --palette=16|morvexa-blocks-16|chafa-default-16|likeness >= 1.0x, color error <= 0.75x"
  "braille|--blocks=braille|morvexa-braille|chafa-default-color|-"
  "ramp-fill|--ramp --fill|morvexa-ramp-fill|jp2a-color|-"
)
/usr/bin/python3 - "$work/quality.json" "${comparisons[@]}" <<'PY'
import json, sys
import numpy as np
results = json.load(open(sys.argv[1]))
def mean(tool, measure):
    values = [r[measure] for r in results if r["tool"] == tool and measure in r]
    return np.mean(values) if values else float("nan")
def versus(ours, peer, measure, digits):
    a, b = mean(ours, measure), mean(peer, measure)
    ratio = "%.2fx" % (a / b) if b else "-"
    return "%.*f / %.*f = %s" % (digits, a, digits, b, ratio)
print()
print("Averages over the 6 photographs at 80 and 120 columns (likeness and SSIM: higher is better;")
print("color error, the mean CIEDE2000 of the cells in Unifont: lower is better):")
print()
print("| mode | compared with | likeness (Unifont) | likeness (DejaVu) | SSIM (Unifont) | SSIM (DejaVu)"
      " | color error | goal |")
print("|---|---|---:|---:|---:|---:|---:|---|")
for comparison in sys.argv[2:]:
    sheet, mode, ours, peer, goal = comparison.split("|")
    cells = [versus(ours, peer, m + "_" + font, 3) for m in ("likeness", "ssim") for font in ("unifont", "dejavu")]
    cells.append(versus(ours, peer, "dE_unifont", 2))
    print("| `%s` | %s | %s | %s |" % (mode, peer, " | ".join(cells), goal))
for ref, what in [("blank", "blank page"), ("mosaic", "mosaic of each cell's mean color")]:
    cells = ["%.3f" % mean(ref, m + "_" + font) for m in ("likeness", "ssim") for font in ("unifont", "dejavu")]
    cells.append("%.2f" % mean(ref, "dE_unifont"))
    print("| (%s) | - | %s | - |" % (what, " | ".join(cells)))
# The truecolor modes are no worse than their peers on any photograph:
# the worst of each measure's ratios, photograph by photograph.
print()
for comparison in sys.argv[2:]:
    sheet, mode, ours, peer, goal = comparison.split("|")
    if not goal.startswith("no worse"):
        continue
    def of(tool):
        return {(r["photo"], r["cols"]): r for r in results if r["tool"] == tool}
    a, b = of(ours), of(peer)
    pairs = [(a[k], b[k]) for k in a if k in b]
    if not pairs:
        continue
    like = min(x["likeness_unifont"] / y["likeness_unifont"] for x, y in pairs)
    error = max(x["dE_unifont"] / y["dE_unifont"] for x, y in pairs)
    print("`%s` beside %s, the worst of %d photographs and sizes: likeness %.4fx, color error %.2fx (%s)"
          % (mode, peer, len(pairs), like, error, "no worse" if like >= 1.0 and error <= 1.0 else "worse"))
PY
# The sheets, drawn from the art the quality run kept.
echo
/usr/bin/python3 "$here/art_sheets.py" --json "$work/quality.json" --art "$work/art" --out "$sheets" --cols 80 \
  "${art_sheet_photos[@]}" -- "${comparisons[@]}"
# Each terminal font: the art matched to it and drawn in it, and its sheet.
echo
"$here/art_fonts.sh" "$build" "$sheets"
[ "${ART_QUALITY_ONLY:-0}" = 1 ] && exit 0

convert -size 4000x3000 -seed 9 plasma:fractal -blur 0x3 -quality 90 "$work/photo.jpg"
lines=60
ansi="--format ansi --color=always"
hyperfine -N --warmup 2 --runs 15 --style basic --export-json "$work/speed.json" \
  -n "morvexa-cli --shapes --fill" "$cli picture $work/photo.jpg --width 160 --shapes --fill $ansi --palette=truecolor -o $work/a.txt" \
  -n "chafa ASCII, full color" "chafa -f symbols --symbols ascii -c full --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --shapes" "$cli picture $work/photo.jpg --width 160 --shapes -o $work/b.txt" \
  -n "chafa ASCII, no color" "chafa -f symbols --symbols ascii -c none --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --blocks" "$cli picture $work/photo.jpg --width 160 --blocks $ansi --palette=truecolor -o $work/c.txt" \
  -n "chafa default symbols" "chafa -f symbols -c full --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --shapes --fill, 256" "$cli picture $work/photo.jpg --width 160 --shapes --fill $ansi --palette=256 -o $work/d.txt" \
  -n "chafa ASCII, 256" "chafa -f symbols --symbols ascii -c 256 --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --blocks, 16" "$cli picture $work/photo.jpg --width 160 --blocks $ansi --palette=16 -o $work/e.txt" \
  -n "chafa default symbols, 16" "chafa -f symbols -c 16 --size 160x$lines --stretch $work/photo.jpg" >/dev/null
/usr/bin/python3 - "$work/speed.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("4000 x 3000 JPEG to 160 columns (goal: at most 0.5x chafa's time):")
for i, (ours, peer) in enumerate([("--shapes --fill", "chafa ASCII full color"), ("--shapes", "chafa ASCII no color"),
                                  ("--blocks", "chafa default symbols"),
                                  ("--shapes --fill --palette=256", "chafa ASCII -c 256"),
                                  ("--blocks --palette=16", "chafa default symbols -c 16")]):
    a, b = r[2 * i], r[2 * i + 1]
    print("  %s %.1f ms | %s %.1f ms: %.2fx" % (ours, a * 1e3, peer, b * 1e3, a / b))
PY

hyperfine -N --warmup 2 --runs 20 --style basic --export-json "$work/look.json" \
  -n "first look" "$here/on_terminal.py 80 24 $cli picture $art_data/astronaut.png" \
  -n "the terminal alone" "$here/on_terminal.py 80 24 true" >/dev/null
/usr/bin/python3 - "$work/look.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("512 x 512 photograph on an 80 x 24 terminal: %.1f ms, of which the terminal alone %.1f ms (goal: well under 1 s)"
      % (r[0] * 1e3, r[1] * 1e3))
PY
