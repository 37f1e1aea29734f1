#!/usr/bin/env bash
# The peak memory of morvexa-cli (GNU time's maximum resident size) for
# each format unsized, and for each way of drawing at 20,000 columns, as
# docs/memory.md's table gives them. The pictures are made by
# ImageMagick and libwebp's cwebp from one 4000 x 3000 photograph-like
# picture. Shapes and blocks, which match every cell against their symbols,
# are drawn 750 lines high rather than the picture's 7,500, to keep the run
# short: their memory does not grow with the lines.
set -euo pipefail
cli=${1:?usage: memory_table.sh MORVEXA_CLI}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 1000x750 -seed 9 plasma:fractal -resize 4000x3000 -blur 0x1 "$work/photo.png"
convert "$work/photo.png" -quality 90 "$work/photo.jpg"
convert "$work/photo.png" -quality 90 -interlace JPEG "$work/progressive.jpg"
convert "$work/photo.png" -interlace PNG "$work/interlaced.png"
convert "$work/photo.png" -colors 256 "$work/photo.gif"
convert "$work/photo.png" -colors 256 -interlace GIF "$work/interlaced.gif"
convert "$work/photo.png" -type TrueColor "$work/photo.bmp"
cwebp -quiet -q 80 "$work/photo.png" -o "$work/lossy.webp"
cwebp -quiet -lossless "$work/photo.png" -o "$work/lossless.webp"
convert "$work/photo.png" -alpha set -channel A -fx 'i/w' "$work/alpha.png"
cwebp -quiet -q 80 "$work/alpha.png" -o "$work/alpha.webp"

peak() {
  /usr/bin/time -f %M -o "$work/peak" "$cli" picture "$@" -o - >/dev/null
  echo "$(( $(cat "$work/peak") / 1024 ))"
}
echo "| picture, unsized, one symbol per pixel | peak MB |"
echo "|---|---:|"
for f in photo.bmp photo.png interlaced.png photo.gif interlaced.gif photo.jpg progressive.jpg lossy.webp alpha.webp \
  lossless.webp; do
  echo "| $f | $(peak "$work/$f") |"
done
echo
echo "| the JPEG at 20,000 columns | lines | peak MB |"
echo "|---|---:|---:|"
for mode in "" "--colors 16" "--colors 16 --dither" "--ramp" "--ramp --fill --format ansi --color=always"; do
  echo "| ${mode:-one symbol per color (reduced to 95)} | 7500 | $(peak "$work/photo.jpg" --width 20000 $mode) |"
done
for mode in "--shapes" "--shapes --fill --format ansi --color=always" "--blocks" "--blocks=braille --format utf8"; do
  echo "| $mode | 750 | $(peak "$work/photo.jpg" --width 20000 --height 750 $mode) |"
done
echo
echo "| sized for 160 columns of shapes | peak MB |"
echo "|---|---:|"
for f in photo.png interlaced.png interlaced.gif progressive.jpg lossy.webp lossless.webp; do
  echo "| $f | $(peak "$work/$f" --width 160 --shapes) |"
done
