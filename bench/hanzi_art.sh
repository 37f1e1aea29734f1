#!/usr/bin/env bash
# Art in Chinese characters (--hanzi) beside chafa drawing in Chinese
# characters as a new user would ask it to: the glyphs of Unifont's font
# file (--glyph-file) and the CJK block (--symbols 4e00..9fa5), run by
# scripts/bench:
#  - quality: bench/art_quality.py draws each art in Unifont, a Chinese
#    character over two 8 x 16 cells from its own 16 x 16 glyph, as a
#    terminal shows it, and scores it against the photograph (likeness,
#    pixel SSIM, color error), on the photographs of Debian's
#    python3-skimage and two more with faces (Grace Hopper from
#    python-matplotlib-data, the cameraman from python3-skimage), at 60
#    and 120 columns, every tool given the same grid:
#      without colors, --hanzi beside chafa -c none, the better of it and
#      chafa -c none --invert on each photograph (by likeness), both drawn
#      black on white;
#      with colors (true color), --hanzi --format ansi beside chafa
#      --fg-only (the better of it drawn on white and on black paper, by
#      color error), and --hanzi --fill beside chafa's ink and paper;
#    and the share of the characters drawn that are not GB2312's first
#    level, from the text each wrote;
#  - time: hyperfine, each photograph and size, and a 4000 x 3000 JPEG to
#    240 columns;
#  - sheets: the photographs with faces at each size, the photograph
#    beside both arts drawn in Unifont, without colors (chafa with
#    --invert, the better on these) and with.
# The goals are printed beside each figure.
#
# Usage: hanzi_art.sh BUILD_DIR [SHEETS_DIR]
# The sheets go to SHEETS_DIR, else to $ART_SHEETS, else to a new folder
# under /tmp (named at the end). HANZI_RUNS (default 3) is the number of
# timed runs of each command on each photograph, after one to warm up.
set -euo pipefail
build=${1:?usage: hanzi_art.sh BUILD_DIR [SHEETS_DIR]}
cli="$build/app/morvexa-cli"
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/art_common.sh
source "$here/art_common.sh"
sheets=$(art_sheets_dir "${2:-}")
mkdir -p "$sheets"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=${HANZI_RUNS:-3}

# Unifont's glyphs as a font file chafa loads (its .hex is what art_quality.py
# draws with, the same glyphs).
unifont_file=/usr/share/fonts/opentype/unifont/unifont.otf
hopper=/usr/share/matplotlib/mpl-data/sample_data/grace_hopper.jpg
photos=("${art_photos[@]}" "$hopper" "$art_data/camera.png")
faces=(--photo "$art_data/astronaut.png" --photo "$hopper" --photo "$art_data/camera.png"
  --photo "$art_data/chelsea.png")
widths=(60 120)

ours="$cli picture {photo} $art_size --hanzi"
colors="--format ansi --color=always --palette=truecolor"
chafa="chafa --glyph-file $unifont_file --symbols 4e00..9fa5 --size {cols}x{lines} --stretch"
/usr/bin/python3 "$here/art_quality.py" "${photos[@]}" --widths "$(IFS=,; echo "${widths[*]}")" --fonts unifont \
  --json "$work/quality.json" --save-art "$work/art" \
  --tool "morvexa-hanzi=$ours --format utf8" \
  --tool "chafa-hanzi-mono=$chafa -c none {photo}" \
  --tool "chafa-hanzi-mono-invert=$chafa -c none --invert {photo}" \
  --tool "morvexa-hanzi-ansi=$ours $colors" \
  --tool "chafa-hanzi-fg=$chafa -c full --fg-only {photo}" \
  --tool "chafa-hanzi-fg-dark:dark=$chafa -c full --fg-only {photo}" \
  --tool "morvexa-hanzi-fill=$ours $colors --fill" \
  --tool "chafa-hanzi-color=$chafa -c full {photo}" >/dev/null 2>"$work/quality.log"
if grep -E ' failed: |: no art$' "$work/quality.log" >&2; then
  echo "hanzi_art.sh: the tools above made no art; their figures are missing" >&2
fi

# Times the commands, NAME COMMAND pairs, into the JSON file $1 in
# hyperfine's form (each one's median wall time, mean user and system
# time) over $2 runs after one to warm up: by hyperfine where it is
# installed, else by running the commands in turn, a round at a time.
time_commands() {
  local out=$1 count=$2
  shift 2
  if command -v hyperfine >/dev/null; then
    local named=()
    while [ $# -gt 0 ]; do
      named+=(-n "$1" "$2")
      shift 2
    done
    hyperfine -N --warmup 1 --runs "$count" --style none --export-json "$out" "${named[@]}" >/dev/null
    return
  fi
  /usr/bin/python3 - "$out" "$count" "$@" <<'PY'
import json, resource, shlex, statistics, subprocess, sys, time
out, count, given = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
commands = list(zip(given[0::2], given[1::2]))
runs = {name: [] for name, _ in commands}
for round_ in range(count + 1):
    for name, command in commands:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(shlex.split(command), stdout=subprocess.DEVNULL, check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if round_:
            runs[name].append((wall, after.ru_utime - before.ru_utime, after.ru_stime - before.ru_stime))
json.dump({"results": [{"command": name, "median": statistics.median(r[0] for r in runs[name]),
                        "user": statistics.mean(r[1] for r in runs[name]),
                        "system": statistics.mean(r[2] for r in runs[name]),
                        "times": [r[0] for r in runs[name]]} for name, _ in commands]}, open(out, "w"))
PY
}

# The same four commands on each photograph at each size: without colors,
# and with ink and paper.
for photo in "${photos[@]}"; do
  for cols in "${widths[@]}"; do
    lines=$(/usr/bin/python3 -c "import sys; sys.dont_write_bytecode = True; sys.path.insert(0, '$here')
import art_quality as aq; print(aq.grid_lines(aq.load_photo('$photo'), $cols))")
    grid="--width $cols --height $lines"
    size="--size ${cols}x$lines --stretch"
    time_commands "$work/time-$(basename "${photo%.*}")-$cols.json" "$runs" \
      "morvexa-hanzi" "$cli picture $photo $grid --hanzi --format utf8" \
      "chafa-hanzi-mono" "chafa --glyph-file $unifont_file --symbols 4e00..9fa5 -c none --invert $size $photo" \
      "morvexa-hanzi-fill" "$cli picture $photo $grid --hanzi $colors --fill" \
      "chafa-hanzi-color" "chafa --glyph-file $unifont_file --symbols 4e00..9fa5 -c full $size $photo"
  done
done
# A large JPEG: the astronaut enlarged to 4000 x 3000, to 240 columns.
/usr/bin/python3 -c "from PIL import Image
Image.open('$art_data/astronaut.png').convert('RGB').resize((4000, 3000), Image.LANCZOS).save('$work/large.jpg', quality=90)"
size="--size 240x90 --stretch"
time_commands "$work/large.json" 5 \
  "morvexa-hanzi" "$cli picture $work/large.jpg --width 240 --height 90 --hanzi --format utf8" \
  "chafa-hanzi-mono" "chafa --glyph-file $unifont_file --symbols 4e00..9fa5 -c none --invert $size $work/large.jpg" \
  "morvexa-hanzi-fill" "$cli picture $work/large.jpg --width 240 --height 90 --hanzi $colors --fill" \
  "chafa-hanzi-color" "chafa --glyph-file $unifont_file --symbols 4e00..9fa5 -c full $size $work/large.jpg"

/usr/bin/python3 "$here/hanzi_report.py" "$work" "${widths[@]}"

# The sheets: the photographs with faces (and the cat), each art drawn in
# Unifont, at full size up to 6 MB a sheet so that the characters can be
# read at 120 columns too.
echo
for cols in "${widths[@]}"; do
  /usr/bin/python3 "$here/art_sheets.py" --json "$work/quality.json" --art "$work/art" --out "$sheets" \
    --cols "$cols" --font unifont --max-bytes 6000000 "${faces[@]}" -- \
    "hanzi-plain-$cols|--hanzi|morvexa-hanzi|chafa-hanzi-mono-invert" \
    "hanzi-fill-$cols|--hanzi --fill, true color|morvexa-hanzi-fill|chafa-hanzi-color" \
    "hanzi-ink-$cols|--hanzi --format ansi, true color|morvexa-hanzi-ansi|chafa-hanzi-fg,chafa-hanzi-fg-dark"
done
echo "The sheets are in $sheets"
