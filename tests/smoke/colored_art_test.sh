#!/usr/bin/env bash
# With fresh settings, a picture named on the command line with a way whose
# art means its colors (--blocks, --fill) is shown in its colors at once,
# as ticking 方块 or 填充背景 shows it: a picture of a red half over a blue
# half puts red and blue on the screen, in the output area. Drawn without
# them (--shapes), it shows neither.
# Usage: colored_art_test.sh PROGRAM
source "$(dirname "$0")/xvfb_session.sh"
program=$1
picture="$session_dir/halves.png"
convert -size 64x16 xc:'#ff0000' -size 64x16 xc:'#0000ff' -append "$picture"

# How many pixels of the image $1 are near the color $2.
pixels_near() {
  convert "$1" -fuzz 20% -transparent "$2" -alpha extract -negate -format '%[fx:round(mean*w*h)]' info:
}

start_xvfb
failed=0 run=0
for case in "--blocks:yes" "--fill:yes" "--width=24 --shapes --fill:yes" "--shapes:no"; do
  options=${case%:*} colored=${case##*:} run=$((run + 1))
  # Settings of their own, as a first run has.
  export XDG_CONFIG_HOME="$session_dir/config-$run" XDG_STATE_HOME="$session_dir/state"
  # shellcheck disable=SC2086  # the options are words of their own
  start_program "$program" $options "$picture"
  window=$(wait_window Morvexa)
  sleep 1
  screenshot "$window" "$session_dir/shot.png"
  # The output area: the window less the buttons on the right and the
  # boxes under it.
  window_geometry "$window"
  convert "$session_dir/shot.png" -crop "$((WIDTH - 60))x$((HEIGHT - 71))+0+8" +repage "$session_dir/art.png"
  red=$(pixels_near "$session_dir/art.png" '#ff0000')
  blue=$(pixels_near "$session_dir/art.png" '#0000ff')
  echo "$options: $red red and $blue blue pixels in the output area"
  if [ "$colored" = yes ]; then
    if [ "$red" -lt 200 ] || [ "$blue" -lt 200 ]; then
      echo "$options: the art is not shown in its colors"
      failed=1
    fi
  elif [ "$red" -ne 0 ] || [ "$blue" -ne 0 ]; then
    echo "$options: colors shown unasked"
    failed=1
  fi
  # The art is unsaved, and closing would ask about it: the program is
  # ended instead.
  kill "$app"
  wait "$app" || true
done
exit "$failed"
