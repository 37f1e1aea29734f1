#!/usr/bin/env bash
# Whole commands beside their baselines, run by scripts/bench:
#  - morvexa-cli text with 5,000 characters against writing the same bytes
#    through the same temporary file and rename (goal: within 2x);
#  - a 4096 x 4096 photograph (many colors): against ImageMagick decoding
#    the same file alone (convert FILE ppm:/dev/null; goal: at most 0.3x its
#    time) and against the floor, write_floor reading the file in the same
#    bands and writing as many bytes through the same temporary file and
#    rename (goal: within 1.2x);
#  - a 4000 x 3000 JPEG photograph to 160 columns of 32 colors, against
#    jp2a --width=160 (goal: no slower; jp2a reduces no colors), and a
#    4096 x 4096 PNG to 200 columns against ImageMagick's
#    convert x.png -resize 200x ppm:/dev/null (goal: at most 0.5x);
#  - the art of 4096 x 4096 pictures written in each form (--format), in
#    time beside the code page 936 form (goal: within 2x; a photograph's
#    colored forms write a color for nearly every cell, many times the
#    bytes) and in peak memory (goal: no more than the code page 936 form
#    needs, the art is streamed);
#  - peak memory at sides 1024 to 8192 for each kind of bench picture (goal:
#    under 16 MB uncompressed; run-length pictures at most a byte a pixel
#    plus 16 MB).
set -euo pipefail
build=${1:?usage: whole_commands.sh BUILD_DIR}
cli="$build/app/morvexa-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

text=$(python3 -c "print('编' * 5000)")
echo x >"$work/one.txt"
hyperfine -N --warmup 3 --runs 30 --style basic --export-json "$work/text.json" \
  -n "morvexa-cli text (5,000 characters)" "$cli text $text -o $work/text.txt" \
  -n "write_floor (the same bytes)" "$build/bench/write_floor $work/one.txt $((16 * (5000 * 16 + 2))) $work/floor.txt"
python3 - "$work/text.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("morvexa-cli text %.1f ms | writing the same bytes %.1f ms: %.2fx (goal <= 2x)" % (r[0] * 1e3, r[1] * 1e3, r[0] / r[1]))
PY

"$build/bench/make_bench_bmp" photo 4096 "$work/photo.bmp"
bytes=$((4096 * 4098))
hyperfine -N --warmup 2 --runs 20 --style basic --export-json "$work/times.json" \
  "$cli picture $work/photo.bmp -o $work/out.txt" \
  "convert $work/photo.bmp ppm:/dev/null" \
  "$build/bench/write_floor $work/photo.bmp $bytes $work/floor.txt"
python3 - "$work/times.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("morvexa-cli %.1f ms | ImageMagick decode %.1f ms: %.2fx (goal <= 0.3x) | floor %.1f ms: %.2fx (goal <= 1.2x)"
      % (r[0] * 1e3, r[1] * 1e3, r[0] / r[1], r[2] * 1e3, r[0] / r[2]))
PY

convert -size 4000x3000 -seed 9 plasma:fractal -blur 0x3 -quality 90 "$work/photo.jpg"
convert -size 4096x4096 -seed 9 plasma:fractal -depth 8 "$work/photo.png"
hyperfine -N --warmup 2 --runs 15 --style basic --export-json "$work/formats.json" \
  -n "morvexa-cli JPEG to 160 columns, 32 colors" "$cli picture $work/photo.jpg --width 160 --colors 32 -o $work/out.txt" \
  -n "jp2a --width=160" "jp2a --width=160 $work/photo.jpg --output=$work/jp2a.txt" \
  -n "morvexa-cli PNG to 200 columns" "$cli picture $work/photo.png --width 200 -o $work/out.txt" \
  -n "convert -resize 200x" "convert $work/photo.png -resize 200x ppm:/dev/null"
python3 - "$work/formats.json" <<'PY'
import json, sys
r = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
print("JPEG: morvexa-cli %.1f ms | jp2a %.1f ms: %.2fx (goal <= 1x)" % (r[0] * 1e3, r[1] * 1e3, r[0] / r[1]))
print("PNG: morvexa-cli %.1f ms | convert -resize %.1f ms: %.2fx (goal <= 0.5x)" % (r[2] * 1e3, r[3] * 1e3, r[2] / r[3]))
PY

"$build/bench/make_bench_bmp" four 4096 "$work/four.bmp"
for kind in photo four; do
  hyperfine -N --warmup 2 --runs 10 --style basic --export-json "$work/forms-$kind.json" \
    -L form gbk,utf8,html,ansi "$cli picture $work/$kind.bmp --format {form} -o $work/out.{form}"
  for form in gbk utf8 html ansi; do
    peak=$(/usr/bin/time -f %M "$cli" picture "$work/$kind.bmp" --format "$form" -o "$work/out.$form" 2>&1 >/dev/null)
    echo "$form $peak $(stat -c %s "$work/out.$form")"
  done >"$work/forms-$kind.txt"
  python3 - "$work/forms-$kind.json" "$work/forms-$kind.txt" "$kind" <<'PY'
import json, sys
times = [x["median"] for x in json.load(open(sys.argv[1]))["results"]]
rows = [line.split() for line in open(sys.argv[2])]
for t, (form, peak, size) in zip(times, rows):
    print("%s --format %-4s %7.1f ms (%.2fx gbk) | %6.1f MB written | peak %s KB"
          % (sys.argv[3], form, t * 1e3, t / times[0], int(size) / 1e6, peak))
PY
done

echo "peak memory of morvexa-cli picture (KB):"
printf '%-10s %10s %10s %10s %10s\n' kind 1024 2048 4096 8192
for kind in photo four paletted rle8; do
  row=$(printf '%-10s' "$kind")
  for side in 1024 2048 4096 8192; do
    "$build/bench/make_bench_bmp" "$kind" "$side" "$work/p.bmp"
    peak=$(/usr/bin/time -f %M "$cli" picture "$work/p.bmp" -o "$work/out.txt" 2>&1 >/dev/null)
    row+=$(printf ' %10s' "$peak")
  done
  echo "$row"
done
