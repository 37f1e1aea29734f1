#!/usr/bin/env bash
# Runs a corpus of commands with two builds of morvexa-cli and compares what
# they write, byte for byte: every way of drawing, form and palette, banners,
# pictures of each format, stills and animations, standard input, saved
# files and the symbol list. Prints each command whose output differs, and
# a count.
#
# Usage: compare_outputs.sh OLD_CLI NEW_CLI [PATTERN]
# With PATTERN, only the commands whose line holds it are run.
set -euo pipefail
old=$(realpath "${1:?usage: compare_outputs.sh OLD_CLI NEW_CLI [PATTERN]}")
new=$(realpath "${2:?usage: compare_outputs.sh OLD_CLI NEW_CLI [PATTERN]}")
only=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
data=/usr/lib/python3/dist-packages/skimage/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The pictures: photographs, a JPEG, a paletted BMP, an animated GIF and
# WebP, a WebP with alpha.
cp "$data/astronaut.png" "$work/photo.png"
convert "$data/chelsea.png" -quality 85 "$work/photo.jpg"
convert "$data/coffee.png" -resize 200x "$work/small.bmp"
convert "$data/coffee.png" -resize 64x -colors 16 BMP3:"$work/paletted.bmp"
convert -size 64x48 xc:red xc:lime xc:blue -set delay 20 -loop 0 "$work/three.gif"
convert "$data/rocket.jpg" -resize 120x -alpha set -channel A -evaluate set 60% "$work/alpha.webp"
convert "$work/three.gif" -coalesce "$work/f%d.png"
img2webp -loop 0 -d 200 -lossless "$work/f0.png" "$work/f1.png" "$work/f2.png" -o "$work/three.webp" 2>/dev/null
# A photograph panned, in GIF and in lossy WebP: frames that a decoder could
# read smaller, and whose first is drawn both alone and among the others.
convert "$data/astronaut.png" -resize 96x96 \( +clone -roll +12+0 \) \( +clone -roll +12+0 \) -set delay 10 \
  -loop 0 "$work/pan.gif"
convert "$work/pan.gif" -coalesce "$work/p%d.png"
img2webp -loop 0 -lossy -q 70 -d 100 "$work/p0.png" "$work/p1.png" "$work/p2.png" -o "$work/pan.webp" 2>/dev/null

pictures=(photo.png photo.jpg small.bmp paletted.bmp three.gif three.webp alpha.webp)
ways=("" "--width 80" "--width 60 --colors 8" "--width 60 --colors 8 --dither" "--width 80 --ramp"
  "--width 80 --ramp --invert" "--width 80 --ramp --fill" "--width 80 --shapes" "--width 80 --shapes --invert"
  "--width 80 --shapes --fill" "--width 80 --blocks" "--width 80 --blocks --invert" "--width 60 --fill"
  "--width 80 --blocks=fine" "--height 30 --aspect 1")
forms=("" "--format utf8" "--format html" "--format ansi --color=always --palette=truecolor"
  "--format ansi --color=always --palette=256" "--format ansi --color=always --palette=16")
commands=()
for picture in "${pictures[@]}"; do
  for way in "${ways[@]}"; do
    for form in "${forms[@]}"; do
      commands+=("picture $picture $way $form")
    done
  done
  commands+=("picture $picture --width 40 --blocks=braille --format utf8"
    "picture $picture --width 40 --blocks=braille --format ansi --color=always"
    "picture $picture --width 30 --symbols -" "picture $picture --width 30 --replace ! @")
done
for picture in pan.gif pan.webp; do
  for way in "--width 24" "--width 24 --ramp" "--width 24 --shapes --fill" "--width 24 --blocks" "--width 20 --colors 8"; do
    commands+=("picture $picture $way" "picture $picture $way --frame 2" "picture $picture $way --format html --animate")
  done
done
commands+=("picture three.gif --frame 2 --width 20" "picture three.webp --frame 3 --width 20 --format html"
  "picture three.gif --format html --animate --width 16" "picture three.webp --format html --animate --width 16"
  "text 编程" "text 编程 --format utf8" "text 编程 --fg 字" "text 'Ελλάδα é' --format utf8"
  "text 汉字 --scale 2 --square" "text 汉字 --format html --fg-color red --bg-color '#000080'"
  "text 汉字 --format ansi --color=always --fg-color red" "text 'a\nb' --format utf8"
  "text 编程 --replace \$ @" "text 编程 --symbols -")

differ=0 run=0
for command in "${commands[@]}"; do
  [ -z "$only" ] || [[ "$command" == *"$only"* ]] || continue
  run=$((run + 1))
  a=$(cd "$work" && eval "$old $command" 2>&1 | od -An -tx1 | md5sum) || true
  b=$(cd "$work" && eval "$new $command" 2>&1 | od -An -tx1 | md5sum) || true
  # The same from standard input, for the pictures.
  if [[ "$command" == picture* ]]; then
    piped=${command/picture /}
    file=${piped%% *}
    rest=${piped#"$file"}
    a+=$(cd "$work" && eval "$old picture - $rest" <"$work/$file" 2>&1 | md5sum) || true
    b+=$(cd "$work" && eval "$new picture - $rest" <"$work/$file" 2>&1 | md5sum) || true
  fi
  if [ "$a" != "$b" ]; then
    echo "differs: morvexa-cli $command"
    differ=$((differ + 1))
  fi
done
echo "$run commands, $differ differ"
