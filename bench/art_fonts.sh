#!/usr/bin/env bash
# The art without colors in the fonts terminals draw it in, run by
# bench/art_modes.sh: for each font below, `--shapes` and `--ramp` matched
# to that font's glyphs (--glyphs-of FONT_FILE) and drawn in it by
# bench/art_quality.py (the font at the size that makes its advance 32 px,
# area-averaged to 8 x 16 px cells), beside chafa's ASCII mode and jp2a
# drawn in the same font, on the six photographs of Debian's python3-skimage
# at 80 and 120 columns.  chafa's and jp2a's art does not depend on the font:
# each is made once for a photograph and width and drawn in every font.
# A table for each font gives Morvexa's means beside the peer's, their
# ratio and the goal (met: a check mark); a sheet for each font
# (fonts-FONT.png) shows four photographs at 80 columns beside --shapes and
# chafa's art, drawn in that font.
#
# Usage: art_fonts.sh BUILD_DIR [SHEETS_DIR]
# The sheets go to SHEETS_DIR, else to $ART_SHEETS, else to a new folder
# under /tmp.  With ART_GLYPHS_OF=0 --glyphs-of is left out: Morvexa's art is
# then matched to its built-in Unifont, made once, and only drawn in each
# font (the baseline of a build without the option).
set -euo pipefail
build=${1:?usage: art_fonts.sh BUILD_DIR [SHEETS_DIR]}
cli="$build/app/morvexa-cli"
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/art_common.sh
source "$here/art_common.sh"
sheets=$(art_sheets_dir "${2:-}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# NAME|FILE: the fonts' names in the results and sheets, and their files
# (of the collection uming.ttc, its first face, AR PL UMing CN).
fonts=(
  "dejavu-sans-mono|/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
  "liberation-mono|/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf"
  "noto-sans-mono|/usr/share/fonts/truetype/noto/NotoSansMono-Regular.ttf"
  "ar-pl-uming|/usr/share/fonts/truetype/arphic/uming.ttc"
)
# MODE|OPTION|PEER|GOALS: Morvexa's tool morvexa-MODE@FONT draws with
# OPTION; GOALS are the least ratios of its means to the peer's, per measure.
modes=(
  "shapes|--shapes|chafa-ascii-mono|likeness=1.15,ssim=1.05"
  "ramp|--ramp|jp2a-mono|likeness=1.2"
)

args=(--peers --no-references --json "$work/fonts.json" --save-art "$work/art")
only=chafa-ascii-mono,jp2a-mono
for font in "${fonts[@]}"; do
  name=${font%%|*} file=${font#*|}
  glyphs=" --glyphs-of $(printf %q "$file")"
  [ "${ART_GLYPHS_OF:-1}" = 0 ] && glyphs=
  args+=(--font-file "$name=$file")
  for mode in "${modes[@]}"; do
    IFS='|' read -r tool option _ <<<"$mode"
    args+=(--tool "morvexa-$tool@$name=$cli picture {photo} $art_size $option --format utf8$glyphs")
    only+=",morvexa-$tool@$name"
  done
done
/usr/bin/python3 "$here/art_quality.py" "${art_photos[@]}" "${args[@]}" --only "$only" \
  2>"$work/fonts.log" >/dev/null || { tail -5 "$work/fonts.log" >&2; exit 1; }
# Runs that made no art: the first with what it said, and the tools' names.
if grep -qE ' failed: |: no art$' "$work/fonts.log"; then
  grep -m1 -A1 -E ' failed: |: no art$' "$work/fonts.log" >&2
  tools=$(grep -E ' failed: |: no art$' "$work/fonts.log" | sed -E 's/( failed: |: no art$).*//' | sort -u)
  echo "art_fonts.sh: $(grep -cE ' failed: |: no art$' "$work/fonts.log") runs made no art, their figures are" \
    "missing:" "${tools//$'\n'/ }" >&2
  echo "art_fonts.sh: (a build without --glyphs-of? ART_GLYPHS_OF=0 leaves it out)" >&2
fi

/usr/bin/python3 - "$work/fonts.json" "${ART_GLYPHS_OF:-1}" "${fonts[@]}" -- "${modes[@]}" <<'PY'
import json, sys
import numpy as np
results = json.load(open(sys.argv[1]))
matched = sys.argv[2] != "0"
split = sys.argv.index("--")
fonts = [f.split("|") for f in sys.argv[3:split]]
modes = [m.split("|") for m in sys.argv[split + 1:]]
photos = len({r["photo"] for r in results})
widths = " and ".join(str(w) for w in sorted({r["cols"] for r in results}))
def mean(tool, measure):
    values = [r[measure] for r in results if r["tool"] == tool and measure in r]
    return np.mean(values) if values else float("nan")
print("Averages over the %d photographs at %s columns (higher is better); Morvexa's art %s"
      % (photos, widths, "matched to each font (--glyphs-of FILE)" if matched
         else "matched to its built-in Unifont (ART_GLYPHS_OF=0), drawn in each font"))
for name, path in fonts:
    print()
    print("Drawn in %s (%s):" % (name, path))
    print()
    print("| mode | compared with | likeness | SSIM | goal |")
    print("|---|---|---:|---:|---|")
    for tool, option, peer, goals in modes:
        goals = dict((m, float(g)) for m, g in (goal.split("=") for goal in goals.split(",")))
        cells = []
        for measure in ("likeness", "ssim"):
            ours = mean("morvexa-%s@%s" % (tool, name), "%s_%s" % (measure, name))
            theirs = mean(peer, "%s_%s" % (measure, name))
            ratio = ours / theirs if theirs else float("nan")
            cell = "%.3f / %.3f = %.3fx" % (ours, theirs, ratio)
            if measure in goals:
                cell += " ✓" if ratio >= goals[measure] else " ✗"
            cells.append(cell)
        goal = ", ".join("%s >= %gx" % ("SSIM" if m == "ssim" else m, g) for m, g in goals.items())
        print("| `%s` | %s | %s | %s |" % (option, peer, " | ".join(cells), goal))
PY

# A sheet for each font: --shapes beside chafa's ASCII mode.
echo
for font in "${fonts[@]}"; do
  name=${font%%|*} file=${font#*|}
  mode="--shapes"
  mode+=" --glyphs-of $(basename "$file")"
  [ "${ART_GLYPHS_OF:-1}" != 0 ] || mode="--shapes, matched to Unifont"
  /usr/bin/python3 "$here/art_sheets.py" --json "$work/fonts.json" --art "$work/art" --out "$sheets" --cols 80 \
    --font-file "$name=$file" "${art_sheet_photos[@]}" -- "fonts-$name|$mode|morvexa-shapes@$name|chafa-ascii-mono"
done
