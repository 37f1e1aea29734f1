#!/usr/bin/env bash
# The window's 形状 art in its own font, from screenshots of the real
# window on its own Xvfb display, beside the command line's art in DejaVu
# Sans Mono: the six photographs of bench/art_common.sh at 80 and 120
# columns (or the photographs given), scored by bench/window_art.py; SHEET,
# when given and not "-", is written with each photo, window and command
# line side by side.
# Usage: window_art.sh BUILD_DIR [SHEET [PHOTO...]]
set -euo pipefail
build=${1:?usage: window_art.sh BUILD_DIR [SHEET [PHOTO...]]}
sheet=${2:--}
shift $(($# < 2 ? $# : 2))
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/art_common.sh
source "$here/art_common.sh"
# shellcheck source=tests/smoke/xvfb_session.sh
source "$here/../tests/smoke/xvfb_session.sh"
runs="$session_dir/runs"
mkdir -p "$runs"

# A screen large enough for 120 columns and their lines, selection and all.
start_xvfb 1920x1200x24
export XDG_CONFIG_HOME="$session_dir/config" XDG_STATE_HOME="$session_dir/state"
[ $# -gt 0 ] || set -- "${art_photos[@]}"
for photo in "$@"; do
  for cols in 80 120; do
    stem="$runs/$(basename "${photo%.*}")-$cols"
    start_program "$build/app/morvexa" --shapes --width "$cols" "$photo"
    window=$(wait_window Morvexa)
    xdotool windowmove "$window" 0 0 windowsize "$window" 1900 1180
    sleep 1
    screenshot "$window" "$stem.shot.png"
    click_in "$window" 40 40
    xdotool key ctrl+a
    sleep 0.3
    screenshot "$window" "$stem.all.png"
    xdotool key ctrl+Home shift+End
    sleep 0.3
    screenshot "$window" "$stem.first.png"
    echo "$photo" >"$stem.photo"
    # The art is unsaved, and closing would ask about it: the program is
    # ended instead.
    kill "$app"
    wait "$app" || true
  done
done
/usr/bin/python3 "$here/window_art.py" "$build/app/morvexa-cli" "$runs" "$sheet"
