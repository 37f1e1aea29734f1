#!/usr/bin/env bash
# Starts the real program on its own Xvfb display, waits for the window
# titled "Morvexa", takes a screenshot and checks that it is not blank, then
# closes the window and expects the program to end with status 0.
# Usage: smoke_test.sh PROGRAM [SCREENSHOT]
set -euo pipefail
program=$1
shot=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM

"$program" >"$work/program.log" 2>&1 &
app=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Morvexa$' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  kill -0 "$app" 2>/dev/null || { echo "the program ended early"; cat "$work/program.log"; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "no window titled Morvexa"; cat "$work/program.log"; exit 1; }
sleep 1

eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/shot.png"
deviation=$(convert "$work/shot.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
echo "window ${WIDTH}x${HEIGHT}, grey deviation $deviation"
[ "$WIDTH" -eq 581 ] && [ "$HEIGHT" -eq 439 ] || { echo "unexpected window size"; exit 1; }
awk -v d="$deviation" 'BEGIN { exit !(d > 0.02) }' || { echo "the screenshot is blank"; exit 1; }
[ -n "$shot" ] && cp "$work/shot.png" "$shot"

/usr/bin/python3 "$here/close_window.py" "$window"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "the program did not end when its window closed"; exit 1; fi
status=0
wait "$app" || status=$?
app=""
echo "program ended with status $status"
exit "$status"
