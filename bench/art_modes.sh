#!/usr/bin/env bash
# The art modes beside the tools users would otherwise pick, run by
# scripts/bench:
#  - quality: bench/art_quality.py draws each art in 8 x 16 cells (Unifont,
#    and DejaVu Sans Mono) and scores it against the photograph by SSIM and
#    by the colour error of the cells (CIEDE2000), on the photographs of
#    Debian's python3-skimage at 80 and 120 columns, beside chafa and jp2a
#    (goals: --shapes at least 1.6x chafa's ASCII mode's SSIM; --shapes
#    --fill 1.15x chafa's ASCII mode in full colour, with at most half its
#    colour error; --blocks 1.1x chafa's default symbols);
#  - speed: a 4000 x 3000 JPEG to 160 columns, --shapes --fill beside
#    chafa's ASCII mode in full colour (goal: at most 0.5x its time), and
#    --shapes and --blocks beside their chafa counterparts;
#  - the first look: a 512 x 512 photograph shown on an 80 x 24 terminal,
#    beside the terminal alone (goal: well under a second).
set -euo pipefail
build=${1:?usage: art_modes.sh BUILD_DIR}
cli="$build/app/morvexa-cli"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=/usr/lib/python3/dist-packages/skimage/data
photos=("$data/astronaut.png" "$data/chelsea.png" "$data/coffee.png" "$data/motorcycle_left.png" "$data/rocket.jpg"
  "$data/hubble_deep_field.jpg")
size="--width {cols} --height {lines}"
colors="COLORTERM=truecolor $cli picture {photo} $size --format ansi --color=always"
/usr/bin/python3 "$here/art_quality.py" "${photos[@]}" --peers --json "$work/quality.json" \
  --tool "morvexa-shapes=$cli picture {photo} $size --shapes --format utf8" \
  --tool "morvexa-shapes-fill=$colors --shapes --fill" \
  --tool "morvexa-blocks=$colors --blocks" \
  --tool "morvexa-braille=$colors --blocks=braille" \
  --tool "morvexa-ramp=$cli picture {photo} $size --ramp --format utf8" \
  --tool "morvexa-ramp-fill=$colors --ramp --fill" 2>"$work/quality.log" | sed -n '/^average/,$p'
/usr/bin/python3 - "$work/quality.json" <<'PY'
import json, sys
import numpy as np
results = json.load(open(sys.argv[1]))
def mean(tool, measure):
    return np.mean([r[measure] for r in results if r["tool"] == tool])
print()
print("| mode | compared with | SSIM (Unifont) | SSIM (DejaVu) | colour error | goal |")
print("|---|---|---:|---:|---:|---|")
for ours, peer, goal in [("morvexa-shapes", "chafa-ascii-mono", "SSIM >= 1.6x"),
                         ("morvexa-shapes-fill", "chafa-ascii-color", "SSIM >= 1.15x, colour error <= 0.5x"),
                         ("morvexa-blocks", "chafa-default-color", "SSIM >= 1.1x"),
                         ("morvexa-braille", "chafa-default-color", "-"),
                         ("morvexa-ramp", "jp2a-mono", "-"),
                         ("morvexa-ramp-fill", "jp2a-color", "-")]:
    cells = []
    for font in ("unifont", "dejavu"):
        a, b = mean(ours, "ssim_" + font), mean(peer, "ssim_" + font)
        cells.append("%.3f / %.3f = %.2fx" % (a, b, a / b))
    a, b = mean(ours, "dE_unifont"), mean(peer, "dE_unifont")
    error = "%.2f / %.2f = %.2fx" % (a, b, a / b) if b < 40 else "-"
    print("| `%s` | %s | %s | %s | %s | %s |" % (ours, peer, cells[0], cells[1], error, goal))
print("(blank page: SSIM %.3f; a mosaic of each cell's mean colour: %.3f, colour error %.2f)"
      % (mean("blank", "ssim_unifont"), mean("mosaic", "ssim_unifont"), mean("mosaic", "dE_unifont")))
PY

convert -size 4000x3000 -seed 9 plasma:fractal -blur 0x3 -quality 90 "$work/photo.jpg"
lines=60
hyperfine -N --warmup 2 --runs 15 --style basic --export-json "$work/speed.json" \
  -n "morvexa-cli --shapes --fill" "$cli picture $work/photo.jpg --width 160 --shapes --fill --format ansi --color=always -o $work/a.txt" \
  -n "chafa ASCII, full colour" "chafa -f symbols --symbols ascii -c full --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --shapes" "$cli picture $work/photo.jpg --width 160 --shapes -o $work/b.txt" \
  -n "chafa ASCII, no colour" "chafa -f symbols --symbols ascii -c none --size 160x$lines --stretch $work/photo.jpg" \
  -n "morvexa-cli --blocks" "$cli picture $work/photo.jpg --width 160 --blocks --format ansi --color=always -o $work/c.txt" \
  -n "chafa default symbols" "chafa -f symbols -c full --size 160x$lines --stretch $work/photo.jpg" >/dev/null
/usr/bin/python3 - "$work/speed.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("4000 x 3000 JPEG to 160 columns:")
print("  --shapes --fill %.1f ms | chafa ASCII full colour %.1f ms: %.2fx (goal <= 0.5x)" % (r[0] * 1e3, r[1] * 1e3, r[0] / r[1]))
print("  --shapes %.1f ms | chafa ASCII no colour %.1f ms: %.2fx" % (r[2] * 1e3, r[3] * 1e3, r[2] / r[3]))
print("  --blocks %.1f ms | chafa default symbols %.1f ms: %.2fx" % (r[4] * 1e3, r[5] * 1e3, r[4] / r[5]))
PY

hyperfine -N --warmup 2 --runs 20 --style basic --export-json "$work/look.json" \
  -n "first look" "$here/on_terminal.py 80 24 $cli picture $data/astronaut.png" \
  -n "the terminal alone" "$here/on_terminal.py 80 24 true" >/dev/null
/usr/bin/python3 - "$work/look.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("512 x 512 photograph on an 80 x 24 terminal: %.1f ms, of which the terminal alone %.1f ms (goal: well under 1 s)"
      % (r[0] * 1e3, r[1] * 1e3))
PY
